#include "tmats/tmats_tables.h"

namespace tessel {

void ParseTmatsGroups(const TmatsLineList& lines, TmatsTables& tables,
                      const TmatsGroupHooks& hooks) {
  ParseRGroup(lines, tables.r);
  ParseMGroup(lines, tables.r, tables.m);
  if (hooks.parse_p) hooks.parse_p(lines, tables);
  ParseBGroup(lines, tables.m, tables.b);
}

void DumpTmatsGroups(const TmatsTables& tables, const TmatsGroupHooks& hooks) {
  DumpRGroup(tables.r);
  DumpMGroup(tables.m);
  if (hooks.dump_p) hooks.dump_p(tables);
  DumpBGroup(tables.b);
}

void LoadTmatsText(std::string_view text, TmatsTables& tables, const TmatsGroupHooks& hooks) {
  ParseTmatsGroups(ParseTmatsText(text), tables, hooks);
}

}  // namespace tessel
