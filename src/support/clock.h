// Time-of-year clock and speaker.
//
// The clock reads the local wall clock once when started and then adds steady-clock
// time, so its readings are smooth and monotonic within a run. The speaker plays the
// three tone patterns that mark warnings, errors and the end of a conversion; the
// front end installs the speaker it wants (a recording one in tests and the CLI).
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace tessel {

// Day of the year (1 January is 1) with the simple leap rule (year mod 4 == 0);
// a month above 12 counts as 1, a day beyond the month's length counts as 1.
int DayOfYear(int year, int month, int day);
// Time of year of a local calendar date and time, in seconds; 0 when outside 0..367 days.
double TimeOfYearAt(int year, int month, int day, int hour, int minute, int second,
                    int millisecond);
// Local time of year now, in seconds; 0 when outside 0..367 days.
double TimeOfYearNow();

// Holds a time-of-year value, the previous one, and whether it is in range.
class Ctimeclass {
 public:
  Ctimeclass();
  virtual ~Ctimeclass() = default;
  // Sets the current value, limited to 0..367 days (validity cleared when limited).
  void set(double value);
  double current() const { return current_; }
  double previous() const { return previous_; }
  bool valid() const { return valid_; }

 private:
  double current_ = 0.0;
  double previous_ = 0.0;
  bool valid_ = false;
};

// A running time-of-year clock: base time of year at start + elapsed steady time.
class Ctimerclass : public Ctimeclass {
 public:
  Ctimerclass();
  // Re-bases the clock on the local time of year now.
  void start();
  // Seconds since the last start, never negative.
  double elapsed() const;
  // base + elapsed, or -1 when the clock's lock cannot be had within 30 ms.
  double now();
  // set(now()).
  void update();
  // The clock's lock, exposed so tests can hold it.
  std::timed_mutex& lock() { return lock_; }

 private:
  std::timed_mutex lock_;
  double base_ = 0.0;
  std::chrono::steady_clock::time_point started_{};
};

// Plays tones; the default plays nothing.
class Speaker {
 public:
  virtual ~Speaker() = default;
  // One tone; frequencies below 37 Hz are raised to 37 Hz by the callers' helper.
  virtual void Tone(int frequency_hz, int duration_ms) = 0;
  // A pause between tones.
  virtual void Pause(int duration_ms) = 0;
};

// Records every requested tone and pause (frequency 0 marks a pause); plays nothing.
class RecordingSpeaker final : public Speaker {
 public:
  void Tone(int frequency_hz, int duration_ms) override;
  void Pause(int duration_ms) override;
  std::vector<std::pair<int, int>> tones;
};

// Installs the process speaker (nullptr: a silent one). The caller keeps ownership.
void SetSpeaker(Speaker* speaker);
// Sounds one tone through the process speaker, raising frequencies below 37 Hz.
void PlayTone(int frequency_hz, int duration_ms);

void BeepWarning();  // 800 Hz 50 ms, 700 Hz 50 ms
void BeepError();    // 100/50, 250/10, pause 100, 100/50, 250/10
void BeepDone();     // 880, 1320, 1760, 2200 Hz, 100 ms each

}  // namespace tessel
