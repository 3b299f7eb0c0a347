// The TMATS group tables of one recording, and the fixed order in which the group
// parsers fill them: R, M, P, B (each may use the tables built before it).
//
// The caller owns a TmatsTables (the stream chooser, the file reader); nothing here is
// process-wide. The P group is filled through a hook, so its parser and table can live
// with the decom setup it builds: the hook runs after M and before B.
#pragma once

#include <functional>
#include <string_view>

#include "tmats/tmats_b_group.h"
#include "tmats/tmats_lines.h"
#include "tmats/tmats_m_group.h"
#include "tmats/tmats_r_group.h"

namespace tessel {

// The group tables one TMATS record gives.
struct TmatsTables {
  RGroupTable r;  // recorder and its enabled channels
  MGroupTable m;  // multiplexes linked to channels
  BGroupTable b;  // bus data links
};

// Group passes that live outside this folder. Empty functions are skipped.
struct TmatsGroupHooks {
  // Fills the P group table from the kept lines; R and M are ready when it runs.
  std::function<void(const TmatsLineList& lines, const TmatsTables& tables)> parse_p;
  // Writes the P group dump; runs between the M and B dumps.
  std::function<void(const TmatsTables& tables)> dump_p;
};

// Rebuilds every table from the kept lines in the order R, M, P (hook), B.
void ParseTmatsGroups(const TmatsLineList& lines, TmatsTables& tables,
                      const TmatsGroupHooks& hooks = {});
// The group dumps in the order R, M, P (hook), B.
void DumpTmatsGroups(const TmatsTables& tables, const TmatsGroupHooks& hooks = {});
// Parses a whole TMATS text (split, parse, keep) and rebuilds the tables from it.
void LoadTmatsText(std::string_view text, TmatsTables& tables, const TmatsGroupHooks& hooks = {});

}  // namespace tessel
