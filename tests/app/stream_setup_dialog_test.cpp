// The stream setup dialog: tabs, file label, Accept runs the check, Cancel does not.
#include "app/stream_setup_dialog.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "pdbase/pdbase.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {
namespace {

using test::AppTest;

class SetupDialogTest : public AppTest {
 protected:
  SetupDialogTest() { LoadStreams({{2, kTmatsChannelPcm}, {10, kTmatsChannelVideo}}); }
  StreamSetupDialog dialog{*state};
};

TEST_F(SetupDialogTest, ShowsOneTabPerStreamAndTheRecordingTitle) {
  dialog.Open();
  EXPECT_EQ(dialog.num_streams(), 2);
  EXPECT_TRUE(dialog.TabVisible(0));
  EXPECT_TRUE(dialog.TabVisible(1));
  EXPECT_FALSE(dialog.TabVisible(2));
  EXPECT_EQ(StreamSetupDialog::TabCaption(0), "Stream 1");
  EXPECT_EQ(StreamSetupDialog::TabCaption(7), "Stream 8");
  EXPECT_EQ(dialog.FileLabel(), "flight7");
  ASSERT_NE(dialog.page(1), nullptr);
  EXPECT_EQ(dialog.page(2), nullptr);
  EXPECT_TRUE(dialog.page(1)->video());
  // Creating the pages filled the setups.
  EXPECT_EQ(state->config().PcmSetups[1].DecomSetup.WordsPerFrame, 188);

  dialog.Shown();  // stream 1 is PCM: no warning
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(dialog.ChangeTab(1));
  EXPECT_EQ(dialog.current_tab(), 1);
  EXPECT_EQ(dialog.FileLabel(), "flight7");
  EXPECT_EQ(ui.boxes.size(), 1u);  // the video warning
  EXPECT_TRUE(dialog.ChangeTab(0));
  EXPECT_TRUE(dialog.ChangeTab(1));
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_FALSE(dialog.ChangeTab(2));
  EXPECT_EQ(dialog.current_tab(), 1);
}

TEST_F(SetupDialogTest, CancelGivesFalseWithoutCheckingAndKeepsTheChanges) {
  dialog.Open();
  state->streams.pdbase(0).ClearParams();  // would fail the check
  ui.prompt_answers = {"20"};
  dialog.page(0)->Run(PcmStreamInfoPage::kFramesPerInterrupt);
  dialog.Cancel();
  EXPECT_FALSE(dialog.Close());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(state->config().PcmSetups[0].DecomSetup.FramesPerInterrupt, 20);
}

TEST_F(SetupDialogTest, ClosingWithoutAButtonRunsTheCheck) {
  EXPECT_TRUE(RunStreamSetupDialog(*state, {}));
  const bool result = RunStreamSetupDialog(*state, [&](StreamSetupDialog& open) {
    state->streams.pdbase(1).ClearParams();
    EXPECT_EQ(open.num_streams(), 2);
  });
  EXPECT_FALSE(result);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            "PDbase and Decom Setup Do Not Match for Stream 2 ...Param Count in PDbase must be "
            "greater than 0");
}

}  // namespace
}  // namespace tessel
