// The road without a screen: request texts, default channels, and the road from a
// recording to the setup files.
#include "app/convert_request.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "pdbase/pdbase.h"
#include "pdbase/pdbase_ascii.h"
#include "pdbase/pdbase_generate.h"
#include "setup/ddbase_file.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using test::AppTest;

TEST(ConvertRequestTexts, ChannelsFilesAndSettings) {
  ConvertChannel channel;
  EXPECT_EQ(ParseConvertChannel("13", channel), "");
  EXPECT_EQ(channel.channel_id, 13);
  EXPECT_FALSE(channel.video);
  EXPECT_EQ(ParseConvertChannel("14:video", channel), "");
  EXPECT_TRUE(channel.video);
  EXPECT_EQ(ParseConvertChannel("15:PCM", channel), "");
  EXPECT_FALSE(channel.video);
  for (const char* bad : {"", "x", "-1", "65536", "13:audio", ":video", "1 3"}) {
    EXPECT_NE(ParseConvertChannel(bad, channel), "") << bad;
  }
  EXPECT_EQ(channel.channel_id, 15);

  StreamFile file;
  EXPECT_EQ(ParseStreamFile("2=/lib/ENGINE.PDB", file), "");
  EXPECT_EQ(file.stream, 2);
  EXPECT_EQ(file.path, "/lib/ENGINE.PDB");
  for (const char* bad : {"9=x", "0=x", "2=", "x=y", "2"}) {
    EXPECT_NE(ParseStreamFile(bad, file), "") << bad;
  }

  StreamSetting setting;
  EXPECT_EQ(ParseStreamSetting("1:words=256", setting), "");
  EXPECT_EQ(setting.stream, 1);
  EXPECT_EQ(setting.field, "words");
  EXPECT_EQ(setting.value, "256");
  EXPECT_EQ(ParseStreamSetting("8:fsp=EB90", setting), "");
  for (const char* bad :
       {"1:wordz=3", "0:words=3", "9:words=3", "1words=3", "1:words", "x:words=3"}) {
    EXPECT_NE(ParseStreamSetting(bad, setting), "") << bad;
  }
  EXPECT_NE(DecomFieldsHelp().find("frames-per-interrupt"), std::string::npos);
}

TEST(DefaultConvertChannels, EveryPcmAndVideoChannelUpToEight) {
  RGroupTable table;
  for (int i = 0; i < 12; ++i) {
    rgroupstruct channel;
    channel.TrackNumChannelId = 100 + i;
    channel.ChannelDataType =
        i % 3 == 0 ? kTmatsChannelAnalog : (i % 3 == 1 ? kTmatsChannelPcm : kTmatsChannelVideo);
    table.channels.push_back(channel);
  }
  const std::vector<ConvertChannel> channels = DefaultConvertChannels(table);
  ASSERT_EQ(channels.size(), 8u);
  EXPECT_EQ(channels[0].channel_id, 101);
  EXPECT_FALSE(channels[0].video);
  EXPECT_EQ(channels[1].channel_id, 102);
  EXPECT_TRUE(channels[1].video);
  EXPECT_EQ(channels[7].channel_id, 111);
}

class RoadTest : public AppTest {
 protected:
  RoadTest() {
    request.recording = WriteRecording();
    out = log.dir().path() / "out";
    fs::create_directory(out);
    request.project = (out / "run.prj").string();
  }
  ConvertSetupReport Run() { return SetUpConversion(*state, request); }
  ConvertRequest request;
  fs::path out;
};

TEST_F(RoadTest, DefaultChannelsAreSetUpAndWritten) {
  const ConvertSetupReport report = Run();
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(report.errors.empty());
  EXPECT_TRUE(report.setups_match);
  ASSERT_EQ(report.streams.size(), 3u);
  EXPECT_EQ(report.streams[0].channel_id, 2);
  EXPECT_EQ(report.streams[1].channel_id, 5);
  EXPECT_EQ(report.streams[2].channel_id, 10);
  EXPECT_TRUE(report.streams[2].video);
  EXPECT_EQ(report.files.files.size(), 11u);
  EXPECT_TRUE(fs::exists(out / "RUN_3.B72"));
  EXPECT_EQ(state->ProjectTitle, "RUN");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RoadTest, RefusedChannelIsDroppedWithANote) {
  request.channels = {{2, false}, {3, false}, {10, true}};
  const ConvertSetupReport report = Run();
  EXPECT_TRUE(report.ok());
  ASSERT_EQ(report.streams.size(), 2u);
  EXPECT_EQ(report.streams[1].channel_id, 10);
  EXPECT_EQ(report.notes.at(0), "channel 3 dropped: not a PCM or video channel of the recorder");
  // The chooser said so too.
  EXPECT_EQ(ui.boxes.back().text,
            "Invalid Type Data or ChID for stream 2\r\nRemoving the stream from the process list");
}

