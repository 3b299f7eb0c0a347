// The error log: one plain-text file per run, "Tessel.Log" in the start directory.
//
// Lines: "%06d" code, two blanks, "%03d:%02d:%02d:%09.6f" time of year, two blanks,
// the message as given, repair notes, CR LF. A line longer than the 16,384-byte line
// buffer grows the buffer and is written whole. Logging before LogStart or after LogEnd
// writes nothing. Every log call first makes StartDirectory the current directory
// again. Boxes go through the user-interface interface (ui.h).
#pragma once

#include <string>

namespace tessel {

// Opens the log ("<StartDirectory><sub-directory><name>.Log" when that directory
// exists, else "<fallback>.Log") and writes the start banner.
void LogStart(const std::string& version, const std::string& name,
              const std::string& sub_directory, const std::string& fallback_name);
// Writes the end banner and closes the log.
void LogEnd();
// One line; with `show` and an open log, an "INFO" box.
void LogMessage(const std::string& text, int code, bool show = false);
// The text followed by CR LF (an empty line follows it); with `show`, an "INFO" box.
void LogMessageSpaced(const std::string& text, int code, bool show = false);
// BeepWarning, one line, and with `show` a "WARNING" box.
void LogWarning(const std::string& text, int code, bool show = false);
// BeepError, one line, and with `show` an "ERROR" box.
void LogError(const std::string& text, int code, bool show = false);
// The log clock's time of year in seconds.
double LogClockNow();

// True between LogStart and LogEnd.
bool LogIsOpen();
// Full path of the open log file; empty when no log is open.
std::string LogFilePath();
// The current directory when LogStart ran.
const std::string& StartDirectory();

// Set by the main window when it closes; display refreshes stop once it is set.
bool ShuttingDown();
void SetShuttingDown(bool value);

}  // namespace tessel
