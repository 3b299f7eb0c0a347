// The error log: banners, the exact line format, boxes and beeps, logging without a
// log, the directory reset and restarts. Every test logs in a directory of its own.
#include "support/log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"
#include "support/clock.h"
#include "support/format.h"
#include "support/ui.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using test::LogSession;
using test::TempDir;

const char kStartBanner[] = "------------------PROGRAM START--------------------";
const char kEndBanner[] = "------------------PROGRAM END--------------------";

// Code and message of each line; lines without code and time have an empty code.
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries CodesAndMessages(const std::vector<test::LogLine>& lines) {
  Entries entries;
  for (const test::LogLine& line : lines) entries.emplace_back(line.code, line.message);
  return entries;
}

// Installs a recording speaker for one test.
class SpeakerGuard {
 public:
  SpeakerGuard() { SetSpeaker(&speaker); }
  ~SpeakerGuard() { SetSpeaker(nullptr); }
  SpeakerGuard(const SpeakerGuard&) = delete;
  SpeakerGuard& operator=(const SpeakerGuard&) = delete;
  RecordingSpeaker speaker;
};

const std::vector<std::pair<int, int>> kWarningTones = {{800, 50}, {700, 50}};
const std::vector<std::pair<int, int>> kErrorTones = {
    {100, 50}, {250, 10}, {0, 100}, {100, 50}, {250, 10}};

TEST(Log, StartAndEndWriteTheirBanners) {
  TempDir dir;
  test::ScopedCurrentDirectory current(dir.path());
  LogStart("1.10", "Tessel", "", "Tessel");
  EXPECT_TRUE(LogIsOpen());
  EXPECT_EQ(LogFilePath(), dir.File("Tessel.Log"));
  EXPECT_EQ(StartDirectory(), dir.path().string());
  LogMessage("work", 0);
  LogEnd();
  EXPECT_FALSE(LogIsOpen());
  EXPECT_EQ(LogFilePath(), "");
  std::string text = test::ReadTextFile(dir.File("Tessel.Log"));
  EXPECT_EQ(CodesAndMessages(test::SplitLogText(text)), (Entries{{"000000", kStartBanner},
                                                                 {"000000", "Program Version 1.10"},
                                                                 {"000000", "work"},
                                                                 {"000000", kEndBanner}}))
      << text;
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(Log, LineCarriesTheCodeTheTimeAndTheMessage) {
  struct Case {
    int code;
    std::string message;
    Entries expected;
  };
  const std::vector<Case> cases = {
      {0, "SETTING PRIORITY", {{"000000", "SETTING PRIORITY"}}},
      {5000, "abnormal", {{"005000", "abnormal"}}},
      {-1, "minus", {{"-00001", "minus"}}},
      {1234567, "wide", {{"1234567", "wide"}}},
      {255, "", {{"000255", ""}}},
      // Continuation lines carry no code and no time.
      {3, "first\r\nsecond\r\nthird", {{"000003", "first"}, {"", "second"}, {"", "third"}}},
  };
  for (const Case& c : cases) {
    LogSession log;
    LogMessage(c.message, c.code);
    EXPECT_EQ(CodesAndMessages(log.Lines()), c.expected) << c.code << ": " << log.Text();
  }
}

TEST(Log, TimeIsTheClocksSplitTimeOfYear) {
  LogSession log;
  double before = LogClockNow();
  LogMessage("x", 0);
  double after = LogClockNow();
  EXPECT_GT(before, 0.0);
  EXPECT_LE(after, kMaxTimeOfYear);
  ASSERT_EQ(log.Lines().size(), 1u);
  std::string entry = log.Lines()[0].time;
  int day = 0;
  int hours = 0;
  int minutes = 0;
  double seconds = 0.0;
  ASSERT_EQ(std::sscanf(entry.c_str(), "%d:%d:%d:%lf", &day, &hours, &minutes, &seconds), 4)
      << entry;
  double logged = day * 86400.0 + hours * 3600.0 + minutes * 60.0 + seconds;
  EXPECT_GE(logged, before - 0.000001);
  EXPECT_LE(logged, after + 0.000001);
}

TEST(Log, LongLinesAreWrittenWhole) {
  LogSession log;
  const std::string message(40000, 'L');
  LogMessage(message, 7);
  EXPECT_EQ(CodesAndMessages(log.Lines()), (Entries{{"000007", message}}));
}

TEST(Log, SpacedMessageLeavesAnEmptyLineAndShowsItsBox) {
  ScriptedUserInterface ui;
  ScopedUserInterface installed(&ui);
  LogSession log;
  LogMessageSpaced("section done", 2, true);
  LogMessageSpaced("quiet", 2);
  EXPECT_EQ(CodesAndMessages(log.Lines()),
            (Entries{{"000002", "section done"}, {"", ""}, {"000002", "quiet"}, {"", ""}}))
      << log.Text();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "INFO");
  EXPECT_EQ(ui.boxes[0].text, "section done\r\n");
  EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Information);
}

