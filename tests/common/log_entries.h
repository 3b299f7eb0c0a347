// Reads the entries of a log text back: each entry's code and message, a multi-line
// entry's continuation lines joined to its message with CR LF.
#pragma once

#include <regex>
#include <string>
#include <vector>

namespace tessel::test {

struct LogEntry {
  int code = 0;
  std::string text;
};

inline std::vector<LogEntry> LogEntries(const std::string& log_text) {
  static const std::regex kLine(R"(^(-?\d+)  \d{3}:\d{2}:\d{2}:\d{2}\.\d{6}  (.*)$)");
  std::vector<LogEntry> entries;
  std::size_t start = 0;
  while (start < log_text.size()) {
    std::size_t end = log_text.find("\r\n", start);
    if (end == std::string::npos) end = log_text.size();
    const std::string line = log_text.substr(start, end - start);
    std::smatch match;
    if (std::regex_match(line, match, kLine)) {
      entries.push_back({std::stoi(match[1].str()), match[2].str()});
    } else if (!entries.empty()) {
      entries.back().text += "\r\n" + line;
    }
    start = end + 2;
  }
  return entries;
}

// The entries between the log's start banner and its end banner.
inline std::vector<LogEntry> LoggedEntries(const std::string& log_text) {
  std::vector<LogEntry> entries = LogEntries(log_text);
  std::vector<LogEntry> kept;
  for (const LogEntry& entry : entries) {
    if (entry.text.starts_with("------------------PROGRAM ") ||
        entry.text.starts_with("Program Version ")) {
      continue;
    }
    kept.push_back(entry);
  }
  return kept;
}

}  // namespace tessel::test
