// TMATS group B: bus data links.
//
// A B group is taken when its DLN is the data link name of a multiplex in the M table;
// it then carries that multiplex's index and track number. The B table serves the dumps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tmats/tmats_lines.h"
#include "tmats/tmats_m_group.h"

namespace tessel {

// Bus groups read at most; a B line of a higher group number ends the scan.
inline constexpr int kMaxBusGroups = 8;

// One bus data link.
struct bgroupstruct {
  std::string MGroupDataLinkNameId;  // the DLN value that matched a multiplex
  std::int32_t MGroupIndex = 0;      // index of that multiplex in the M table
  std::int32_t TrackChannelId = 0;   // that multiplex's track number
  std::string DataLinkName = "UNK";  // DLN of the group's lines (the last one given)
  std::int32_t MultiplexNum = 0;     // the x of the B-x lines, also printed as bus ID
};

// The B table, rebuilt by every parse, in the order of the groups' DLN lines.
struct BGroupTable {
  std::vector<bgroupstruct> groups;
};

// Rebuilds `table` from the B lines of `lines`; needs the M table already built.
void ParseBGroup(const TmatsLineList& lines, const MGroupTable& m_table, BGroupTable& table);

// Writes the "TMATS BUS INFO" block to the log.
void DumpBGroup(const BGroupTable& table);
// The dump text of one bus group, as logged.
std::string BGroupDumpText(const bgroupstruct& group);

}  // namespace tessel
