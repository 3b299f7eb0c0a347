#include "support/clock.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "support/format.h"

namespace tessel {
namespace {

TEST(DayOfYear, UsesTheSimpleLeapRuleAndFallsBackToTheFirstDayOrMonth) {
  const std::vector<std::tuple<int, int, int, int>> cases = {
      // year, month, day, day of year
      {2023, 1, 1, 1},     {2024, 3, 1, 61},
      {2023, 3, 1, 60},    {2100, 3, 1, 61},   // every fourth year is a leap year
      {2024, 2, 29, 60},   {2023, 2, 29, 32},  // no 29 February: taken as 1 February
      {2023, 2, 30, 32},   {2023, 4, 31, 91},  // April has 30 days: taken as 1 April
      {2023, 13, 5, 5},                        // month above 12: January
      {2023, 0, 5, 5},     {2023, 6, 0, 152},  // day below 1: taken as 1
      {2023, 12, 31, 365}, {2024, 12, 31, 366},
  };
  for (const auto& [year, month, day, expected] : cases) {
    SCOPED_TRACE(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));
    EXPECT_EQ(DayOfYear(year, month, day), expected);
  }
}

TEST(TimeOfYearAt, CountsDaysFromDayOne) {
  EXPECT_DOUBLE_EQ(TimeOfYearAt(2023, 1, 1, 0, 0, 0, 0), 86'400.0);
  EXPECT_DOUBLE_EQ(TimeOfYearAt(2024, 12, 31, 23, 59, 59, 999), 366 * 86'400.0 + 86'399.999);
  EXPECT_DOUBLE_EQ(TimeOfYearAt(2023, 2, 3, 4, 5, 6, 500), 34 * 86'400.0 + 14'706.5);
  EXPECT_EQ(TimeOfYearAt(2023, 1, 1, -25, 0, 0, 0), 0.0);
  EXPECT_EQ(TimeOfYearAt(2024, 12, 31, 48, 0, 0, 0), 0.0);
}

TEST(TimeOfYearNow, IsAValidTimeOfYear) {
  const double t = TimeOfYearNow();
  EXPECT_GE(t, 86'400.0);
  EXPECT_LE(t, kMaxTimeOfYear);
}

// Records the tones and restores the silent speaker afterwards.
class SpeakerTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSpeaker(&speaker_); }
  void TearDown() override { SetSpeaker(nullptr); }
  RecordingSpeaker speaker_;
};

using Tones = std::vector<std::pair<int, int>>;

TEST_F(SpeakerTest, BeepsPlayTheirPatterns) {
  BeepWarning();
  EXPECT_EQ(speaker_.tones, (Tones{{800, 50}, {700, 50}}));
  speaker_.tones.clear();
  BeepError();
  EXPECT_EQ(speaker_.tones, (Tones{{100, 50}, {250, 10}, {0, 100}, {100, 50}, {250, 10}}));
  speaker_.tones.clear();
  BeepDone();
  EXPECT_EQ(speaker_.tones, (Tones{{880, 100}, {1320, 100}, {1760, 100}, {2200, 100}}));
}

TEST_F(SpeakerTest, LowTonesAreRaisedTo37Hz) {
  PlayTone(20, 30);
  PlayTone(37, 30);
  PlayTone(-5, 30);
  PlayTone(440, 10);
  EXPECT_EQ(speaker_.tones, (Tones{{37, 30}, {37, 30}, {37, 30}, {440, 10}}));
}

TEST(Speaker, WithoutASpeakerBeepsDoNothing) {
  RecordingSpeaker unused;
  SetSpeaker(nullptr);
  BeepWarning();
  BeepError();
  BeepDone();
  PlayTone(440, 10);
  EXPECT_TRUE(unused.tones.empty());
}

TEST(Ctimeclass, StartsValidAtTheTimeOfYearNow) {
  const Ctimeclass clock;
  EXPECT_TRUE(clock.valid());
  EXPECT_GE(clock.current(), 86'400.0);
  EXPECT_EQ(clock.previous(), clock.current());
}

TEST(Ctimeclass, SetLimitsTheValueAndKeepsThePreviousOne) {
  struct Case {
    double value;
    double stored;
    bool valid;
  };
  const std::vector<Case> cases = {
      {100.0, 100.0, true},
      {kMaxTimeOfYear, kMaxTimeOfYear, true},
      {-1.0, 0.0, false},
      {kMaxTimeOfYear + 1.0, kMaxTimeOfYear, false},
      {std::numeric_limits<double>::quiet_NaN(), 0.0, false},
      {std::numeric_limits<double>::infinity(), kMaxTimeOfYear, false},
      {0.0, 0.0, true},
  };
  Ctimeclass clock;
  double previous = clock.current();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    clock.set(c.value);
    EXPECT_EQ(clock.current(), c.stored);
    EXPECT_EQ(clock.previous(), previous);
    EXPECT_EQ(clock.valid(), c.valid);
    previous = clock.current();
  }
}

TEST(Ctimerclass, ElapsedIsNeverNegativeAndGrows) {
  Ctimerclass clock;
  clock.start();
  const double first = clock.elapsed();
  const double second = clock.elapsed();
  EXPECT_GE(first, 0.0);
  EXPECT_GE(second, first);
}

TEST(Ctimerclass, NowIsTheBasePlusElapsedAndUpdateStoresIt) {
  Ctimerclass clock;
  EXPECT_TRUE(clock.valid());
  const double before = clock.current();
  const double now = clock.now();
  EXPECT_GE(now, before);
  clock.update();
  EXPECT_EQ(clock.previous(), before);
  EXPECT_GE(clock.current(), now);
  EXPECT_TRUE(clock.valid());
}

TEST(Ctimerclass, NowGivesMinusOneWhileTheLockIsHeldElsewhere) {
  Ctimerclass clock;
  std::mutex m;
  std::condition_variable cv;
  bool locked = false;
  bool release = false;
  std::thread holder([&] {
    std::lock_guard<std::timed_mutex> hold(clock.lock());
    std::unique_lock<std::mutex> lk(m);
    locked = true;
    cv.notify_all();
    cv.wait(lk, [&] { return release; });
  });
  {
    std::unique_lock<std::mutex> lk(m);
    cv.wait(lk, [&] { return locked; });
  }
  const double now = clock.now();
  clock.update();  // -1 is stored as 0, not valid
  {
    std::lock_guard<std::mutex> lk(m);
    release = true;
  }
  cv.notify_all();
  holder.join();
  EXPECT_EQ(now, -1.0);
  EXPECT_EQ(clock.current(), 0.0);
  EXPECT_FALSE(clock.valid());
  EXPECT_GT(clock.now(), 0.0);  // the lock is free again
}

}  // namespace
}  // namespace tessel
