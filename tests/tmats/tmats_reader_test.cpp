#include "tmats/tmats_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "ch10/packet.h"
#include "ch10/packet_builder.h"
#include "common/log_session.h"
#include "common/test_files.h"
#include "support/log.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

constexpr const char* kSmallTmats =
    "G\\PN:TEST;\r\n"
    "R-1\\ID:REC;\r\nR-1\\N:2;\r\n"
    "R-1\\CHE-1:T;\r\nR-1\\TK1-1:1;\r\nR-1\\CDT-1:TIMEIN;\r\n"
    "R-1\\CHE-2:T;\r\nR-1\\TK1-2:6;\r\nR-1\\CDT-2:PCMIN;\r\nR-1\\PDLN-2:LINK;\r\n"
    "M-1\\ID:LINK;\r\nM-1\\BB\\DLN:FORMAT;\r\n";

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A setup record packet (data type 0x01) carrying `text`.
std::vector<std::uint8_t> TmatsPacket(const std::string& text) {
  test::PacketParts parts;
  parts.data_type = 0x01;
  parts.payload = Bytes(text);
  return test::BuildPacket(parts);
}

std::vector<std::int32_t> Tracks(const TmatsTables& tables) {
  std::vector<std::int32_t> tracks;
  for (const rgroupstruct& channel : tables.r.channels) tracks.push_back(channel.TrackNumChannelId);
  return tracks;
}

std::vector<std::string> Messages(const test::LogSession& session) {
  std::vector<std::string> messages;
  for (const auto& entry : test::LogEntries(session.Text())) messages.push_back(entry.message);
  return messages;
}

bool Contains(const std::vector<std::string>& messages, const std::string& text) {
  for (const std::string& message : messages) {
    if (message.find(text) != std::string::npos) return true;
  }
  return false;
}

class ReadTmatsTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<std::uint8_t>& bytes) {
    const std::string path = session_.dir().File("rec.c10");
    test::WriteWholeFile(path, bytes);
    return path;
  }
  test::LogSession session_;
};

TEST_F(ReadTmatsTest, ReadsTheFirstPacketIntoTheTables) {
  std::vector<std::uint8_t> bytes = TmatsPacket(kSmallTmats);
  const std::vector<std::uint8_t> second = TmatsPacket("R-1\\N:9;\n");
  bytes.insert(bytes.end(), second.begin(), second.end());
  TmatsTables tables;
  const TmatsReadResult result = ReadTmatsFromRecording(Write(bytes), false, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::Whole);
  EXPECT_EQ(result.file_size, static_cast<std::int64_t>(bytes.size()));
  EXPECT_EQ(Tracks(tables), (std::vector<std::int32_t>{1, 6}));
  ASSERT_EQ(tables.m.groups.size(), 1u);
  EXPECT_EQ(tables.m.groups[0].TrackChannelId, 6);
  EXPECT_FALSE(Contains(Messages(session_), "TMATS LINE INFO"));
}

TEST_F(ReadTmatsTest, UnopenableRecordingLeavesTheTables) {
  TmatsTables tables;
  LoadTmatsText(kSmallTmats, tables);
  const TmatsReadResult result =
      ReadTmatsFromRecording(session_.dir().File("missing.c10"), true, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::NotOpened);
  EXPECT_EQ(result.file_size, 0);
  EXPECT_EQ(Tracks(tables), (std::vector<std::int32_t>{1, 6}));
  EXPECT_FALSE(Contains(Messages(session_), "TMATS LINE INFO"));
}

TEST_F(ReadTmatsTest, RecordingWithoutAPacketGivesTheFallbackChannel) {
  TmatsTables tables;
  LoadTmatsText(kSmallTmats, tables);
  const TmatsReadResult result = ReadTmatsFromRecording(Write({1, 2, 3}), true, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::NoPacket);
  EXPECT_EQ(result.file_size, 3);
  EXPECT_TRUE(tables.r.fallback);
  EXPECT_TRUE(tables.m.groups.empty());
  const auto messages = Messages(session_);
  EXPECT_TRUE(Contains(messages, "No TMATS setup record"));
  EXPECT_FALSE(Contains(messages, "Packet Header ---"));
}

TEST_F(ReadTmatsTest, RecordingEndingInsideTheFirstPacketGivesWhatIsThere) {
  std::vector<std::uint8_t> bytes = TmatsPacket(kSmallTmats);
  // Cut inside "R-1\CDT-2:PCMIN;": the lines before it are read, that one is not.
  const std::string text = kSmallTmats;
  bytes.resize(24 + 4 + text.find("R-1\\CDT-2") + 5);
  TmatsTables tables;
  const TmatsReadResult result = ReadTmatsFromRecording(Write(bytes), false, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::Short);
  ASSERT_EQ(tables.r.channels.size(), 2u);
  EXPECT_EQ(tables.r.channels[1].ChannelDataType, kTmatsChannelUnknown);
  EXPECT_TRUE(Contains(Messages(session_), "TMATS setup record cut short"));
}

