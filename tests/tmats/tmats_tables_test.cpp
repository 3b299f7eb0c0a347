#include "tmats/tmats_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/log_session.h"
#include "support/log.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

constexpr const char* kLinkedTmats =
    "R-1\\N:2;\n"
    "R-1\\CHE-1:T;\nR-1\\TK1-1:4;\nR-1\\CDT-1:PCMIN;\nR-1\\PDLN-1:CH-LINK;\n"
    "R-1\\CHE-2:T;\nR-1\\TK1-2:8;\nR-1\\CDT-2:1553IN;\nR-1\\BDLN-2:BUS-LINK;\n"
    "M-1\\ID:CH-LINK;\nM-1\\BSG1:PCM;\nM-1\\BB\\DLN:FORMAT-1;\n"
    "M-2\\ID:BUS-LINK;\nM-2\\BB\\DLN:BUS-1;\n"
    "P-1\\DLN:FORMAT-1;\nP-1\\D2:1000000;\n"
    "B-1\\DLN:BUS-1;\n";

TEST(ParseTmatsGroups, RunsRThenMThenPThenB) {
  TmatsTables tables;
  std::vector<std::string> seen;
  TmatsGroupHooks hooks;
  hooks.parse_p = [&](const TmatsLineList& lines, const TmatsTables& t) {
    // R and M are ready for the P parser; B is not built yet.
    seen.push_back("P with " + std::to_string(t.r.channels.size()) + " channels, " +
                   std::to_string(t.m.groups.size()) + " multiplexes, " +
                   std::to_string(t.b.groups.size()) + " buses, " + std::to_string(lines.size()) +
                   " lines");
  };
  LoadTmatsText(kLinkedTmats, tables, hooks);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"P with 2 channels, 2 multiplexes, 0 buses, 17 lines"}));
  EXPECT_EQ(tables.b.groups.size(), 1u);
  EXPECT_EQ(tables.b.groups[0].TrackChannelId, 8);
  EXPECT_EQ(tables.m.groups[0].TrackChannelId, 4);
}

TEST(DumpTmatsGroups, DumpsInTheOrderRMPB) {
  TmatsTables tables;
  LoadTmatsText(kLinkedTmats, tables);
  test::LogSession session;
  TmatsGroupHooks hooks;
  hooks.dump_p = [](const TmatsTables&) { LogMessage("P DUMP", 0); };
  DumpTmatsGroups(tables, hooks);
  std::vector<std::string> titles;
  for (const auto& entry : test::LogEntries(session.Text())) {
    if (entry.message.find("INFO ---") != std::string::npos || entry.message == "P DUMP") {
      titles.push_back(entry.message.substr(0, entry.message.find(" -")));
    }
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"TMATS RECORDER INFO", "TMATS MULTIPLEX INFO",
                                              "P DUMP", "TMATS BUS INFO"}));
}

// Some recorders give the multiplex only a DLN and name the PCM format's data link in
// the channel's CDLN: no multiplex links to a channel, but the channel can be found by
// the format's name.
TEST(ParseTmatsGroups, ChannelLinkedStraightToThePcmFormat) {
  TmatsTables tables;
  std::vector<std::int32_t> tracks;
  TmatsGroupHooks hooks;
  hooks.parse_p = [&](const TmatsLineList& lines, const TmatsTables& t) {
    for (const tmatslinestruct& line : lines) {
      std::string_view code;
      if (line.Group != "P" || !FindKnownCode(TmatsGroup::P, line, code) || code != "DLN") {
        continue;
      }
      int index = 0;
      std::int32_t track = 0;
      if (FindMGroupByLinkName(t.m, line.Result, index)) {
        tracks.push_back(t.m.groups[static_cast<std::size_t>(index)].TrackChannelId);
      } else if (FindPcmChannelByLinkName(t.r, line.Result, index, track)) {
        tracks.push_back(track);
      }
    }
  };
  LoadTmatsText(
      "R-1\\N:3;\n"
      "R-1\\CHE-1:T;\nR-1\\TK1-1:1;\nR-1\\CDT-1:TIMEIN;\n"
      "R-1\\CHE-2:T;\nR-1\\TK1-2:3;\nR-1\\CDT-2:PCMIN;\nR-1\\CDLN-2:PCM-FORMAT;\n"
      "R-1\\CHE-3:F;\nR-1\\TK1-3:5;\nR-1\\CDT-3:PCMIN;\nR-1\\CDLN-3:OFF-FORMAT;\n"
      "M-1\\BB\\DLN:PCM-FORMAT;\nM-2\\BB\\DLN:OFF-FORMAT;\n"
      "P-1\\DLN:PCM-FORMAT;\nP-1\\MF1:64;\nP-2\\DLN:OFF-FORMAT;\nP-3\\DLN:UNK;\n",
      tables, hooks);
  EXPECT_TRUE(tables.m.groups.empty());
  EXPECT_EQ(tracks, (std::vector<std::int32_t>{3}));
}

}  // namespace
}  // namespace tessel
