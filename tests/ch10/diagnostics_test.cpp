// Packet dumps: every line text and code, the order of the first-packet dumps, and
// which debug switch lets which dump reach the log.
#include "ch10/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "ch10/read_packet.h"
#include "common/log_session.h"
#include "common/test_files.h"
#include "packet_builder.h"
#include "support/files.h"
#include "support/format.h"

namespace tessel {

// Printed by gtest when a comparison of dump lines fails.
void PrintTo(const DumpLine& line, std::ostream* os) {
  *os << "{\"" << line.Text << "\", " << line.Code << "}";
}

namespace {

// The lines a log file holds after its start banner, as (message, code).
DumpLines LoggedLines(const std::string& text) {
  DumpLines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    // code, two blanks, 19 characters of time, two blanks, message
    const std::size_t blanks = line.find("  ");
    if (blanks == std::string::npos) continue;
    const std::size_t message = blanks + 2 + 19 + 2;
    lines.push_back({message <= line.size() ? line.substr(message) : std::string(),
                     std::stoi(line.substr(0, blanks))});
  }
  if (lines.size() >= 2 && lines[0].Text.find("PROGRAM START") != std::string::npos) {
    lines.erase(lines.begin(), lines.begin() + 2);  // start banner and version line
  }
  return lines;
}

// A header whose time counter reads 1 day, 01:01:01.5.
ch10pktheaderstruct ExampleHeader() {
  ch10pktheaderstruct header{};
  header.SyncPattern = 0xEB25;
  header.ChannelId = 3;
  header.PacketLength = 1064;
  header.DataLength = 1028;
  header.DataTypeVersion = 6;
  header.SequenceNumber = 255;
  header.PacketFlags = 0x83;
  header.DataType = 0x09;
  header.RtcLow = 2'966'835'136;  // with the high part: 900 615 000 000 ticks, 90 061.5 s
  header.RtcHigh = 209;
  header.Checksum = 0x1A2B;
  return header;
}

TEST(PacketDump, HeaderLines) {
  const DumpLines expected = {
      {"", 0},
      {"Packet Header -------------------------------------------", 0},
      {"Sync Pattern         : 0xEB25", 1},
      {"Channel Id           : 3", 1},
      {"Pkt Length           : 1064", 1},
      {"Data Length          : 1028", 1},
      {"Data Type            : 0x09  PCM Data Format 1", 1},
      {"Pkt Flags            : 0x83", 1},
      {"Sequence Number      : 255", 1},
      {"Header Version       : 6", 1},
      {"Rel Time Counter     : 2966835136   (hex = 0xB0D64FC0 )", 1},
      {"Rel Time Counter 2   : 209   (hex = 0x000000D1 )", 1},
      {"Time Counter To Time : 001:01:01:01.500000", 0},
      {"Hdr Checksum         : 0x1A2B", 1},
  };
  EXPECT_EQ(PacketHeaderDumpLines(ExampleHeader()), expected);

  ch10pktheaderstruct unknown = ExampleHeader();
  unknown.DataType = 0x60;
  EXPECT_EQ(PacketHeaderDumpLines(unknown)[6].Text,
            "Data Type            : 0x60  UNKNOWN, TYPE ERROR");
}

TEST(PacketDump, SecondaryHeaderLines) {
  const ch10secheaderstruct secondary = {9'006'150, 20'000U << 16, 0, 0xC0DE};
  const DumpLines expected = {
      {"", 0},
      {"Packet Secondary Header -------------------------------------------", 0},
      {"TimeMsw    : 1310720000", 1},
      {"TimeLsw    : 9006150", 1},
      {"Time Stamp : 001:01:01:01.510000", 0},  // microseconds limited to 10 000
      {"Checksum   : 0xC0DE", 1},
  };
  EXPECT_EQ(SecondaryHeaderDumpLines(secondary), expected);
}

TEST(PacketDump, ChannelSpecificDataByDataType) {
  struct Case {
    std::uint8_t data_type;
    std::uint32_t csdw;
    DumpLines lines;  // after the blank line and the "Channel Specific Data - " line
  };
  const std::uint32_t pcm = (1U << 30) | (1U << 29) | (3U << 26) | (2U << 24) | (1U << 19) | 291U;
  const Case cases[] = {
      {0x11,
       0x00000311U,
       {{"External Time is Present.", 0},
        {"Time Format is IRIG A.", 0},
        {"Is a Leap Year", 0x311},
        {"Month and Year Available", 0x311}}},
      {0x11,
       0x0000006FU,
       {{"External Time is  RESERVED", 0},
        {"Time Format is  RESERVED", 0},
        {"Not a Leap Year", 0x6F},
        {"IRIG Day Available", 0x6F}}},
      {0x11,
       0x00000050U,
       {{"External Time is Not Present.", 0},
        {"Time Format is Native GPS.", 0},
        {"Not a Leap Year", 0x50},
        {"IRIG Day Available", 0x50}}},
      {0x09,
       pcm,
       {{"Intra Pkt Hdrs   : YES", 0},
        {"MAJOR FR         : YES", 0},
        {"MINOR FR         : NO", 0},
        {"LOCK STATE Major : CHECK", 0},
        {"LOCK STATE Minor : LOCK", 0},
        {"MODE Througput   : NO", 0},
        {"MODE Packed      : YES", 0},
        {"MODE Unpacked    : NO", 0},
        {"SYNC OFFSET      : 291", 0}}},
      {0x09,
       1U << 18,
       {{"Intra Pkt Hdrs   : NO", 0},
        {"MAJOR FR         : NO", 0},
        {"MINOR FR         : NO", 0},
        {"LOCK STATE Major : Minors Only", 0},
        {"LOCK STATE Minor : RESERVED", 0},
        {"MODE Througput   : NO", 0},
        {"MODE Packed      : NO", 0},
        {"MODE Unpacked    : YES", 0},
        {"SYNC OFFSET      : 0", 0}}},
      {0x00, 0x00000005U, {{"Computer Generated Packet Format 0 (user defined)", 5}}},
      {0x01,
       0x80000001U,
       {{"Computer Generated Packet Format 1 (setup record)", static_cast<int>(0x80000001U)}}},
      {0x19,
       0x40001ABCU,
       {{"Message Sequence Count   : 2748", 0},
        {"Time Tag is on the first bit of the first word of the message sequence.", 0}}},
      {0x19,
       0x80000000U,
       {{"Message Sequence Count   : 0", 0},
        {"Time Tag is on the last bit of the first command word of the message sequence", 0}}},
      {0x19,
       0xC0000000U,
       {{"Message Sequence Count   : 0", 0}, {"Time Tag is on the  RESERVED", 0}}},
      {0x21, 9, {{"not breaking out this kind yet", 9}}},
      {0x40, 0, {{"not breaking out this kind yet", 0}}},
      {0x50, 0x10, {{"not breaking out this kind yet", 0x10}}},
      {0x60, 0x1234, {{"INVALID DATA TYPE..NO CHANNEL SPECIFIC DATA", 1}}},
  };
  for (const Case& c : cases) {
    DumpLines expected = {{"", 0}, {"Channel Specific Data - " + HexText(c.csdw, 8, true), 0}};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(ChannelSpecificDumpLines(c.data_type, c.csdw), expected)
        << "type " << int{c.data_type} << " csdw " << c.csdw;
  }
  EXPECT_EQ(ChannelSpecificDumpLines(0x11, 0x311)[1].Text, "Channel Specific Data - 0x00000311");
}

TEST(PacketDump, TrailerLines) {
  ch10pkttrailerstruct empty;
  const DumpLines expected = {
      {"", 0},
      {"Packet Trailer -------------------------------------------", 0},
      {"Trailer Length : 0x0000", 1},
      {"Check Sum Length : 0x0000", 1},
      {"Check Sum : 0x0000", 1},
      {"Filler    : ", 1},
  };
  EXPECT_EQ(TrailerDumpLines(empty), expected);

  ch10pkttrailerstruct trailer;
  trailer.TrailerLength = 7;
  trailer.ChecksumSize = 4;
  trailer.Checksum = 0xA1B2;
  trailer.FillerLength = 3;
  trailer.Filler = {0x01, 0xAB, 0x00, 0x77};  // the fourth is not filler
  const DumpLines lines = TrailerDumpLines(trailer);
  EXPECT_EQ(lines[2].Text, "Trailer Length : 0x0007");
  EXPECT_EQ(lines[3].Text, "Check Sum Length : 0x0004");
  EXPECT_EQ(lines[4].Text, "Check Sum : 0xA1B2");
  EXPECT_EQ(lines[5].Text, "Filler    : 0x01 0xAB 0x00 ");
}

TEST(PacketDump, FramedBufferAndDruxFrameLines) {
  const std::vector<std::uint16_t> words = {0xFE6B, 0x2840, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                            11,     12,     13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
  EXPECT_EQ(FramedBufferLine(90'061.5, "LOCK", words),
            "ReadPcmMinorFrame framed buf = 001:01:01:01.500000 ->  LOCK  "
            "FE6B 2840 0001 0002 0003 0004 ");
  EXPECT_EQ(FramedBufferLine(90'061.5, "SEARCH", std::span(words).first(2)),
            "ReadPcmMinorFrame framed buf = 001:01:01:01.500000 ->  SEARCH  FE6B 2840 ");
  EXPECT_EQ(DruxFrameLine(3, 90'061.5, words),
            "framed buf with header for stream 3  001:01:01:01.500000 ->  FE6B 2840 0001 0002 "
            "0003 0004 0005 0006 0007 0008 0009 000A 000B 000C 000D 000E 000F 0010 0011 0012 "
            "0013 ");
  EXPECT_EQ(DruxFrameLine(7, 90'061.5, std::span(words).first(1)),
            "framed buf with header for stream 7  001:01:01:01.500000 ->  FE6B ");
}

// The first-packet dumps of a real recording, as they reach the log.
TEST(PacketDump, FirstPacketOfSampleRecordingInTheLog) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  InputFile file;
  ASSERT_TRUE(file.Open(test::RecordingPath("sample.c10")));
  ch10pktstruct record;
  std::vector<std::uint8_t> body;
  std::vector<std::uint8_t> payload;
  ASSERT_TRUE(ReadPacket(file, record, body, payload));

  test::LogSession session;
  DebugSwitches switches;
  switches.DebugFirstPacket = true;
  DumpFirstPacket(switches, record);
  DumpFirstPacketTrailer(switches, record);
  const DumpLines expected = {
      {"Header checksum calculated is 0xF313", 0},
      {"", 0},
      {"Packet Header -------------------------------------------", 0},
      {"Sync Pattern         : 0xEB25", 1},
      {"Channel Id           : 0", 1},
      {"Pkt Length           : 6680", 1},
      {"Data Length          : 6654", 1},
      {"Data Type            : 0x01  Computer Generated Setup Record", 1},
      {"Pkt Flags            : 0x02", 1},
      {"Sequence Number      : 182", 1},
      {"Header Version       : 3", 1},
      {"Rel Time Counter     : 3024578560   (hex = 0xB4476800 )", 1},
      {"Rel Time Counter 2   : 140   (hex = 0x0000008C )", 1},
      {"Time Counter To Time : 000:16:47:12.000000", 0},
      {"Hdr Checksum         : 0xF313", 1},
      {"", 0},
      {"Channel Specific Data - 0x00000007", 0},
      {"Computer Generated Packet Format 1 (setup record)", 7},
      {"", 0},
      {"Packet Trailer -------------------------------------------", 0},
      {"Trailer Length : 0x0002", 1},
      {"Check Sum Length : 0x0002", 1},
      {"Check Sum : 0x4670", 1},
      {"Filler    : ", 1},
  };
  EXPECT_EQ(LoggedLines(session.Text()), expected);
}

TEST(PacketDump, FirstPacketShowsTheSecondaryHeaderOnlyWhenAnnounced) {
  ch10pktstruct record;
  record.Header = ExampleHeader();  // flags 0x83 on PCM: secondary header present
  record.Csdw = 1U << 18;
  const DumpLines with = FirstPacketDumpLines(record);
  ASSERT_EQ(with.size(), 1U + 14U + 6U + 11U);
  EXPECT_EQ(with[0].Text,
            "Header checksum calculated is " + HexText(HeaderChecksum(record.Header), 4, true));
  EXPECT_EQ(with[16].Text, "Packet Secondary Header -------------------------------------------");
  EXPECT_EQ(with[22].Text, "Channel Specific Data - 0x00040000");

  record.Header.DataType = 0x01;  // the flag means nothing on a setup record
  const DumpLines without = FirstPacketDumpLines(record);
  ASSERT_EQ(without.size(), 1U + 14U + 3U);
  EXPECT_EQ(without[16].Text, "Channel Specific Data - 0x00040000");

  // No trailer dump for a packet without bytes behind its data.
  test::LogSession session;
  record.Trailer = ch10pkttrailerstruct{};
  LogFirstPacketTrailer(record);
  EXPECT_TRUE(LoggedLines(session.Text()).empty());
}

// Each dump reaches the log only with its own switch on.
TEST(PacketDump, EachSwitchDrivesItsOwnDump) {
  test::PacketParts parts;
  parts.flags = 0x01;
  parts.payload = test::CountingBytes(8);
  parts.trailer = {0xAA, 0x5C};
  const std::vector<std::uint8_t> bytes = test::BuildPacket(parts);
  const std::span<const std::uint8_t> body = std::span(bytes).subspan(24);
  ch10pktstruct record;
  ASSERT_TRUE(DecodeHeader(bytes, record.Header));
  const std::vector<std::uint16_t> words = {1, 2, 3};

  auto run_all = [&](const DebugSwitches& switches) {
    DumpFirstPacket(switches, record);
    DumpPacketHeader(switches, record.Header);
    ch10pkttrailerstruct trailer;
    DumpPacketTrailer(switches, record.Header, body, trailer);
    DumpFramedBuffer(switches, 4, 90'061.5, "LOCK", words);
    DumpDruxFrame(switches, 4, 9, 90'061.5, words);
    return trailer;
  };

  struct Case {
    bool DebugSwitches::*flag;
    const char* first_text;
    int first_code;
    std::size_t count;
  };
  const Case cases[] = {
      {&DebugSwitches::DebugFirstPacket, "Header checksum calculated is ", 0, 1 + 14 + 11},
      {&DebugSwitches::DebugPacketHeader, "", 0, 14},
      {&DebugSwitches::DebugPacketTrailer, "", 0, 6},
      {&DebugSwitches::DebugFramedBuffer, "ReadPcmMinorFrame framed buf = ", 4, 1},
      {&DebugSwitches::DebugDRUXBuffer, "framed buf with header for stream 4  ", 9, 1},
      {&DebugSwitches::DebugMinimalPacketInfo, nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    test::LogSession session;
    DebugSwitches switches;
    switches.*c.flag = true;
    const ch10pkttrailerstruct trailer = run_all(switches);
    const DumpLines lines = LoggedLines(session.Text());
    ASSERT_EQ(lines.size(), c.count) << (c.first_text ? c.first_text : "minimal");
    if (c.count == 0) continue;
    EXPECT_EQ(lines[0].Text.rfind(c.first_text, 0), 0U) << lines[0].Text;
    EXPECT_EQ(lines[0].Code, c.first_code);
    if (c.flag == &DebugSwitches::DebugPacketTrailer) {
      EXPECT_EQ(trailer.TrailerLength, 2);
      EXPECT_EQ(trailer.Checksum, 0x5CU);
      EXPECT_EQ(lines[5].Text, "Filler    : 0xAA ");
    }
  }

  test::LogSession quiet;
  EXPECT_EQ(run_all(DebugSwitches{}).TrailerLength, 0);  // left alone with the switch off
  EXPECT_TRUE(LoggedLines(quiet.Text()).empty());
}

}  // namespace
}  // namespace tessel