TEST_F(ReadTmatsTest, OversizedSetupRecordIsReadUpToTheBodyLimit) {
  std::string text = kSmallTmats;
  while (text.size() < kCh10MaxBodySize + 1000) text += "G\\COM:padding comment line;\r\n";
  text += "R-1\\CHE-2:F;\r\n";  // beyond the limit: not read, channel 2 stays enabled
  TmatsTables tables;
  const TmatsReadResult result = ReadTmatsFromRecording(Write(TmatsPacket(text)), false, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::Cut);
  EXPECT_EQ(Tracks(tables), (std::vector<std::int32_t>{1, 6}));
  EXPECT_TRUE(Contains(Messages(session_), "TMATS setup record larger than 1048576 bytes"));
}

TEST_F(ReadTmatsTest, SecondaryHeaderIsSkippedOnlyWhereItExists) {
  const std::vector<std::uint8_t> secondary(12, 0x5A);
  for (const std::uint8_t data_type : {std::uint8_t{0x01}, std::uint8_t{0x09}}) {
    test::PacketParts parts;
    parts.data_type = data_type;
    parts.flags = 0x80;
    // Type 0x01 ignores the flag, so its twelve bytes after the CSDW are text.
    if (data_type == 0x09) parts.secondary = secondary;
    parts.payload = Bytes(data_type == 0x01 ? "xxxxxxxxxxx\n" + std::string(kSmallTmats)
                                           : std::string(kSmallTmats));
    TmatsTables tables;
    const TmatsReadResult result =
        ReadTmatsFromRecording(Write(test::BuildPacket(parts)), false, tables);
    EXPECT_EQ(result.status, TmatsRecordStatus::Whole);
    EXPECT_EQ(Tracks(tables), (std::vector<std::int32_t>{1, 6})) << int{data_type};
  }
}

TEST_F(ReadTmatsTest, DataLengthBeyondThePacketReadsOnlyThePacket) {
  test::PacketParts parts;
  parts.data_type = 0x01;
  parts.payload = Bytes(kSmallTmats);
  parts.data_length = 0x7FFFFFF0u;
  TmatsTables tables;
  ReadTmatsFromRecording(Write(test::BuildPacket(parts)), false, tables);
  EXPECT_EQ(Tracks(tables), (std::vector<std::int32_t>{1, 6}));
}

TEST_F(ReadTmatsTest, BinaryFirstPacketGivesTheFallbackChannel) {
  test::PacketParts parts;
  parts.data_type = 0x40;
  parts.payload = test::CountingBytes(70000);
  TmatsTables tables;
  const TmatsReadResult result =
      ReadTmatsFromRecording(Write(test::BuildPacket(parts)), true, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::Whole);
  EXPECT_TRUE(tables.r.fallback);
}

TEST_F(ReadTmatsTest, DebugDumpsComeInOrder) {
  test::PacketParts parts;
  parts.data_type = 0x01;
  parts.flags = 0x02;  // two checksum bytes
  parts.payload = Bytes(kSmallTmats);
  parts.trailer = {0xAA, 0xBB, 0x12, 0x34};
  TmatsTables tables;
  TmatsGroupHooks hooks;
  hooks.dump_p = [](const TmatsTables&) { LogMessage("P GROUP DUMP", 0); };
  ReadTmatsFromRecording(Write(test::BuildPacket(parts)), true, tables, hooks);
  const std::vector<std::string> expected_order = {"Header checksum calculated is 0x",
                                                   "Packet Header ---",
                                                   "Channel Specific Data - ",
                                                   "TMATS LINE INFO ---",
                                                   "Group : R  Group # : 1  Result : REC  ",
                                                   "Packet Trailer ---",
                                                   "TMATS RECORDER INFO ---",
                                                   "TMATS MULTIPLEX INFO ---",
                                                   "P GROUP DUMP",
                                                   "TMATS BUS INFO ---"};
  const auto messages = Messages(session_);
  std::size_t next = 0;
  for (const std::string& message : messages) {
    if (next < expected_order.size() && message.find(expected_order[next]) != std::string::npos) {
      ++next;
    }
  }
  EXPECT_EQ(next, expected_order.size())
      << "missing or out of order: " << expected_order[std::min(next, expected_order.size() - 1)];
}

// The real recordings: channels as read by eye from their TMATS text.
struct RecordingCase {
  const char* file;
  std::vector<std::int32_t> tracks;
  std::vector<int> data_types;  // per channel, in the same order
};

