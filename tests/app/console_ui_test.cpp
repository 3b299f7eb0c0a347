// The command line's user interface and the answering wrapper.
#include "app/console_ui.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(ConsoleUserInterface, BoxesBecomeIndentedLinesAndPromptsKeepTheirDefault) {
  EXPECT_EQ(ConsoleUserInterface::BoxLine("ERROR", "one\r\ntwo"), "ERROR: one\n  two\n");
  ConsoleUserInterface console(nullptr);
  std::string value = "7";
  EXPECT_TRUE(console.PromptText("c", "p", value));
  EXPECT_EQ(value, "7");
  std::string chosen = "x";
  EXPECT_FALSE(console.OpenFile({}, chosen));
  EXPECT_EQ(chosen, "x");
}

TEST(AnsweringUserInterface, AnswersOnceThenHandsOver) {
  ScriptedUserInterface inner;
  inner.prompt_answers = {"inner"};
  AnsweringUserInterface answering(&inner, "given");
  std::string value;
  EXPECT_TRUE(answering.PromptText("c", "p", value));
  EXPECT_EQ(value, "given");
  EXPECT_TRUE(answering.used());
  EXPECT_TRUE(answering.PromptText("c", "p", value));
  EXPECT_EQ(value, "inner");
  answering.MessageBox("INFO", "text", BoxIcon::Information);
  ASSERT_EQ(inner.boxes.size(), 1u);
  EXPECT_EQ(inner.boxes[0].text, "text");

  AnsweringUserInterface file(nullptr, "/a/b.B72");
  std::string chosen;
  EXPECT_TRUE(file.OpenFile({}, chosen));
  EXPECT_EQ(chosen, "/a/b.B72");
  EXPECT_FALSE(file.OpenFile({}, chosen));
}

}  // namespace
}  // namespace tessel
