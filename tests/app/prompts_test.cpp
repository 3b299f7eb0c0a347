// Range prompts: default texts, scaled numbers, parsing, clamping and Cancel.
#include "app/prompts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "support/clock.h"
#include "support/ui.h"

namespace tessel {
namespace {

class PromptTest : public ::testing::Test {
 protected:
  PromptTest() : scope_(&ui) { SetSpeaker(&speaker); }
  ~PromptTest() override { SetSpeaker(nullptr); }
  bool Warned() const { return !speaker.tones.empty() && speaker.tones.front().first == 800; }

  ScriptedUserInterface ui;
  RecordingSpeaker speaker;

 private:
  ScopedUserInterface scope_;
};

TEST(PromptDefaultText, ShowsTheValueInItsBaseWithoutPrefixOrLeadingZeros) {
  EXPECT_EQ(PromptDefaultText(16, 26), "1A");
  EXPECT_EQ(PromptDefaultText(8, 26), "32");
  EXPECT_EQ(PromptDefaultText(2, 26), "11010");
  EXPECT_EQ(PromptDefaultText(10, 26), "26");
  for (int base : {2, 8, 10, 16}) EXPECT_EQ(PromptDefaultText(base, 0), "0") << base;
  EXPECT_EQ(PromptDefaultText(10, -5), "-5");
  EXPECT_EQ(PromptDefaultText(16, -1), "FFFFFFFF");
}

TEST(ParseScaled, ReadsMantissaAndExponent) {
  std::int32_t value = -1;
  EXPECT_FALSE(ParseScaled("123", value));
  EXPECT_EQ(value, -1);
  struct Case {
    const char* text;
    std::int32_t expected;
  };
  const Case cases[] = {{"1e1", 10},
                        {"1E3", 1000},
                        {"2.5e2", 250},
                        {"FE", 0},
                        {"e", 0},
                        {"1e-1", 0},
                        {"15e-1", 1},
                        {"-3e2", -300},
                        {"1e20", std::numeric_limits<std::int32_t>::max()},
                        {"-1e20", std::numeric_limits<std::int32_t>::min()}};
  for (const Case& c : cases) {
    EXPECT_TRUE(ParseScaled(c.text, value)) << c.text;
    EXPECT_EQ(value, c.expected) << c.text;
  }
  std::uint32_t unsigned_value = 7;
  EXPECT_TRUE(ParseScaled("-1e3", unsigned_value));
  EXPECT_EQ(unsigned_value, 0u);
  EXPECT_TRUE(ParseScaled("1e12", unsigned_value));
  EXPECT_EQ(unsigned_value, std::numeric_limits<std::uint32_t>::max());
}

TEST_F(PromptTest, ShowsTheRangeAndTheCurrentValue) {
  std::int32_t value = 3;
  ui.prompt_answers = {ScriptedUserInterface::kCancel};
  EXPECT_TRUE(
      PromptIntInRange("Enter the Number of TM Streams to Pull From Recorder", value, 8, 10, 1));
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0].caption, "Input Range 1 - 8");
  EXPECT_EQ(ui.prompts[0].prompt, "Enter the Number of TM Streams to Pull From Recorder");
  EXPECT_EQ(ui.prompts[0].default_value, "3");

  value = 26;
  ui.prompt_answers = {ScriptedUserInterface::kCancel};
  EXPECT_TRUE(PromptIntInRange("hex", value, 255, 16, 0));
  EXPECT_EQ(ui.prompts[1].caption, "Input Range 0x00000000 - 0x000000FF");
  EXPECT_EQ(ui.prompts[1].default_value, "1A");
}

TEST_F(PromptTest, AnswersAreReadClampedOrRefused) {
  struct Case {
    const char* answer;
    int base;
    std::int32_t minimum, maximum;
    bool result;
    std::int32_t expected;
    bool warned;
  };
  const Case cases[] = {
      {"12", 10, 1, 8, true, 8, true},          // clamped with a warning
      {"1e1", 10, 1, 8, true, 8, true},         // 10, then clamped
      {"abc", 10, 1, 8, false, 4, false},       // not a number: unchanged
      {"", 10, 1, 8, false, 4, false},          // nothing: unchanged
      {"5 ", 10, 1, 8, false, 4, false},        // trailing text
      {"0x1F", 10, 0, 65535, true, 31, false},  // hexadecimal in a decimal prompt
      {"FE", 16, 0, 65535, true, 0, false},     // read as mantissa and exponent
      {"0xFE", 16, 0, 65535, true, 254, false},
      {"1A", 16, 0, 65535, true, 26, false},
      {"101", 2, 0, 65535, true, 5, false},
      {"-3", 10, -10, 10, true, -3, false},
      {"99999999999", 10, 0, 65535, true, 65535, true},  // beyond 32 bits: limited
  };
  for (const Case& c : cases) {
    std::int32_t value = 4;
    speaker.tones.clear();
    ui.prompt_answers = {c.answer};
    EXPECT_EQ(PromptIntInRange("p", value, c.maximum, c.base, c.minimum), c.result) << c.answer;
    EXPECT_EQ(value, c.expected) << c.answer;
    EXPECT_EQ(Warned(), c.warned) << c.answer;
  }
}

TEST_F(PromptTest, CancelKeepsTheValueUnlessItIsOutOfRange) {
  std::int32_t value = 5;
  ui.prompt_answers = {ScriptedUserInterface::kCancel};
  EXPECT_TRUE(PromptIntInRange("p", value, 8, 10, 1));
  EXPECT_EQ(value, 5);
  EXPECT_FALSE(Warned());

  value = 0;
  ui.prompt_answers = {ScriptedUserInterface::kCancel};
  EXPECT_TRUE(PromptIntInRange("p", value, 8, 10, 1));
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(Warned());
}

TEST_F(PromptTest, UnsignedPromptRefusesNegativeAnswers) {
  std::uint32_t value = 1000;
  ui.prompt_answers = {"-5"};
  EXPECT_FALSE(PromptUnsignedInRange("Enter the Bit Rate", value, 25000000, 10, 10));
  EXPECT_EQ(value, 1000u);

  ui.prompt_answers = {"3e7"};
  EXPECT_TRUE(PromptUnsignedInRange("Enter the Bit Rate", value, 25000000, 10, 10));
  EXPECT_EQ(value, 25000000u);
  EXPECT_TRUE(Warned());

  ui.prompt_answers = {"0x10"};
  EXPECT_TRUE(PromptUnsignedInRange("Enter the Bit Rate", value, 25000000, 10, 10));
  EXPECT_EQ(value, 16u);
  EXPECT_EQ(ui.prompts.back().caption, "Input Range 10 - 25000000");
}

TEST(PromptWithoutUserInterface, KeepsTheValue) {
  ScopedUserInterface none(nullptr);
  std::int32_t value = 3;
  EXPECT_TRUE(PromptIntInRange("p", value, 8, 10, 1));
  EXPECT_EQ(value, 3);
}

}  // namespace
}  // namespace tessel
