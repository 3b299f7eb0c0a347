#include "tmats/tmats_r_group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/log_session.h"
#include "support/clock.h"
#include "tmats/log_entries.h"
#include "tmats/tmats_lines.h"

namespace tessel {
namespace {

RGroupTable ParseR(const std::string& text) {
  RGroupTable table;
  ParseRGroup(ParseTmatsText(text), table);
  return table;
}

std::vector<std::int32_t> Tracks(const RGroupTable& table) {
  std::vector<std::int32_t> tracks;
  for (const rgroupstruct& channel : table.channels) tracks.push_back(channel.TrackNumChannelId);
  return tracks;
}

// Installs a recording speaker for the test's lifetime.
class SpeakerRecorder {
 public:
  SpeakerRecorder() { SetSpeaker(&speaker_); }
  ~SpeakerRecorder() { SetSpeaker(nullptr); }
  const std::vector<std::pair<int, int>>& tones() const { return speaker_.tones; }

 private:
  RecordingSpeaker speaker_;
};

std::vector<std::pair<int, int>> TonesOf(void (*beep)()) {
  SpeakerRecorder recorder;
  beep();
  return recorder.tones();
}

TEST(ParseRGroup, KeepsOnlyEnabledChannelsInChannelOrder) {
  const RGroupTable table = ParseR(
      "R-1\\N:3;\n"
      "R-1\\CHE-1:T;\nR-1\\CHE-2:F;\nR-1\\CHE-3:T;\n"
      "R-1\\TK1-3:9;\nR-1\\TK1-2:7;\n");
  EXPECT_EQ(Tracks(table), (std::vector<std::int32_t>{1, 9}));
  EXPECT_FALSE(table.fallback);
  for (const rgroupstruct& channel : table.channels) EXPECT_EQ(channel.ChannelEnabled, 1);
}

TEST(ParseRGroup, AttributesBeforeTheirEnableLineStillCount) {
  const RGroupTable table =
      ParseR("R-1\\CDT-2:VIDIN;\nR-1\\DSI-2:Camera;\nR-1\\N:2;\nR-1\\CHE-2:T;\n");
  ASSERT_EQ(table.channels.size(), 1u);
  EXPECT_EQ(table.channels[0].TrackNumChannelId, 2);
  EXPECT_EQ(table.channels[0].ChannelDataType, kTmatsChannelVideo);
  EXPECT_EQ(table.channels[0].DataSourceId, "Camera");
}

TEST(ParseRGroup, IgnoresChannelsAboveTheCountAndAbove64) {
  std::string text = "R-1\\N:70;\n";
  for (int i = 1; i <= 70; ++i) text += "R-1\\CHE-" + std::to_string(i) + ":T;\n";
  const RGroupTable table = ParseR(text);
  ASSERT_EQ(table.channels.size(), 64u);
  EXPECT_EQ(table.channels.back().TrackNumChannelId, 64);

  const RGroupTable three = ParseR("R-1\\N:3;\nR-1\\CHE-4:T;\nR-1\\CHE-3:T;\n");
  EXPECT_EQ(Tracks(three), (std::vector<std::int32_t>{3}));
}

TEST(ParseRGroup, CountWithoutEnabledChannelsGivesAnEmptyTable) {
  test::LogSession session;
  SpeakerRecorder speaker;
  const RGroupTable table = ParseR("R-1\\N:2;\nR-1\\TK1-1:1;\nR-1\\CDT-1:PCMIN;\n");
  EXPECT_TRUE(table.channels.empty());
  EXPECT_FALSE(table.fallback);
  EXPECT_EQ(table.recorder.NumTracks, 2);
  EXPECT_TRUE(speaker.tones().empty());
}

TEST(ParseRGroup, WithoutChannelCountAssumesOnePcmChannel) {
  const auto error_tones = TonesOf(&BeepError);
  for (const char* text :
       {"R-1\\CHE-1:T;\n", "R-1\\N:0;\n", "R-1\\N:-3;\n", "R-1\\N:ABC;\n", "R-1\\EV\\N:4;\n"}) {
    test::LogSession session;
    SpeakerRecorder speaker;
    const RGroupTable table = ParseR(text);
    ASSERT_EQ(table.channels.size(), 1u) << text;
    const rgroupstruct& channel = table.channels[0];
    EXPECT_TRUE(table.fallback);
    EXPECT_EQ(channel.TrackNumChannelId, 1);
    EXPECT_EQ(channel.ChannelEnabled, 0);
    EXPECT_EQ(channel.ChannelDataType, kTmatsChannelPcm);
    EXPECT_EQ(channel.TimeFormat, kTmatsTimeFormatIrigB);
    EXPECT_EQ(channel.DataPackMode, kTmatsPackingThroughput);
    EXPECT_EQ(channel.VideoCompression, kTmatsVideoCompressionUnknown);
    EXPECT_EQ(channel.TimeSource, kTmatsTimeSourceNone);
    EXPECT_EQ(channel.PcmDataLinkName, "UNK");
    EXPECT_EQ(table.recorder.NumTracks, 1);
    EXPECT_EQ(speaker.tones(), error_tones);
    std::vector<test::LogEntry> ours;
    for (const auto& entry : test::LogEntries(session.Text())) {
      if (entry.code == 255) ours.push_back(entry);
    }
    ASSERT_EQ(ours.size(), 2u) << text;
    EXPECT_EQ(ours[0].message,
              "TMATS Group 'R' does not contain an 'N' mnemonic (number of tracks)");
    EXPECT_EQ(ours[1].message, "  ..setting to 1 track, PCM, IRIG B,  in the hopes it works");
  }
}

TEST(ParseRGroup, EnableNeedsExactlyT) {
  const RGroupTable table = ParseR("R-1\\N:3;\nR-1\\CHE-1:TRUE;\nR-1\\CHE-2:t;\nR-1\\CHE-3:T;\n");
  EXPECT_EQ(Tracks(table), (std::vector<std::int32_t>{3}));
}

TEST(ParseRGroup, TrackNumberIsTheLeadingNumberAndZeroDropsTheChannel) {
  const RGroupTable table = ParseR(
      "R-1\\N:3;\nR-1\\CHE-1:T;\nR-1\\TK1-1:12AB;\nR-1\\CHE-2:T;\nR-1\\TK1-2:0;\n"
      "R-1\\CHE-3:T;\nR-1\\TK1-3:x;\n");
  EXPECT_EQ(Tracks(table), (std::vector<std::int32_t>{12}));
}

TEST(ParseRGroup, ChannelAttributesTakeTheirValues) {
  const RGroupTable table = ParseR(
      "R-1\\N:2;\n"
      "R-1\\CHE-1:T;\nR-1\\ID-1:SRC;\nR-1\\DSI-1:PCM-A;\nR-1\\CDT-1:PCMIN;\n"
      "R-1\\PDLN-1:LINK-A;\nR-1\\PDP-1:PFS;\nR-1\\PTF-1:MPEG2;\nR-1\\BDLN-1:BUS-A;\n"
      "R-1\\TFMT-1:G;\nR-1\\TSRC-1:IRIG A;\n"
      "R-1\\CHE-2:T;\nR-1\\CDT-2:ANAIN;\nR-1\\ACH-2:3;\nR-1\\ADP-2:1;\nR-1\\ASR-2:48000;\n"
      "R-1\\AMN-2:Voice;\nR-1\\ADL-2:12;\nR-1\\AMSK-2:4095;\nR-1\\AMTO-2:1;\nR-1\\ASF-2:2;\n"
      "R-1\\TSRC-2:E;\nR-1\\CDT-2:OTHERIN;\nR-1\\CDT-2:ANAIN;\n");
  ASSERT_EQ(table.channels.size(), 2u);
  const rgroupstruct& pcm = table.channels[0];
  EXPECT_EQ(pcm.GGroupDataSourceId, "SRC");
  EXPECT_EQ(pcm.DataSourceId, "PCM-A");
  EXPECT_EQ(pcm.ChannelDataType, kTmatsChannelPcm);
  EXPECT_EQ(pcm.PcmDataLinkName, "LINK-A");
  EXPECT_EQ(pcm.DataPackMode, 1);
  EXPECT_EQ(pcm.VideoCompression, 2);
  EXPECT_EQ(pcm.BusDataLinkName, "BUS-A");
  EXPECT_EQ(pcm.TimeFormat, 2);
  EXPECT_EQ(pcm.TimeSource, 0);
  const rgroupstruct& analog = table.channels[1];
  EXPECT_EQ(analog.ChannelDataType, kTmatsChannelAnalog);  // a later line overrides
  EXPECT_EQ(analog.NumAnalogPktsPerChannel, 3);
  EXPECT_EQ(analog.AnalogDataPackOption, 1);
  EXPECT_EQ(analog.AnalogSampleRateHz, 48000);
  EXPECT_EQ(analog.AnalogMeasurementName, "Voice");
  EXPECT_EQ(analog.AnalogDataLength, 12);
  EXPECT_EQ(analog.AnalogBitMask, 4095);
  EXPECT_EQ(analog.AnalogMeasurementXferOrder, 1);
  EXPECT_EQ(analog.AnalogSampleFactor, 2);
  EXPECT_EQ(analog.TimeSource, kTmatsTimeSourceNone);
  EXPECT_EQ(analog.PcmDataLinkName, "UNK");
  EXPECT_FALSE(analog.PcmDataLinkNameSet);
}

TEST(ParseRGroup, RecorderLinesAndDeeperLevels) {
  const RGroupTable table = ParseR(
      "R-1\\ID:DATASOURCE;\nR-1\\RI1:Heim;\nR-1\\RI2:D200F;\nR-1\\N:2;\n"
      "R-1\\CHE-1:T;\nR-1\\EV\\ID-1:Operator Mark;\nR-1\\TK4-1:5;\n"
      // Channel lines that name N, RI1 or CHE change nothing.
      "R-1\\RI1-1:X;\nR-1\\N-1:9;\n"
      // A second recorder is not read.
      "R-2\\N:9;\nR-2\\RI1:Other;\n");
  EXPECT_EQ(table.recorder.NumTracks, 2);
  EXPECT_EQ(table.recorder.StorageMfgr, "Heim");
  EXPECT_EQ(table.recorder.StorageModel, "D200F");
  ASSERT_EQ(table.channels.size(), 1u);
  EXPECT_EQ(table.channels[0].GGroupDataSourceId, "Operator Mark");
  EXPECT_EQ(table.channels[0].TrackNumChannelId, 1);
}

TEST(ParseRGroup, ReparsingStartsFromScratch) {
  RGroupTable table;
  ParseRGroup(ParseTmatsText("R-1\\N:1;\nR-1\\CHE-1:T;\nR-1\\RI1:A;\n"), table);
  ParseRGroup(ParseTmatsText("R-1\\N:1;\n"), table);
  EXPECT_TRUE(table.channels.empty());
  EXPECT_EQ(table.recorder.StorageMfgr, "UNK");
}

TEST(FindRChannel, ByLinkNameAndTrack) {
  const RGroupTable table = ParseR(
      "R-1\\N:4;\n"
      "R-1\\CHE-1:T;\n"  // no link names: its "UNK" defaults never match
      "R-1\\CHE-2:T;\nR-1\\TK1-2:5;\nR-1\\CDLN-2:PCM-LINK;\n"
      "R-1\\CHE-3:T;\nR-1\\TK1-3:7;\nR-1\\BDLN-3:BUS-LINK;\n"
      "R-1\\CHE-4:F;\nR-1\\CDLN-4:OFF-LINK;\n");
  int index = -1;
  std::int32_t track = -1;
  EXPECT_TRUE(FindRChannelByLinkName(table, "PCM-LINK", index, track));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(track, 5);
  EXPECT_TRUE(FindRChannelByLinkName(table, "BUS-LINK", index, track));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(track, 7);
  for (const char* name : {"", "UNK", "OFF-LINK", "pcm-link"}) {
    EXPECT_FALSE(FindRChannelByLinkName(table, name, index, track)) << name;
    EXPECT_EQ(index, 0);
    EXPECT_EQ(track, 0);
  }

  EXPECT_TRUE(FindPcmChannelByLinkName(table, "PCM-LINK", index, track));
  EXPECT_EQ(track, 5);
  EXPECT_FALSE(FindPcmChannelByLinkName(table, "BUS-LINK", index, track));
  EXPECT_FALSE(FindPcmChannelByLinkName(table, "UNK", index, track));
  EXPECT_FALSE(FindPcmChannelByLinkName(table, "OFF-LINK", index, track));

  ASSERT_NE(FindRChannelByTrack(table, 7), nullptr);
  EXPECT_EQ(FindRChannelByTrack(table, 7)->BusDataLinkName, "BUS-LINK");
  EXPECT_EQ(FindRChannelByTrack(table, 2), nullptr);
}

TEST(FindRChannel, FallbackChannelMatchesNoLinkName) {
  test::LogSession session;
  const RGroupTable table = ParseR("");
  int index = -1;
  std::int32_t track = -1;
  EXPECT_FALSE(FindRChannelByLinkName(table, "UNK", index, track));
  EXPECT_FALSE(FindPcmChannelByLinkName(table, "UNK", index, track));
  EXPECT_NE(FindRChannelByTrack(table, 1), nullptr);
}

TEST(DumpRGroup, WritesRecorderAndTheDumpedChannelKinds) {
  const RGroupTable table = ParseR(
      "R-1\\RI1:Heim;\nR-1\\N:4;\n"
      "R-1\\CHE-1:T;\nR-1\\CDT-1:PCMIN;\nR-1\\DSI-1:PCM1;\nR-1\\CDLN-1:L1;\nR-1\\PDP-1:TM;\n"
      "R-1\\TFMT-1:B;\nR-1\\TSRC-1:IRIG B;\n"
      "R-1\\CHE-2:T;\nR-1\\CDT-2:UARTIN;\n"
      "R-1\\CHE-3:T;\nR-1\\CDT-3:ANAIN;\nR-1\\AMSK-3:255;\nR-1\\ASR-3:8000;\n"
      "R-1\\CHE-4:T;\nR-1\\CDT-4:DISIN;\n");
  EXPECT_EQ(RChannelDumpText(table.channels[0]),
            "\r\nID   - GGroupDataSourceId = 0"
            "\r\nTK1  - TrackNumChannelId = 1"
            "\r\nDSI  - DataSourceId = PCM1"
            "\r\nCHE  - ChannelEnabled = YES"
            "\r\nCDT  - ChannelDataType = PCM INPUT"
            "\r\nPLDN - PcmDataLinkName = L1"
            "\r\nPDP  - DataPackMode = THROUGHPUT"
            "\r\nPTF  - VideoCompression = UNK"
            "\r\nBDLN - BusDataLinkName = UNK"
            "\r\nTFMT - TimeFormat = IRIG B"
            "\r\nTSRC - TimeSource = IRIG B\r\n");
  const std::string analog = RChannelDumpText(table.channels[2]);
  EXPECT_NE(analog.find("\r\nTSRC - TimeSource = \r\n"
                        "BDLN - AnalogDataLinkName = UNK"
                        "\r\nACH  - NumAnalogPktsPerChannel = 1"
                        "\r\nADP  - AnalogDataPackOption = 0"
                        "\r\nASR  - AnalogSampleRateHz = 8000"
                        "\r\nAMN  - AnalogMeasurementName = UNK"
                        "\r\nADL  - AnalogDataLength = 16"
                        "\r\nAMSK - AnalogBitMask = 0x00FF"
                        "\r\nAMTO - AnalogMeasurementXferOrder = 0"
                        "\r\nASF  - AnalogSampleFactor = 0\r\n"),
            std::string::npos)
      << analog;

  test::LogSession session;
  DumpRGroup(table);
  const auto after =
      test::EntriesAfter(test::LogEntries(session.Text()),
                         "TMATS RECORDER INFO -------------------------------------------\r\n");
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(
      after[0].message,
      "\r\nN    - NumTracks = 4\r\nRI1  - StorageMfgr = Heim\r\nRI2  - StorageModel = UNK\r\n");
  EXPECT_EQ(after[0].code, 0);
  // UART (entry 1) and discrete (entry 3) channels are not dumped.
  EXPECT_EQ(after[1].code, 0);
  EXPECT_EQ(after[1].message, RChannelDumpText(table.channels[0]));
  EXPECT_EQ(after[2].code, 2);
  EXPECT_EQ(after[2].message, analog);
}

}  // namespace
}  // namespace tessel