class RealRecordingTest : public ::testing::TestWithParam<RecordingCase> {};

void PrintTo(const RecordingCase& c, std::ostream* os) {
  *os << c.file;
}

TEST_P(RealRecordingTest, FindsTheEnabledRecorderChannels) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not available";
  const RecordingCase& c = GetParam();
  test::LogSession session;
  TmatsTables tables;
  const TmatsReadResult result = ReadTmatsFromRecording(test::RecordingPath(c.file), false, tables);
  EXPECT_EQ(result.status, TmatsRecordStatus::Whole);
  EXPECT_GT(result.file_size, 0);
  EXPECT_FALSE(tables.r.fallback);
  EXPECT_EQ(Tracks(tables), c.tracks);
  std::vector<int> types;
  for (const rgroupstruct& channel : tables.r.channels) types.push_back(channel.ChannelDataType);
  EXPECT_EQ(types, c.data_types);
}

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t last) {
  std::vector<std::int32_t> values;
  for (std::int32_t v = first; v <= last; ++v) values.push_back(v);
  return values;
}

std::vector<int> Repeat(std::size_t count, int value) {
  return std::vector<int>(count, value);
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

constexpr int T = kTmatsChannelTime;
constexpr int A = kTmatsChannelAnalog;
constexpr int U = kTmatsChannelUart;
constexpr int V = kTmatsChannelVideo;
constexpr int X = kTmatsChannelUnknown;

INSTANTIATE_TEST_SUITE_P(
    Recordings, RealRecordingTest,
    ::testing::Values(
        // Channels 1-20 enabled: time, four 1553, six ARINC 429, message, eight video.
        RecordingCase{"sample.c10", Range(1, 20),
                      Join(Join(Join(Join({T}, Repeat(4, kTmatsChannel1553)),
                                     Repeat(6, kTmatsChannelArinc429)),
                                {kTmatsChannelMessage}),
                           Repeat(8, V))},
        // 39 of 55 channels enabled: time, 1553 10-13, ARINC 429 22-53, discrete 54-55.
        RecordingCase{
            "discrete.c10", Join(Join({1}, Range(10, 13)), Range(22, 55)),
            Join(Join(Join({T}, Repeat(4, kTmatsChannel1553)), Repeat(32, kTmatsChannelArinc429)),
                 Repeat(2, kTmatsChannelDiscrete))},
        // Ethernet channels (ETHIN is not in the vocabulary) record on tracks 30-32.
        RecordingCase{"ethernet.c10", {1, 2, 3, 4, 5, 7, 30, 31, 32}, {T, U, U, A, A, U, X, X, X}},
        // Only time, the first analog and the first video channel are enabled.
        RecordingCase{"event.c10", {1, 2, 16}, {T, A, V}}));

TEST(RealRecording, SampleDetails) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not available";
  test::LogSession session;
  TmatsTables tables;
  const TmatsReadResult result =
      ReadTmatsFromRecording(test::RecordingPath("sample.c10"), true, tables);
  EXPECT_EQ(result.file_size, 1048576);
  EXPECT_EQ(tables.r.recorder.StorageMfgr, "Heim");
  EXPECT_EQ(tables.r.recorder.StorageModel, "D200F-0-0");
  EXPECT_EQ(tables.r.recorder.NumTracks, 21);
  ASSERT_EQ(tables.r.channels.size(), 20u);
  const rgroupstruct& video = tables.r.channels[12];
  EXPECT_EQ(video.TrackNumChannelId, 13);
  EXPECT_EQ(video.DataSourceId, "VCR40-1-1");
  EXPECT_EQ(ChannelDataTypeCode(video.ChannelDataType), "VIDIN");
  EXPECT_EQ(tables.r.channels[19].DataSourceId, "VCR40-2-4");
  EXPECT_EQ(tables.r.channels[1].BusDataLinkName, "UAR40-1-1");
  EXPECT_EQ(tables.r.channels[0].TimeFormat, kTmatsTimeFormatIrigB);
  // No multiplex groups, so the bus groups have nothing to link to.
  EXPECT_TRUE(tables.m.groups.empty());
  EXPECT_TRUE(tables.b.groups.empty());
  EXPECT_NE(session.Text().find("TMATS RECORDER INFO"), std::string::npos);
}

TEST(RealRecording, EventPcmChannelsAreDisabledSoTheirMultiplexesAreDropped) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not available";
  test::LogSession session;
  TmatsTables tables;
  ReadTmatsFromRecording(test::RecordingPath("event.c10"), false, tables);
  EXPECT_TRUE(tables.m.groups.empty());
  EXPECT_EQ(tables.r.channels[2].PcmDataLinkName, "VideoInChan1");
}

}  // namespace
}  // namespace tessel
