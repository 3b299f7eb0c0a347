// TMATS group M: the multiplexes that tie a recorder channel to the data link the PCM
// formats (P) and buses (B) refer to.
//
// An M group's ID is the data link name an R channel names (PDLN, CDLN or BDLN); its
// DLN is the name P and B groups use. `ParseMGroup` keeps the multiplexes whose ID
// names a channel of the R table, with that channel's index and track number. Each
// DLN line closes one multiplex, so its ID and BSG1 lines must come before it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tmats/tmats_lines.h"
#include "tmats/tmats_r_group.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

// Multiplexes read at most; a further DLN line ends the scan with a log line.
inline constexpr int kMaxMultiplexGroups = 64;

// One multiplex linked to a recorder channel.
struct mgroupstruct {
  std::string RGroupDataLinkNameId;                 // ID: the link name an R channel uses
  std::int32_t RGroupIndex = 0;                     // index of that channel in the R table
  std::int32_t TrackChannelId = 0;                  // that channel's track number
  std::string DataLinkName = "UNK";                 // DLN: the name P and B groups use
  std::int32_t SignalType = kTmatsBasebandUnknown;  // BSG1, baseband signal index
  std::int32_t MultiplexNum = 0;                    // the x of the M-x lines
};

// The M table, rebuilt by every parse: the linked multiplexes in text order.
struct MGroupTable {
  std::vector<mgroupstruct> groups;
};

// Rebuilds `table` from the M lines of `lines`; needs the R table already built.
void ParseMGroup(const TmatsLineList& lines, const RGroupTable& r_table, MGroupTable& table);

// Writes the "TMATS MULTIPLEX INFO" block to the log.
void DumpMGroup(const MGroupTable& table);
// The dump text of one multiplex, as logged.
std::string MGroupDumpText(const mgroupstruct& group);

// The index of the first multiplex whose DataLinkName equals `name`; false (index 0)
// when none does or `name` is empty.
bool FindMGroupByLinkName(const MGroupTable& table, std::string_view name, int& index);

}  // namespace tessel
