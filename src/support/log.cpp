#include "support/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>

#include "support/clock.h"
#include "support/files.h"
#include "support/format.h"
#include "support/ui.h"

namespace tessel {

namespace {

namespace fs = std::filesystem;

// Room reserved for one line. A longer line grows the buffer instead of being cut,
// so a long diagnostic dump reaches the file whole.
constexpr std::size_t kLineBufferSize = 16384;
// How long a line waits for the log lock before it is dropped.
constexpr std::chrono::milliseconds kLockWait(100);

constexpr std::string_view kReinitNote = "  >>>> HAD TO REINIT ErrorLog TIMER";
constexpr std::string_view kCpuTimeNote = "  >>>> HAD TO USE THE CPU TIME";

// The open log: its clock, its file and the buffer each line is assembled in.
// Every member function runs with the log lock held.
class pelerrorlog {
 public:
  explicit pelerrorlog(std::string path)
      : clock_(std::make_unique<Ctimerclass>()), path_(std::move(path)) {
    line_.reserve(kLineBufferSize);
  }
  ~pelerrorlog() { closeFile(); }
  pelerrorlog(const pelerrorlog&) = delete;
  pelerrorlog& operator=(const pelerrorlog&) = delete;

  // Creates the file empty, replacing a previous run's log; the file stays closed.
  void createFile() const {
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) ::close(fd);
  }

  // Appends one line; the line is lost when the file cannot be opened or written.
  void writeLine(std::string_view message, int code) {
    if (fd_ < 0) {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0666);
      if (fd_ < 0) return;  // tried again at the next line
    }
    std::string_view reinit_note;
    std::string_view cpu_note;
    double t = clock_->now();
    if (t > kMaxTimeOfYear) {
      // The run crossed into a new year: re-base the clock on the new year.
      clock_->start();
      t = clock_->now();
      reinit_note = kReinitNote;
    }
    if (t < 0.000001) {
      // The clock failed (its lock was busy) or read zero: start a fresh one.
      clock_ = std::make_unique<Ctimerclass>();
      t = clock_->now();
      cpu_note = kCpuTimeNote;
    }
    int day = 0;
    int hours = 0;
    int minutes = 0;
    double seconds = 0.0;
    SplitTimeOfYear(t, day, hours, minutes, seconds);

    char prefix[128];
    int length = std::snprintf(prefix, sizeof prefix, "%06d  %03d:%02d:%02d:%09.6f  ", code, day,
                               hours, minutes, seconds);
    if (length < 0) return;
    line_.assign(prefix, std::min(static_cast<std::size_t>(length), sizeof prefix - 1));
    line_.append(message);
    line_.append(reinit_note);
    line_.append(cpu_note);
    line_.append("\r\n");
    WriteAll(line_);
  }

  void closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  double clockNow() { return clock_->now(); }
  const std::string& path() const { return path_; }

 private:
  // Hands the line to the file; a failed write is not reported (there is nowhere to).
  void WriteAll(std::string_view bytes) const {
    while (!bytes.empty()) {
      ssize_t put = ::write(fd_, bytes.data(), bytes.size());
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(put));
    }
  }

  std::unique_ptr<Ctimerclass> clock_;
  int fd_ = -1;
  std::string path_;
  std::string line_;
};

// The process-wide log state. Never destroyed, so logging from static destructors
// at exit stays safe.
struct LogState {
  // The log lock: serialises lines, start and end, and guards `log`.
  std::timed_mutex lock;
  std::unique_ptr<pelerrorlog> log;
  std::atomic<bool> open{false};
  std::mutex directory_lock;
  std::string start_directory;
  std::atomic<bool> shutting_down{false};
};

LogState& State() {
  static LogState* state = new LogState;
  return *state;
}

// Makes StartDirectory the current directory again (file dialogs move it).
void ResetDirectory() {
  LogState& state = State();
  std::string directory;
  {
    std::lock_guard<std::mutex> guard(state.directory_lock);
    directory = state.start_directory;
  }
  if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
    // The start directory is gone; the current directory stays where it is.
  }
}

// One line to the log when there is one; dropped when the lock is busy for too long.
void WriteLogLine(std::string_view text, int code) {
  LogState& state = State();
  std::unique_lock<std::timed_mutex> lock(state.lock, std::defer_lock);
  if (!lock.try_lock_for(kLockWait)) return;
  if (state.log) state.log->writeLine(text, code);
}

void ShowBox(const std::string& caption, const std::string& text, BoxIcon icon) {
  if (UserInterface* ui = CurrentUserInterface()) ui->MessageBox(caption, text, icon);
}

}  // namespace

void LogStart(const std::string& version, const std::string& name, const std::string& sub_directory,
              const std::string& fallback_name) {
  LogState& state = State();
  std::error_code error;
  std::string start = fs::current_path(error).string();
  {
    std::lock_guard<std::mutex> guard(state.directory_lock);
    state.start_directory = start;
  }
  // The pieces are joined as given: a sub-directory and a name bring their own separators.
  std::string file_name;
  if (!sub_directory.empty() && DirectoryExists(start + sub_directory)) {
    file_name = start + sub_directory + name + ".Log";
  } else {
    file_name = fallback_name + ".Log";
  }
  // A relative name lives in the start directory; the full path keeps the log in
  // place whatever the current directory is when a line is written.
  std::string path = start.empty() ? file_name : (fs::path(start) / file_name).string();

  auto log = std::make_unique<pelerrorlog>(path);
  log->createFile();
  {
    std::lock_guard<std::timed_mutex> guard(state.lock);
    state.log = std::move(log);  // a log left open by an earlier start is closed here
    state.open = true;
  }
  WriteLogLine("------------------PROGRAM START--------------------", 0);
  WriteLogLine("Program Version " + version, 0);
  state.shutting_down = false;
}

void LogEnd() {
  ResetDirectory();
  LogState& state = State();
  std::lock_guard<std::timed_mutex> guard(state.lock);
  if (!state.log) return;
  state.log->writeLine("------------------PROGRAM END--------------------", 0);
  state.log->closeFile();
  state.log.reset();
  state.open = false;
}

void LogMessage(const std::string& text, int code, bool show) {
  ResetDirectory();
  WriteLogLine(text, code);
  if (show && LogIsOpen()) ShowBox("INFO", text, BoxIcon::Information);
}

void LogMessageSpaced(const std::string& text, int code, bool show) {
  const std::string spaced = text + "\r\n";
  LogMessage(spaced, code, false);
  if (show) ShowBox("INFO", spaced, BoxIcon::Information);
}

void LogWarning(const std::string& text, int code, bool show) {
  BeepWarning();
  LogMessage(text, code, false);
  if (show) ShowBox("WARNING", text, BoxIcon::Warning);
}

void LogError(const std::string& text, int code, bool show) {
  BeepError();
  LogMessage(text, code, false);
  if (show) ShowBox("ERROR", text, BoxIcon::Error);
}

double LogClockNow() {
  ResetDirectory();
  LogState& state = State();
  std::lock_guard<std::timed_mutex> guard(state.lock);
  return state.log ? state.log->clockNow() : TimeOfYearNow();
}

bool LogIsOpen() {
  return State().open;
}

std::string LogFilePath() {
  LogState& state = State();
  std::lock_guard<std::timed_mutex> guard(state.lock);
  return state.log ? state.log->path() : std::string();
}

const std::string& StartDirectory() {
  // Written only by LogStart, which runs before anything else logs.
  return State().start_directory;
}

bool ShuttingDown() {
  return State().shutting_down;
}

void SetShuttingDown(bool value) {
  State().shutting_down = value;
}

}  // namespace tessel