TEST(Log, BoxesAndBeepsFollowTheLine) {
  ScriptedUserInterface ui;
  ScopedUserInterface installed(&ui);
  SpeakerGuard sound;
  LogSession log;

  LogMessage("info shown", 0, true);
  LogMessage("info quiet", 0);
  EXPECT_TRUE(sound.speaker.tones.empty());
  LogWarning("careful", 1, true);
  EXPECT_EQ(sound.speaker.tones, kWarningTones);
  sound.speaker.tones.clear();
  LogError("broken", 255, true);
  EXPECT_EQ(sound.speaker.tones, kErrorTones);
  sound.speaker.tones.clear();
  LogWarning("quiet warning", 1);
  EXPECT_EQ(sound.speaker.tones, kWarningTones);

  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].caption, "INFO");
  EXPECT_EQ(ui.boxes[0].text, "info shown");
  EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Information);
  EXPECT_EQ(ui.boxes[1].caption, "WARNING");
  EXPECT_EQ(ui.boxes[1].text, "careful");
  EXPECT_EQ(ui.boxes[1].icon, BoxIcon::Warning);
  EXPECT_EQ(ui.boxes[2].caption, "ERROR");
  EXPECT_EQ(ui.boxes[2].text, "broken");
  EXPECT_EQ(ui.boxes[2].icon, BoxIcon::Error);
  // No level words in the lines: the warning and error are plain entries.
  EXPECT_EQ(CodesAndMessages(log.Lines()), (Entries{{"000000", "info shown"},
                                                    {"000000", "info quiet"},
                                                    {"000001", "careful"},
                                                    {"000255", "broken"},
                                                    {"000001", "quiet warning"}}))
      << log.Text();
}

TEST(Log, WithoutALogNothingIsWrittenButWarningsStillSound) {
  TempDir dir;
  test::ScopedCurrentDirectory current(dir.path());
  ScriptedUserInterface ui;
  ScopedUserInterface installed(&ui);
  SpeakerGuard sound;
  ASSERT_FALSE(LogIsOpen());

  LogMessage("no log", 0, true);
  LogMessageSpaced("spaced", 0, true);
  LogWarning("warn", 1, true);
  LogError("err", 1, true);
  LogEnd();  // ending twice is harmless

  EXPECT_FALSE(fs::exists(dir.File("Tessel.Log")));
  EXPECT_TRUE(fs::is_empty(dir.path()));
  std::vector<std::pair<int, int>> tones = kWarningTones;
  tones.insert(tones.end(), kErrorTones.begin(), kErrorTones.end());
  EXPECT_EQ(sound.speaker.tones, tones);
  ASSERT_EQ(ui.boxes.size(), 3u);  // LogMessage shows no box without a log
  EXPECT_EQ(ui.boxes[0].caption, "INFO");
  EXPECT_EQ(ui.boxes[0].text, "spaced\r\n");
  EXPECT_EQ(ui.boxes[1].caption, "WARNING");
  EXPECT_EQ(ui.boxes[2].caption, "ERROR");
}

