#include "tmats/tmats_m_group.h"

#include <array>
#include <cstddef>

#include "support/clock.h"
#include "support/log.h"

namespace tessel {

void ParseMGroup(const TmatsLineList& lines, const RGroupTable& r_table, MGroupTable& table) {
  table = MGroupTable{};
  std::array<mgroupstruct, kMaxMultiplexGroups> work;
  std::size_t filled = 0;
  for (const tmatslinestruct& line : lines) {
    if (line.Group != "M" || line.GroupNum > kMaxMultiplexGroups) continue;
    std::string_view code;
    if (!FindKnownCode(TmatsGroup::M, line, code)) continue;
    if (filled == work.size()) {
      // The ID and BSG1 lines of a multiplex beyond the table have nowhere to go; its
      // DLN line is the one that would need a 65th entry.
      if (code != "DLN") continue;
      LogMessage("Exceeded Max Multiplex Channels To Parse", static_cast<int>(filled));
      BeepWarning();
      break;
    }
    mgroupstruct& entry = work[filled];
    entry.MultiplexNum = line.GroupNum;
    if (code == "ID") {
      entry.RGroupDataLinkNameId = line.Result;
    } else if (code == "BSG1") {
      entry.SignalType = BasebandSignalIndex(line.Result);
    } else if (code == "DLN") {
      entry.DataLinkName = line.Result;
      ++filled;
    }
  }

  for (std::size_t j = 0; j < filled; ++j) {
    int channel_index = 0;
    std::int32_t track = 0;
    if (!FindRChannelByLinkName(r_table, work[j].RGroupDataLinkNameId, channel_index, track)) {
      continue;
    }
    mgroupstruct group = work[j];
    group.RGroupIndex = channel_index;
    group.TrackChannelId = track;
    table.groups.push_back(group);
  }
}

std::string MGroupDumpText(const mgroupstruct& group) {
  return "\r\nRGroupIndex = " + std::to_string(group.RGroupIndex) +
         "\r\nTrackChannelId = " + std::to_string(group.TrackChannelId) +
         "\r\nMultiplexNum = " + std::to_string(group.MultiplexNum) +
         "\r\nID   - RGroupDataLinkNameId = " + group.RGroupDataLinkNameId +
         "\r\nBSG1 - SignalType = " + std::string(BasebandSignalName(group.SignalType)) +
         "\r\nDLN  - DataLinkName = " + group.DataLinkName + "\r\n";
}

void DumpMGroup(const MGroupTable& table) {
  LogMessage("", 0);
  LogMessage("TMATS MULTIPLEX INFO -------------------------------------------\r\n", 0);
  int index = 0;
  for (const mgroupstruct& group : table.groups) {
    LogMessage(MGroupDumpText(group), index);
    ++index;
  }
}

bool FindMGroupByLinkName(const MGroupTable& table, std::string_view name, int& index) {
  index = 0;
  if (name.empty()) return false;
  for (std::size_t i = 0; i < table.groups.size(); ++i) {
    if (table.groups[i].DataLinkName == name) {
      index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

}  // namespace tessel
