// The stream chooser: recorder display, grid and menu texts, commands, validation on
// closing, Cancel.
#include "app/stream_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {
namespace {

using test::AppTest;

std::vector<std::int32_t> ChannelIds(const RunState& state) {
  std::vector<std::int32_t> ids;
  for (int i = 0; i < state.config().NumStreams; ++i) {
    ids.push_back(state.config().Streams[static_cast<std::size_t>(i)].ChannelId);
  }
  return ids;
}

TEST(IsStreamChannel, AsksTheFirstChannelWithTheTrackNumber) {
  RGroupTable table;
  const auto add = [&](std::int32_t track, int type) {
    rgroupstruct channel;
    channel.TrackNumChannelId = track;
    channel.ChannelDataType = type;
    table.channels.push_back(channel);
  };
  add(2, kTmatsChannelPcm);
  add(10, kTmatsChannelVideo);
  add(3, kTmatsChannelAnalog);
  add(7, kTmatsChannelAnalog);
  add(7, kTmatsChannelPcm);  // the first channel 7 decides
  EXPECT_TRUE(IsStreamChannel(table, 2));
  EXPECT_TRUE(IsStreamChannel(table, 10));
  EXPECT_FALSE(IsStreamChannel(table, 3));
  EXPECT_FALSE(IsStreamChannel(table, 7));
  EXPECT_FALSE(IsStreamChannel(table, 99));
}

class StreamChooserTest : public AppTest {
 protected:
  StreamChooserTest() { WriteRecording(); }
  StreamChooser chooser{*state};
};

TEST_F(StreamChooserTest, OpeningShowsOneStreamInUseAndTheRecorderChannels) {
  const TmatsReadResult read = chooser.Open();
  EXPECT_EQ(read.status, TmatsRecordStatus::Whole);
  EXPECT_EQ(state->Ch10FileSize, read.file_size);
  EXPECT_EQ(chooser.NumStreamsText(), "1");
  EXPECT_EQ(chooser.GridCell(0, 0), "TM Stream");
  EXPECT_EQ(chooser.GridCell(0, 1), "Type Data");
  EXPECT_EQ(chooser.GridCell(0, 2), "Ch ID");
  EXPECT_EQ(chooser.GridCell(1, 0), "1");
  EXPECT_EQ(chooser.GridCell(1, 1), "PCM INPUT");
  EXPECT_EQ(chooser.GridCell(1, 2), "0");
  EXPECT_EQ(chooser.GridCell(8, 0), "8");
  EXPECT_EQ(chooser.GridCell(2, 1), "----");
  EXPECT_EQ(chooser.GridCell(2, 2), "----");

  const std::vector<std::array<std::string, 4>> expected = {
      {"Ch #", "Data Type", "Ch ID", "Data Source"},
      {"1", "TIMEIN", "1", "TIME"},
      {"2", "PCMIN", "2", "PCMA"},
      {"3", "ANAIN", "3", "ANA"},
      {"4", "PCMIN", "5", "PCMB"},
      {"5", "VIDIN", "10", "VID"}};
  EXPECT_EQ(chooser.RecorderRows(), expected);
  EXPECT_EQ(kRecorderDisplayHelpLines[2],
            "WARNING.  This is the TMATS information only, not necessarily ");
}

TEST_F(StreamChooserTest, MenuOffersTheStreamCountAndTheTwoStreamDataTypes) {
  chooser.Open();
  const std::vector<MenuItemSpec> menu = chooser.PopupMenu();
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].caption, "Number of TM Streams");
  EXPECT_EQ(menu[1].caption, "Recorder Channel Info Assigned to Stream 1");
  ASSERT_EQ(menu[1].items.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    const MenuItemSpec& item = menu[1].items[static_cast<std::size_t>(i)];
    EXPECT_EQ(item.name, "SubMenuRecDataType" + std::to_string(i));
    EXPECT_EQ(item.caption, ChannelDataTypeName(i));
    EXPECT_EQ(item.tag, i);
    EXPECT_EQ(item.enabled, i == 0 || i == 4) << i;
  }
  EXPECT_EQ(menu[1].items[9].caption, "IMAGE DATA INPUT");
  EXPECT_FALSE(chooser.RunMenuItem(menu[1].items[1]));  // disabled
}

TEST_F(StreamChooserTest, StreamCountIsClampedAndRowsSelectOnlyStreamsInUse) {
  chooser.Open();
  ui.prompt_answers = {"12"};
  EXPECT_TRUE(chooser.NumberOfStreamsClick());
  EXPECT_EQ(ui.prompts.back().prompt, "Enter the Number of TM Streams to Pull From Recorder");
  EXPECT_EQ(ui.prompts.back().caption, "Input Range 1 - 8");
  EXPECT_EQ(chooser.NumStreamsText(), "8");
  EXPECT_TRUE(WarningBeeped());

  ui.prompt_answers = {"3"};
  chooser.NumberOfStreamsClick();
  EXPECT_FALSE(chooser.SelectCell(0));  // the header row
  EXPECT_FALSE(chooser.SelectCell(4));
  EXPECT_TRUE(chooser.SelectCell(3));
  EXPECT_EQ(chooser.current_stream(), 2);
  EXPECT_EQ(chooser.DataTypeMenuCaption(), "Recorder Channel Info Assigned to Stream 3");

  // Fewer streams keep the current stream among them.
  ui.prompt_answers = {"2"};
  chooser.NumberOfStreamsClick();
  EXPECT_EQ(chooser.current_stream(), 1);

  ui.prompt_answers = {"abc"};
  EXPECT_FALSE(chooser.NumberOfStreamsClick());
  EXPECT_EQ(chooser.NumStreamsText(), "2");
}

