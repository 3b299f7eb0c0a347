// A log session for tests: a private temporary directory made current, the log
// started there as the program starts it, and ended and undone on destruction.
#pragma once

#include <string>

#include "common/test_files.h"

namespace tessel::test {

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

 private:
  TempDir dir_;
  ScopedCurrentDirectory current_;
};

}  // namespace tessel::test
