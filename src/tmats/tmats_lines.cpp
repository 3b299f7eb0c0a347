#include "tmats/tmats_lines.h"

#include <algorithm>
#include <limits>

#include "support/log.h"

namespace tessel {

std::vector<std::string> SplitTmatsLines(std::string_view text, TmatsSplitStats* stats) {
  TmatsSplitStats local;
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (lines.size() >= kTmatsMaxLines) {
      local.line_limit_reached = true;
      break;
    }
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) break;  // an unterminated last line is not taken
    const std::size_t length = end - pos;
    if (length >= kTmatsMaxLineLength) {
      // Dropped whole: a fragment of an overlong line must not pass for an attribute.
      ++local.long_lines_dropped;
    } else {
      lines.emplace_back(text.substr(pos, length));
    }
    pos = end + 1;
  }
  if (stats != nullptr) *stats = local;
  return lines;
}

bool TmatsWholeNumber(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(signed_value);
  return true;
}

std::int32_t TmatsLeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                             text[i] == '\n' || text[i] == '\v' || text[i] == '\f')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min(kLimit, magnitude * 10 + (text[i] - '0'));
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(signed_value, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

namespace {

// The text after the first `c`, or empty when there is none.
std::string_view After(std::string_view text, char c) {
  const std::size_t at = text.find(c);
  return at == std::string_view::npos ? std::string_view{} : text.substr(at + 1);
}

// The text before the first `c`, or empty when there is none.
std::string_view BeforeOrEmpty(std::string_view text, char c) {
  const std::size_t at = text.find(c);
  return at == std::string_view::npos ? std::string_view{} : text.substr(0, at);
}

// The text before the first `c`, or all of it when there is none.
std::string_view BeforeOrAll(std::string_view text, char c) {
  return text.substr(0, std::min(text.find(c), text.size()));
}

}  // namespace

tmatslinestruct ParseTmatsLine(std::string_view line) {
  tmatslinestruct record;
  if (line.empty()) return record;

  const std::string_view value = BeforeOrEmpty(After(line, ':'), ';');
  if (value.empty()) return record;
  record.Result = std::string(value);
  record.Group = std::string(1, line.front());

  std::int32_t group_number = 0;
  if (!TmatsWholeNumber(BeforeOrEmpty(After(line, '-'), '\\'), group_number)) return record;
  record.GroupNum = std::max<std::int32_t>(group_number, 1);

  std::string_view name = BeforeOrEmpty(After(line, '\\'), ':');
  std::int32_t dash_item = 0;
  if (TmatsWholeNumber(After(name, '-'), dash_item)) record.DashItem = dash_item;

  while (record.NumLevels < kTmatsMaxLevels) {
    std::string& level = record.Level[static_cast<std::size_t>(record.NumLevels)];
    ++record.NumLevels;
    const std::size_t separator = name.find('\\');
    if (separator == std::string_view::npos) {
      level = std::string(BeforeOrAll(name, '-'));
      break;
    }
    level = std::string(BeforeOrAll(name.substr(0, separator), '-'));
    name = name.substr(separator + 1);
    if (level.empty()) break;
  }
  return record;
}

bool KeepTmatsLine(const tmatslinestruct& line) {
  const std::string& group = line.Group;
  if (line.GroupNum > 1 && (group == "R" || group == "G")) return false;
  return group != "V" && group != "T" && group != "A" && group != "H";
}

TmatsLineList ParseTmatsText(std::string_view text, TmatsSplitStats* stats) {
  TmatsLineList kept;
  for (const std::string& line : SplitTmatsLines(text, stats)) {
    tmatslinestruct record = ParseTmatsLine(line);
    if (KeepTmatsLine(record)) kept.push_back(std::move(record));
  }
  return kept;
}

bool LineHasLevel(const tmatslinestruct& line, std::string_view name) {
  const int levels = std::clamp(line.NumLevels, 0, kTmatsMaxLevels);
  for (int i = 0; i < levels; ++i) {
    if (line.Level[static_cast<std::size_t>(i)] == name) return true;
  }
  return false;
}

bool FindKnownCode(TmatsGroup group, const tmatslinestruct& line, std::string_view& code) {
  for (const std::string_view known : KnownTmatsCodes(group)) {
    if (LineHasLevel(line, known)) {
      code = known;
      return true;
    }
  }
  code = {};
  return false;
}

std::string TmatsLineDumpText(const tmatslinestruct& line) {
  std::string text = "Group : " + line.Group + "  " + "Group # : " + std::to_string(line.GroupNum) +
                     "  " + "Result : " + line.Result + "  " +
                     "Num Levels : " + std::to_string(line.NumLevels) + "  " +
                     "Dash Item : " + std::to_string(line.DashItem) + "  ";
  const int levels = std::clamp(line.NumLevels, 0, kTmatsMaxLevels);
  for (int i = 0; i < levels; ++i) {
    text += "Level " + std::to_string(i) + " : " + line.Level[static_cast<std::size_t>(i)] + "  ";
  }
  return text;
}

void DumpTmatsLines(const TmatsLineList& lines) {
  LogMessage("", 0);
  LogMessage("TMATS LINE INFO -------------------------------------------", 0);
  int index = 0;
  for (const tmatslinestruct& line : lines) {
    LogMessage(TmatsLineDumpText(line), index);
    ++index;
  }
}

}  // namespace tessel