TEST_F(StreamChooserTest, DataTypeItemSetsTypeAndAsksForTheChannelId) {
  chooser.Open();
  // Video on a PCM channel is accepted: the channel need only be PCM or video.
  ui.prompt_answers = {"2"};
  EXPECT_TRUE(chooser.RecorderDataTypeClick(kTmatsChannelVideo));
  EXPECT_EQ(ui.prompts.back().prompt, "Enter the Channel ID the Recorder Uses for this Channel");
  EXPECT_EQ(ui.prompts.back().caption, "Input Range 0 - 65535");
  EXPECT_EQ(chooser.GridCell(1, 1), "VIDEO INPUT");
  EXPECT_EQ(chooser.GridCell(1, 2), "2");
  EXPECT_TRUE(ui.boxes.empty());

  ui.prompt_answers = {"99"};
  EXPECT_TRUE(chooser.RecorderDataTypeClick(kTmatsChannelPcm));
  EXPECT_EQ(chooser.GridCell(1, 2), "99");  // the entered ID stays
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "ERROR");
  EXPECT_EQ(ui.boxes[0].text, "Invalid Type Data for this ChID");
  const auto lines = LinesWith("Invalid Type Data for this ChID");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].code, "000099");
  EXPECT_TRUE(ErrorBeeped());

  EXPECT_FALSE(chooser.RecorderDataTypeClick(kTmatsChannelAnalog));
  EXPECT_EQ(state->config().Streams[0].DataType, kTmatsChannelPcm);
}

TEST_F(StreamChooserTest, ClosingDropsStreamsThatAreNotPcmOrVideoChannels) {
  chooser.Open();
  ui.prompt_answers = {"3", "2", "99", "10"};
  chooser.NumberOfStreamsClick();
  for (int row = 1; row <= 3; ++row) {
    chooser.SelectCell(row);
    chooser.RecorderDataTypeClick(row == 3 ? kTmatsChannelVideo : kTmatsChannelPcm);
  }
  ui.boxes.clear();
  chooser.Accept();
  EXPECT_TRUE(chooser.Close());
  EXPECT_EQ(ChannelIds(*state), (std::vector<std::int32_t>{2, 10}));
  EXPECT_EQ(state->config().Streams[1].DataType, kTmatsChannelVideo);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            "Invalid Type Data or ChID for stream 2\r\nRemoving the stream from the process list");
  const auto lines = LinesWith("Invalid Type Data or ChID for stream 2");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].code, "000001");
}

TEST_F(StreamChooserTest, CancelRestoresTheEarlierTableAndStillValidates) {
  auto& config = state->config();
  config.NumStreams = 2;
  config.Streams[0] = {5, kTmatsChannelPcm, 0};
  config.Streams[1] = {3, kTmatsChannelPcm, 0};  // analog: dropped when the chooser closes
  chooser.Open();
  ui.prompt_answers = {"1", "10"};
  chooser.NumberOfStreamsClick();
  chooser.RecorderDataTypeClick(kTmatsChannelVideo);
  chooser.Cancel();
  EXPECT_FALSE(chooser.Close());
  EXPECT_EQ(ChannelIds(*state), (std::vector<std::int32_t>{5}));
  EXPECT_EQ(config.Streams[0].DataType, kTmatsChannelPcm);
  EXPECT_EQ(ui.boxes.back().text,
            "Invalid Type Data or ChID for stream 2\r\nRemoving the stream from the process list");
}

TEST_F(StreamChooserTest, ResetChannelIdsLeaveNoStream) {
  // Nothing edited: the one stream in use has channel ID 0, which no channel has.
  EXPECT_FALSE(RunStreamChooser(*state, {}));
  EXPECT_EQ(state->config().NumStreams, 0);
}

TEST_F(StreamChooserTest, ClosingWithoutAButtonCountsAsAccept) {
  bool shown = false;
  const bool result = RunStreamChooser(*state, [&](StreamChooser& open) {
    shown = true;
    ui.prompt_answers = {"5"};
    open.RecorderDataTypeClick(kTmatsChannelPcm);
  });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(result);
  EXPECT_EQ(ChannelIds(*state), (std::vector<std::int32_t>{5}));
}

TEST_F(StreamChooserTest, ValidationResetsEverySetup) {
  chooser.Open();
  state->ProjectTitle = "OLD";
  state->irig.IrigTime = 5.0;
  state->config().PcmSetups[0].DecomSetupFileName = "X";
  ui.prompt_answers = {"2"};
  chooser.RecorderDataTypeClick(kTmatsChannelPcm);
  EXPECT_TRUE(chooser.Close());
  EXPECT_TRUE(state->ProjectTitle.empty());
  EXPECT_EQ(state->irig.IrigTime, 0.0);
  EXPECT_TRUE(state->config().PcmSetups[0].DecomSetupFileName.empty());
}

TEST_F(StreamChooserTest, UnreadableRecordingLeavesNoChannelOfTheEarlierOne) {
  chooser.Open();
  ASSERT_FALSE(state->tmats.r.channels.empty());
  state->Ch10FileName = log.dir().File("gone.c10");
  StreamChooser again(*state);
  EXPECT_EQ(again.Open().status, TmatsRecordStatus::NotOpened);
  EXPECT_TRUE(state->tmats.r.channels.empty());
  EXPECT_TRUE(state->pgroups.groups.empty());
  ui.prompt_answers = {"2"};
  again.RecorderDataTypeClick(kTmatsChannelPcm);
  EXPECT_FALSE(again.Close());
}

}  // namespace
}  // namespace tessel
