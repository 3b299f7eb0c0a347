// TMATS attribute lines: cutting the setup text into lines, parsing one line into a
// `tmatslinestruct`, keeping the lines of the groups the converter reads, and the
// name lookups the group parsers use.
//
// A TMATS line reads like R-1\TK1-1:1; (group letter, group number, attribute name
// with its levels and dash item, value). Values and levels are kept whole, however
// long; the input text is bounded by the line limits below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tmats/tmats_vocabulary.h"

namespace tessel {

// Limits of the line splitter.
inline constexpr std::size_t kTmatsMaxLineLength = 3000;  // a longer line is dropped
inline constexpr std::size_t kTmatsMaxLines = 32768;      // later lines are not read
// Name levels kept per line; deeper levels are not stored.
inline constexpr int kTmatsMaxLevels = 6;

// One parsed attribute line.
struct tmatslinestruct {
  // Name levels stored in `Level`, 0 to 6.
  std::int32_t NumLevels = 0;
  // The group letter (the line's first character); "G" for a line without a value.
  std::string Group = "G";
  // The number between the line's first "-" and the following "\" (1 in R-1\ID:x;);
  // values below 1 become 1; 1 when there is none.
  std::int32_t GroupNum = 1;
  // The value: the text between the line's first ":" and the following ";".
  std::string Result;
  // The number after the first "-" of the attribute name (2 in CDT-2), or 0.
  std::int32_t DashItem = 0;
  // The attribute name split at "\", each level cut before its first "-"
  // (MF\N gives MF and N; TK1-1 gives TK1). Entries from NumLevels on are empty.
  std::array<std::string, kTmatsMaxLevels> Level;
};

// The parsed lines in file order.
using TmatsLineList = std::vector<tmatslinestruct>;

// What the splitter left out, for the reader's log lines.
struct TmatsSplitStats {
  std::size_t long_lines_dropped = 0;  // lines of 3 000 characters or more
  bool line_limit_reached = false;     // text beyond line 32 768 was not read
};

// Cuts `text` into lines at line feeds (the line feed is not kept, a carriage return
// before it is). A last line without a line feed is not taken. A line that reaches
// 3 000 characters is dropped whole, up to its line feed. At most 32 768 lines.
std::vector<std::string> SplitTmatsLines(std::string_view text, TmatsSplitStats* stats = nullptr);

// Parses one line. Lines without a value ("name:value;") give Group "G", no levels.
tmatslinestruct ParseTmatsLine(std::string_view line);

// True for the lines the group parsers read: the first recorder only (R and G lines
// of group number 1) and no V, T, A or H lines.
bool KeepTmatsLine(const tmatslinestruct& line);

// Splits, parses and keeps: the line list the group parsers take.
TmatsLineList ParseTmatsText(std::string_view text, TmatsSplitStats* stats = nullptr);

// True when one of the line's first NumLevels levels equals `name`.
bool LineHasLevel(const tmatslinestruct& line, std::string_view name);

// The first of the group's known names (in list order) found among the line's levels;
// false with an empty `code` when none is.
bool FindKnownCode(TmatsGroup group, const tmatslinestruct& line, std::string_view& code);

// --- Values ---------------------------------------------------------------------------

// A whole decimal number: optional sign and digits, nothing else, within int32.
// False (value unchanged) otherwise, also for an empty text.
bool TmatsWholeNumber(std::string_view text, std::int32_t& value);
// The decimal number a value starts with (leading blanks and a sign allowed), 0 when
// it starts with none; saturated to the int32 range. "12AB" gives 12.
std::int32_t TmatsLeadingNumber(std::string_view text);

// Writes the "TMATS LINE INFO" block to the log: a title, then one line per kept line
// with its index as code.
void DumpTmatsLines(const TmatsLineList& lines);
// The dump text of one line (without the log line's code and time).
std::string TmatsLineDumpText(const tmatslinestruct& line);

}  // namespace tessel
