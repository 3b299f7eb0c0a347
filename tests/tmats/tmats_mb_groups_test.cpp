#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "support/clock.h"
#include "tmats/log_entries.h"
#include "tmats/tmats_b_group.h"
#include "tmats/tmats_m_group.h"
#include "tmats/tmats_r_group.h"

namespace tessel {
namespace {

// R channels 1 (track 1, PDLN "PCM-A"), 2 (track 5, CDLN "PCM-B") and 3 (track 6,
// BDLN "BUS-C") for the multiplexes to link to.
constexpr const char* kRecorder =
    "R-1\\N:3;\n"
    "R-1\\CHE-1:T;\nR-1\\PDLN-1:PCM-A;\n"
    "R-1\\CHE-2:T;\nR-1\\TK1-2:5;\nR-1\\CDLN-2:PCM-B;\n"
    "R-1\\CHE-3:T;\nR-1\\TK1-3:6;\nR-1\\BDLN-3:BUS-C;\n";

struct Parsed {
  RGroupTable r;
  MGroupTable m;
  BGroupTable b;
};

Parsed Parse(const std::string& text) {
  Parsed parsed;
  const TmatsLineList lines = ParseTmatsText(std::string(kRecorder) + text);
  ParseRGroup(lines, parsed.r);
  ParseMGroup(lines, parsed.r, parsed.m);
  ParseBGroup(lines, parsed.m, parsed.b);
  return parsed;
}

TEST(ParseMGroup, LinksMultiplexesToRecorderChannels) {
  const Parsed p = Parse(
      "M-1\\ID:PCM-A;\nM-1\\BSG1:PCM;\nM-1\\BB\\DLN:FMT-A;\n"
      "M-2\\ID:PCM-B;\nM-2\\BB\\DLN:FMT-B;\n"
      "M-3\\ID:NOBODY;\nM-3\\BB\\DLN:FMT-X;\n"  // names no channel: dropped
      "M-4\\BB\\DLN:FMT-Y;\n"                   // no ID at all: dropped
      "M-5\\ID:BUS-C;\nM-5\\BSG1:ANA;\nM-5\\DLN:BUS-FMT;\n");
  ASSERT_EQ(p.m.groups.size(), 3u);
  const mgroupstruct& a = p.m.groups[0];
  EXPECT_EQ(a.RGroupDataLinkNameId, "PCM-A");
  EXPECT_EQ(a.RGroupIndex, 0);
  EXPECT_EQ(a.TrackChannelId, 1);
  EXPECT_EQ(a.DataLinkName, "FMT-A");
  EXPECT_EQ(a.SignalType, 0);
  EXPECT_EQ(a.MultiplexNum, 1);
  const mgroupstruct& b = p.m.groups[1];
  EXPECT_EQ(b.RGroupIndex, 1);
  EXPECT_EQ(b.TrackChannelId, 5);
  EXPECT_EQ(b.SignalType, kTmatsBasebandUnknown);
  EXPECT_EQ(p.m.groups[2].TrackChannelId, 6);
  EXPECT_EQ(p.m.groups[2].SignalType, 1);
  EXPECT_EQ(p.m.groups[2].MultiplexNum, 5);

  int index = -1;
  EXPECT_TRUE(FindMGroupByLinkName(p.m, "FMT-B", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(FindMGroupByLinkName(p.m, "FMT-X", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(FindMGroupByLinkName(p.m, "", index));
}

TEST(ParseMGroup, EachDlnLineClosesTheEntryBeingFilled) {
  // DLN lines before ID lines: the first ID lands in the second entry, the last ID has
  // no DLN to close it.
  const Parsed p = Parse(
      "M-1\\BB\\DLN:FMT-1;\nM-1\\ID:PCM-A;\n"
      "M-2\\BB\\DLN:FMT-2;\nM-2\\ID:PCM-B;\n");
  ASSERT_EQ(p.m.groups.size(), 1u);
  EXPECT_EQ(p.m.groups[0].DataLinkName, "FMT-2");
  EXPECT_EQ(p.m.groups[0].RGroupDataLinkNameId, "PCM-A");
  EXPECT_EQ(p.m.groups[0].MultiplexNum, 2);
}

TEST(ParseMGroup, NumbersAreKeptForSparseGroupsAndAbove64Ignored) {
  const Parsed p = Parse(
      "M-2\\ID:PCM-A;\nM-2\\BB\\DLN:FMT-2;\n"
      "M-65\\ID:PCM-B;\nM-65\\BB\\DLN:FMT-65;\n");
  ASSERT_EQ(p.m.groups.size(), 1u);
  EXPECT_EQ(p.m.groups[0].MultiplexNum, 2);
  EXPECT_EQ(p.m.groups[0].DataLinkName, "FMT-2");
}

TEST(ParseMGroup, MoreThan64MultiplexesKeepsTheFirst64AndSaysSo) {
  test::LogSession session;
  RecordingSpeaker speaker;
  SetSpeaker(&speaker);
  std::string text;
  for (int i = 1; i <= 66; ++i) {
    const std::string n = std::to_string(std::min(i, 64));
    text += "M-" + n + "\\ID:PCM-A;\nM-" + n + "\\BB\\DLN:FMT-" + std::to_string(i) + ";\n";
  }
  const Parsed p = Parse(text);
  SetSpeaker(nullptr);
  ASSERT_EQ(p.m.groups.size(), 64u);
  EXPECT_EQ(p.m.groups.back().DataLinkName, "FMT-64");
  int messages = 0;
  for (const auto& entry : test::LogEntries(session.Text())) {
    if (entry.message == "Exceeded Max Multiplex Channels To Parse") {
      ++messages;
      EXPECT_EQ(entry.code, 64);
    }
  }
  EXPECT_EQ(messages, 1);
  EXPECT_FALSE(speaker.tones.empty());
}

TEST(ParseMGroup, ExactlySixtyFourMultiplexesIsNoOverflow) {
  test::LogSession session;
  std::string text;
  for (int i = 1; i <= 64; ++i) {
    text += "M-" + std::to_string(i) + "\\ID:PCM-A;\nM-" + std::to_string(i) + "\\BB\\DLN:F;\n";
  }
  text += "B-1\\DLN:F;\nM-1\\BSG1:PCM;\n";
  EXPECT_EQ(Parse(text).m.groups.size(), 64u);
  EXPECT_EQ(session.Text().find("Exceeded Max Multiplex"), std::string::npos);
}

TEST(ParseBGroup, TakesGroupsWhoseDlnNamesAMultiplex) {
  const Parsed p = Parse(
      "M-1\\ID:BUS-C;\nM-1\\BB\\DLN:BUS-FMT;\n"
      "B-1\\DLN:UNKNOWN-FMT;\n"  // names no multiplex
      "B-2\\DLN:BUS-FMT;\nB-2\\NBS\\N:1;\nB-2\\XX\\DLN:LATER;\n"
      "B-3\\DLN:BUS-FMT;\n");
  ASSERT_EQ(p.b.groups.size(), 2u);
  const bgroupstruct& bus = p.b.groups[0];
  EXPECT_EQ(bus.MGroupDataLinkNameId, "BUS-FMT");
  EXPECT_EQ(bus.MGroupIndex, 0);
  EXPECT_EQ(bus.TrackChannelId, 6);
  EXPECT_EQ(bus.MultiplexNum, 2);
  EXPECT_EQ(bus.DataLinkName, "LATER");  // the group's last DLN line
  EXPECT_EQ(p.b.groups[1].MultiplexNum, 3);
  EXPECT_EQ(p.b.groups[1].DataLinkName, "BUS-FMT");
}

TEST(ParseBGroup, StopsAtGroupNumbersAbove8AndAfter8Groups) {
  const Parsed high = Parse(
      "M-1\\ID:BUS-C;\nM-1\\BB\\DLN:F;\n"
      "B-1\\DLN:F;\nB-9\\NBS\\N:1;\nB-2\\DLN:F;\n");
  ASSERT_EQ(high.b.groups.size(), 1u);
  EXPECT_EQ(high.b.groups[0].MultiplexNum, 1);

  std::string text = "M-1\\ID:BUS-C;\nM-1\\BB\\DLN:F;\n";
  for (int i = 1; i <= 8; ++i) text += "B-" + std::to_string(i) + "\\DLN:F;\n";
  text += "B-1\\DLN:F;\n";
  EXPECT_EQ(Parse(text).b.groups.size(), 8u);
}

TEST(MbDumps, WriteTheirBlocks) {
  const Parsed p = Parse(
      "M-1\\ID:PCM-B;\nM-1\\BSG1:PCM;\nM-1\\BB\\DLN:FMT-B;\n"
      "M-2\\ID:BUS-C;\nM-2\\BB\\DLN:BUS-FMT;\n"
      "B-4\\DLN:BUS-FMT;\n");
  test::LogSession session;
  DumpMGroup(p.m);
  DumpBGroup(p.b);
  const auto entries = test::LogEntries(session.Text());
  const auto m = test::EntriesAfter(
      entries, "TMATS MULTIPLEX INFO -------------------------------------------\r\n");
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[0].code, 0);
  EXPECT_EQ(m[0].message,
            "\r\nRGroupIndex = 1\r\nTrackChannelId = 5\r\nMultiplexNum = 1"
            "\r\nID   - RGroupDataLinkNameId = PCM-B\r\nBSG1 - SignalType = PCM"
            "\r\nDLN  - DataLinkName = FMT-B\r\n");
  EXPECT_EQ(m[1].code, 1);
  EXPECT_EQ(m[1].message, MGroupDumpText(p.m.groups[1]));
  EXPECT_NE(m[1].message.find("BSG1 - SignalType = UNK"), std::string::npos);
  const auto b =
      test::EntriesAfter(entries, "TMATS BUS INFO -------------------------------------------\r\n");
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].code, 0);
  EXPECT_EQ(b[0].message,
            "\r\nMGroupDataLinkNameId = BUS-FMT\r\nMGroupIndex = 1"
            "\r\nTrackChannelId(channel) = 6\r\nMultiplexNum = 4"
            "\r\nDLN  - Data Link Name = BUS-FMT\r\nBID  - Bus ID = 4\r\n");
}

}  // namespace
}  // namespace tessel
