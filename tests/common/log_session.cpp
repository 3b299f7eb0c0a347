#include "common/log_session.h"

#include <algorithm>
#include <cctype>

#include "support/log.h"

namespace tessel::test {

namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// "ddd:dd:dd:dd.dddddd"
bool IsTime(std::string_view text) {
  constexpr std::string_view kShape = "ddd:dd:dd:dd.dddddd";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] == 'd' ? !IsDigit(text[i]) : text[i] != kShape[i]) return false;
  }
  return true;
}

LogLine ParseLine(std::string_view line) {
  std::size_t code_end = 0;
  while (code_end < line.size() && (IsDigit(line[code_end]) || line[code_end] == '-')) ++code_end;
  constexpr std::size_t kTimeLength = 19;
  if (code_end >= 6 && line.size() >= code_end + 4 + kTimeLength &&
      line.substr(code_end, 2) == "  " && IsTime(line.substr(code_end + 2, kTimeLength)) &&
      line.substr(code_end + 2 + kTimeLength, 2) == "  ") {
    return {std::string(line.substr(0, code_end)),
            std::string(line.substr(code_end + 2, kTimeLength)),
            std::string(line.substr(code_end + 4 + kTimeLength))};
  }
  return {"", "", std::string(line)};
}

}  // namespace

std::vector<LogLine> SplitLogText(std::string_view text) {
  std::vector<LogLine> lines;
  while (!text.empty()) {
    std::size_t end = text.find("\r\n");
    lines.push_back(ParseLine(text.substr(0, end)));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 2);
  }
  return lines;
}

LogSession::LogSession() : current_(dir_.path()) {
  LogStart("test", "Tessel", "", "Tessel");
}

LogSession::~LogSession() {
  LogEnd();
}

std::string LogSession::LogPath() const {
  return dir_.File("Tessel.Log");
}

std::string LogSession::Text() const {
  return ReadTextFile(LogPath());
}

std::vector<LogLine> LogSession::Lines() const {
  std::vector<LogLine> lines = SplitLogText(Text());
  lines.erase(lines.begin(), lines.begin() + std::min<std::ptrdiff_t>(2, std::ssize(lines)));
  return lines;
}

std::vector<std::string> LogSession::Messages() const {
  std::vector<std::string> messages;
  for (const LogLine& line : Lines()) messages.push_back(line.message);
  return messages;
}

}  // namespace tessel::test
