// Time-of-year clock and the process speaker.
#include "support/clock.h"

#include <atomic>
#include <cmath>
#include <ctime>
#include <initializer_list>

#include "support/format.h"

namespace tessel {

namespace {

// Days before each month, February not counted (it is added by the leap rule).
constexpr int kDaysBeforeMonth[12] = {0, 31, 31, 62, 92, 123, 153, 184, 215, 245, 276, 306};
constexpr int kDaysInMonth[12] = {31, 0, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// How long `now` waits for the clock's lock before giving up.
constexpr std::chrono::milliseconds kLockWait{30};

std::atomic<Speaker*> g_speaker{nullptr};

std::tm LocalCalendarTime(std::time_t seconds) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  return local;
}

}  // namespace

int DayOfYear(int year, int month, int day) {
  const int february = year % 4 == 0 ? 29 : 28;
  // Months and days outside their range count as the first one.
  if (month < 1 || month > 12) month = 1;
  const int length = month == 2 ? february : kDaysInMonth[month - 1];
  if (day < 1 || day > length) day = 1;
  return kDaysBeforeMonth[month - 1] + (month > 2 ? february : 0) + day;
}

double TimeOfYearAt(int year, int month, int day, int hour, int minute, int second,
                    int millisecond) {
  const double t = DayOfYear(year, month, day) * 86'400.0 + hour * 3'600.0 + minute * 60.0 +
                   second + millisecond * 0.001;
  return t < 0.0 || t > kMaxTimeOfYear ? 0.0 : t;
}

double TimeOfYearNow() {
  const auto now = std::chrono::system_clock::now();
  const auto since_epoch = now.time_since_epoch();
  const auto whole_seconds = std::chrono::floor<std::chrono::seconds>(since_epoch);
  const auto millisecond =
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch - whole_seconds).count();
  const std::tm local = LocalCalendarTime(static_cast<std::time_t>(whole_seconds.count()));
  return TimeOfYearAt(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec, static_cast<int>(millisecond));
}

// --- Ctimeclass ---

Ctimeclass::Ctimeclass() {
  current_ = TimeOfYearNow();
  previous_ = current_;
  int day = 0;
  int hours = 0;
  int minutes = 0;
  double seconds = 0.0;
  valid_ = SplitTimeOfYear(current_, day, hours, minutes, seconds);
}

void Ctimeclass::set(double value) {
  // A value that is not a number is treated like one below the range.
  if (!(value >= 0.0)) {
    value = 0.0;
    valid_ = false;
  } else if (value > kMaxTimeOfYear) {
    value = kMaxTimeOfYear;
    valid_ = false;
  } else {
    valid_ = true;
  }
  previous_ = current_;
  current_ = value;
}

// --- Ctimerclass ---

Ctimerclass::Ctimerclass() {
  start();
  update();
}

void Ctimerclass::start() {
  // Taken so that a concurrent `now` never sees a half-updated base.
  std::lock_guard<std::timed_mutex> guard(lock_);
  base_ = TimeOfYearNow();
  started_ = std::chrono::steady_clock::now();
}

double Ctimerclass::elapsed() const {
  const std::chrono::duration<double> span = std::chrono::steady_clock::now() - started_;
  return std::fabs(span.count());
}

double Ctimerclass::now() {
  std::unique_lock<std::timed_mutex> guard(lock_, kLockWait);
  if (!guard.owns_lock()) return -1.0;
  return base_ + elapsed();
}

void Ctimerclass::update() {
  set(now());
}

// --- Speaker ---

void RecordingSpeaker::Tone(int frequency_hz, int duration_ms) {
  tones.emplace_back(frequency_hz, duration_ms);
}

void RecordingSpeaker::Pause(int duration_ms) {
  tones.emplace_back(0, duration_ms);
}

void SetSpeaker(Speaker* speaker) {
  g_speaker.store(speaker);
}

void PlayTone(int frequency_hz, int duration_ms) {
  Speaker* speaker = g_speaker.load();
  if (speaker == nullptr) return;
  speaker->Tone(frequency_hz < 37 ? 37 : frequency_hz, duration_ms < 0 ? 0 : duration_ms);
}

namespace {

void PlayPause(int duration_ms) {
  Speaker* speaker = g_speaker.load();
  if (speaker != nullptr) speaker->Pause(duration_ms);
}

}  // namespace

void BeepWarning() {
  PlayTone(800, 50);
  PlayTone(700, 50);
}

void BeepError() {
  PlayTone(100, 50);
  PlayTone(250, 10);
  PlayPause(100);
  PlayTone(100, 50);
  PlayTone(250, 10);
}

void BeepDone() {
  for (int frequency : {880, 1320, 1760, 2200}) PlayTone(frequency, 100);
}

}  // namespace tessel
