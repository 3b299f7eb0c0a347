#include "tmats/tmats_b_group.h"

#include <cstddef>

#include "support/log.h"

namespace tessel {

void ParseBGroup(const TmatsLineList& lines, const MGroupTable& m_table, BGroupTable& table) {
  table = BGroupTable{};

  // The bus groups named by DLN lines that match a multiplex, in text order.
  for (const tmatslinestruct& line : lines) {
    if (line.Group != "B") continue;
    std::string_view code;
    if (!FindKnownCode(TmatsGroup::B, line, code)) continue;
    if (line.GroupNum > kMaxBusGroups) break;
    if (code != "DLN") continue;
    int m_index = 0;
    if (!FindMGroupByLinkName(m_table, line.Result, m_index)) continue;
    bgroupstruct group;
    group.MultiplexNum = line.GroupNum;
    group.MGroupDataLinkNameId = line.Result;
    group.MGroupIndex = m_index;
    group.TrackChannelId = m_table.groups[static_cast<std::size_t>(m_index)].TrackChannelId;
    table.groups.push_back(group);
    if (table.groups.size() == static_cast<std::size_t>(kMaxBusGroups)) break;
  }

  for (bgroupstruct& group : table.groups) {
    for (const tmatslinestruct& line : lines) {
      std::string_view code;
      if (line.Group == "B" && line.GroupNum == group.MultiplexNum &&
          FindKnownCode(TmatsGroup::B, line, code) && code == "DLN") {
        group.DataLinkName = line.Result;
      }
    }
  }
}

std::string BGroupDumpText(const bgroupstruct& group) {
  return "\r\nMGroupDataLinkNameId = " + group.MGroupDataLinkNameId +
         "\r\nMGroupIndex = " + std::to_string(group.MGroupIndex) +
         "\r\nTrackChannelId(channel) = " + std::to_string(group.TrackChannelId) +
         "\r\nMultiplexNum = " + std::to_string(group.MultiplexNum) +
         "\r\nDLN  - Data Link Name = " + group.DataLinkName +
         "\r\nBID  - Bus ID = " + std::to_string(group.MultiplexNum) + "\r\n";
}

void DumpBGroup(const BGroupTable& table) {
  LogMessage("", 0);
  LogMessage("TMATS BUS INFO -------------------------------------------\r\n", 0);
  int index = 0;
  for (const bgroupstruct& group : table.groups) {
    LogMessage(BGroupDumpText(group), index);
    ++index;
  }
}

}  // namespace tessel
