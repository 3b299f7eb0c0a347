// Reads the log text back into entries (code and message) so the dump tests can
// compare whole messages, multi-line ones included.
#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::test {

struct LogEntry {
  int code = 0;
  std::string message;  // as logged; the lines of a multi-line entry joined by CR LF
};

// True when `line` starts with the log's "%06d  ddd:dd:dd:dd.dddddd  " prefix.
inline bool StartsLogEntry(std::string_view line) {
  constexpr std::string_view kShape = "000000  000:00:00:00.000000  ";
  if (line.size() < kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const char want = kShape[i];
    const char got = line[i];
    if (want == '0') {
      if (!std::isdigit(static_cast<unsigned char>(got)) && !(i < 6 && got == '-')) return false;
    } else if (got != want) {
      return false;
    }
  }
  return true;
}

// Every entry of the log text, banners included.
inline std::vector<LogEntry> LogEntries(const std::string& text) {
  std::vector<LogEntry> entries;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + pos, end - pos);
    if (StartsLogEntry(line)) {
      entries.push_back({std::stoi(std::string(line.substr(0, 6))), std::string(line.substr(29))});
    } else if (!entries.empty()) {
      entries.back().message += "\r\n";
      entries.back().message += line;
    }
    pos = end + 2;
  }
  return entries;
}

// The entries that come after the first one whose message equals `title`.
inline std::vector<LogEntry> EntriesAfter(const std::vector<LogEntry>& entries,
                                          std::string_view title) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].message == title) {
      return std::vector<LogEntry>(entries.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                   entries.end());
    }
  }
  return {};
}

}  // namespace tessel::test