TEST_F(RoadTest, SettingsRunTheDecomCommandsInOrder) {
  request.channels = {{2, false}, {5, false}};
  request.settings = {{1, "words", "20000"},       {1, "words", "300"},
                      {2, "fsp-position", "none"}, {2, "msb-first", "NO"},
                      {1, "gmode", "yes"},         {1, "bit-rate", "5e6"},
                      {2, "word-length", "12"},    {2, "fsp", "eb90"},
                      {2, "sfid-bit", "3"},        {2, "frames-per-interrupt", "0"}};
  const ConvertSetupReport report = Run();
  EXPECT_TRUE(report.errors.empty()) << report.errors.front();
  const auto& config = state->config();
  const decomsetupstruct& first = config.PcmSetups[0].DecomSetup;
  const decomsetupstruct& second = config.PcmSetups[1].DecomSetup;
  EXPECT_EQ(first.WordsPerFrame, 300);
  EXPECT_EQ(first.bGMode, 1);
  EXPECT_EQ(first.BitRate, 5000000);
  EXPECT_EQ(config.Streams[1].RawData, 1);
  EXPECT_EQ(second.BitOrder, 1);
  EXPECT_EQ(second.CommonWordLength, 12);
  EXPECT_EQ(RecordText(second.FrmSyncPat), "EB90");
  EXPECT_EQ(second.SubFrameIdStartBitLsb, 3);
  EXPECT_EQ(second.FramesPerInterrupt, 1);
  EXPECT_NE(
      std::find(report.notes.begin(), report.notes.end(), "stream 1: words 20000 taken as 16383"),
      report.notes.end());
  EXPECT_NE(std::find(report.notes.begin(), report.notes.end(),
                      "stream 2: frames-per-interrupt 0 taken as 1"),
            report.notes.end());
  // The written DDbase file holds the settings.
  pcmsetupinfo back;
  ResetPcmSetupInfo(back);
  ASSERT_TRUE(ReadDdbaseFile((out / "RUN_1.B72").string(), back.DecomSetup, back.SimSetup,
                             back.BitSyncSetup));
  EXPECT_EQ(back.DecomSetup.WordsPerFrame, 300);
  EXPECT_EQ(back.DecomSetup.BitRate, 5000000);
}

TEST_F(RoadTest, BadSettingsStopTheRoadBeforeAnyFileIsWritten) {
  const std::pair<StreamSetting, std::string> cases[] = {
      {{1, "fsp-position", "MIDDLE"}, "1:fsp-position=MIDDLE: not one of TRAILS|LEADS|NONE"},
      {{1, "word-length", "17"}, "1:word-length=17: not one of 3..16"},
      {{1, "words", "many"}, "1:words=many: not a valid 3..16383 value"},
      {{1, "gmode", "maybe"}, "1:gmode=maybe: G mode is YES or NO"},
      {{4, "words", "10"}, "setting words: there is no stream 4 (3 set up)"},
  };
  for (const auto& [setting, message] : cases) {
    request.settings = {setting};
    const ConvertSetupReport report = Run();
    EXPECT_FALSE(report.ok());
    ASSERT_EQ(report.errors.size(), 1u) << message;
    EXPECT_EQ(report.errors[0], message);
    EXPECT_TRUE(report.files.files.empty());
    EXPECT_TRUE(fs::is_empty(out)) << message;
  }
}

TEST_F(RoadTest, DdbaseAndPdbaseFilesAreTakenForTheirStreams) {
  pcmsetupinfo source;
  ResetPcmSetupInfo(source);
  source.DecomSetup.WordsPerFrame = 128;
  source.DecomSetup.WdArrayLength = 128;
  const std::string ddbase = log.dir().File("LIB.B72");
  ASSERT_TRUE(WriteDdbaseFile(ddbase, source));
  pdbaseclass database(0);
  GeneratePcmPdbase(source.DecomSetup, database);
  const std::string pdbase = log.dir().File("LIB.PDB");
  ASSERT_TRUE(WritePdbaseFiles(pdbase, database));

  request.channels = {{2, false}};
  request.ddbase_files = {{1, ddbase}};
  request.pdbase_files = {{1, pdbase}};
  const ConvertSetupReport report = Run();
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(report.setups_match);
  EXPECT_EQ(state->config().PcmSetups[0].DecomSetup.WordsPerFrame, 128);
  EXPECT_EQ(state->streams.pdbase(0).NumParams(), 128);
  // Existing files name the outputs.
  EXPECT_TRUE(fs::exists(out / "LIB.B72"));
  EXPECT_TRUE(fs::exists(out / "LIB.PDB"));

  request.ddbase_files = {{1, log.dir().File("MISSING.B72")}};
  request.pdbase_files = {};
  const ConvertSetupReport failed = Run();
  ASSERT_EQ(failed.errors.size(), 1u);
  EXPECT_EQ(failed.errors[0],
            "stream 1: cannot import the DDbase file " + log.dir().File("MISSING.B72"));
}

TEST_F(RoadTest, MissingRecordingOrNoStreamChannelIsAnError) {
  request.recording = log.dir().File("none.c10");
  ConvertSetupReport report = Run();
  ASSERT_EQ(report.errors.size(), 1u);
  EXPECT_NE(report.errors[0].find("none.c10"), std::string::npos);

  request.recording =
      WriteRecording("time.c10", "R-1\\N:1;\r\nR-1\\TK1-1:1;\r\nR-1\\CDT-1:TIMEIN;\r\n");
  report = Run();
  EXPECT_EQ(report.errors, (std::vector<std::string>{"no PCM or video channel to convert"}));
  EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace tessel
