// A log session for tests: a private temporary directory made current, the log
// started there as the program starts it, and ended and undone on destruction.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/test_files.h"

namespace tessel::test {

// One CR LF line of a log file. A line that starts with a code, two blanks, a time
// of the form ddd:dd:dd:dd.dddddd and two blanks is split into those; any other line
// (the continuation of a multi-line message, an empty line) has an empty code and
// time and is whole in `message`.
struct LogLine {
  std::string code;
  std::string time;
  std::string message;
  bool operator==(const LogLine&) const = default;
};

// Splits log text into its CR LF lines.
std::vector<LogLine> SplitLogText(std::string_view text);

// Makes a TempDir current, calls LogStart("test", "Tessel", "", "Tessel"); on
// destruction calls LogEnd and restores the previous current directory.
class LogSession {
 public:
  LogSession();
  ~LogSession();
  LogSession(const LogSession&) = delete;
  LogSession& operator=(const LogSession&) = delete;

  // The session's directory (the log's start directory).
  const TempDir& dir() const { return dir_; }
  // Full path of the log file.
  std::string LogPath() const;
  // Everything the log file holds so far.
  std::string Text() const;
  // The lines so far, without the two start-banner lines.
  std::vector<LogLine> Lines() const;
  // The messages of Lines(), continuation lines included.
  std::vector<std::string> Messages() const;

 private:
  TempDir dir_;
  ScopedCurrentDirectory current_;
};

}  // namespace tessel::test