TEST(Log, AfterTheEndTheFileStaysAsItWas) {
  TempDir dir;
  test::ScopedCurrentDirectory current(dir.path());
  LogStart("1.10", "Tessel", "", "Tessel");
  LogEnd();
  std::string ended = test::ReadTextFile(dir.File("Tessel.Log"));
  LogMessage("late", 0);
  LogError("late error", 1);
  EXPECT_EQ(test::ReadTextFile(dir.File("Tessel.Log")), ended);
}

TEST(Log, EveryCallReturnsToTheStartDirectory) {
  LogSession log;
  TempDir elsewhere;
  using Call = void (*)();
  const std::vector<Call> calls = {
      [] { LogMessage("m", 0); },
      [] { LogMessageSpaced("s", 0); },
      [] { LogWarning("w", 0); },
      [] { LogError("e", 0); },
      [] { static_cast<void>(LogClockNow()); },
  };
  for (Call call : calls) {
    fs::current_path(elsewhere.path());
    call();
    EXPECT_EQ(fs::current_path(), log.dir().path());
  }
  EXPECT_FALSE(fs::exists(elsewhere.File("Tessel.Log")));
}

TEST(Log, LinesGoToTheStartDirectoryWhateverIsCurrent) {
  LogSession log;
  TempDir elsewhere;
  fs::current_path(elsewhere.path());
  LogMessage("still here", 0);
  EXPECT_NE(log.Text().find("still here"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

TEST(Log, RestartEmptiesThePreviousRunsLog) {
  TempDir dir;
  test::ScopedCurrentDirectory current(dir.path());
  LogStart("1", "Tessel", "", "Tessel");
  LogMessage("first run", 0);
  LogEnd();
  LogStart("2", "Tessel", "", "Tessel");
  LogMessage("second run", 0);
  LogEnd();
  std::string text = test::ReadTextFile(dir.File("Tessel.Log"));
  EXPECT_EQ(text.find("first run"), std::string::npos);
  EXPECT_NE(text.find("second run"), std::string::npos);
  EXPECT_EQ(text.find("Program Version 1\r\n"), std::string::npos);
}

TEST(Log, SubDirectoryIsUsedOnlyWhenItExists) {
  TempDir dir;
  test::ScopedCurrentDirectory current(dir.path());
  fs::create_directory(dir.path() / "logs");
  LogStart("1", "/Run", "/logs", "Fallback");
  EXPECT_EQ(LogFilePath(), dir.File("logs/Run.Log"));
  LogEnd();
  LogStart("1", "/Run", "/missing", "Fallback");
  EXPECT_EQ(LogFilePath(), dir.File("Fallback.Log"));
  LogEnd();
  EXPECT_TRUE(fs::exists(dir.File("logs/Run.Log")));
  EXPECT_TRUE(fs::exists(dir.File("Fallback.Log")));
}

TEST(Log, StartClearsTheShuttingDownFlag) {
  SetShuttingDown(true);
  EXPECT_TRUE(ShuttingDown());
  LogSession log;
  EXPECT_FALSE(ShuttingDown());
}

TEST(Log, LinesFromManyThreadsNeverInterleave) {
  LogSession log;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 100; ++i) LogMessage("thread " + std::to_string(t) + " line", t);
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<test::LogLine> lines = log.Lines();
  EXPECT_FALSE(lines.empty());
  for (const test::LogLine& line : lines) {
    ASSERT_EQ(line.code.size(), 6u) << line.message;
    EXPECT_EQ(line.message, std::string("thread ") + line.code.back() + " line");
  }
}

}  // namespace
}  // namespace tessel
