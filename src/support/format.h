// Numbers to the fixed texts of the log, grids and files; texts back to numbers;
// small text, integer and bit helpers. Every function is stateless and never throws.
// Positions are 1-based where a function takes or returns one; cutting a text keeps
// its first characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// Largest time of year accepted anywhere: 367 days, in seconds.
inline constexpr double kMaxTimeOfYear = 31'708'800.0;

// --- Time of year (seconds since the start of the year; day 1 begins at 86 400 s) ---

// Splits t into day, hours, minutes and seconds; false (all zero) outside 0..367 days.
bool SplitTimeOfYear(double t, int& day, int& hours, int& minutes, double& seconds);
// "%03d:%02d:%02d:%09.6f" with the 59.999999 s carry; "XXX:XX:XX:XX.XXXXXX" when invalid.
std::string TimeOfYearText(double t);

// --- Numbers to text ---

// Fixed point with `decimals` decimals (0..18), cut (never padded) to `max_length`.
std::string FixedText(int max_length, int decimals, double value);
// printf "%*.*f" with field width (width - decimals), every blank removed.
std::string CompactFixedText(double value, int width, int decimals);
// Upper-case hexadecimal of exactly `width` digits (most significant kept), "0x" prefix.
std::string HexText(std::uint32_t value, int width, bool prefix);
// Octal of exactly `width` digits, "o" prefix.
std::string OctalText(std::uint32_t value, int width, bool prefix);
// Exactly `width` characters '0'/'1', most significant first.
std::string BinaryText(std::uint32_t value, int width);
// "YES" or "NO".
std::string YesNoText(bool value);

// --- Text to numbers: true only when the whole text was consumed (leading blanks
// skipped); the out value holds what was read even on false; an empty text gives 0, true.

bool ParseDouble(std::string_view text, double& value);
bool ParseInt(std::string_view text, int& value);
// Base 2, 8, 10 or 16 ("0x" accepted in base 16).
bool ParseUnsigned(std::string_view text, std::uint32_t& value, int base);
std::uint32_t ParseHex(std::string_view text);
bool ParseUnsigned64(std::string_view text, std::uint64_t& value, int base);

// --- Text helpers ---

std::string PadLeft(int width, char fill, std::string_view text);
std::string PadRight(int width, char fill, std::string_view text);
void PadRightInPlace(int width, char fill, std::string& text);
std::string RepeatChar(int count, char c);
std::string RemoveChar(char c, std::string_view text);
std::string StripLeading(char c, std::string_view text);
// Text before/after the first occurrence of `part`; empty when it does not occur.
std::string TextBefore(std::string_view text, std::string_view part);
std::string TextAfter(std::string_view text, std::string_view part);
// 1-based position of `part` at or after 1-based `start`; -1 when there is none.
int FindFrom(std::string_view text, std::string_view part, int start);

// --- Integer and bit helpers ---

int FloorToInt(double value);
int CeilToInt(double value);
// Nearer of floor and ceiling; an exact half goes to the floor (2.5 -> 2, -2.5 -> -3).
int RoundToInt(double value);
bool TestBit(std::uint32_t value, int bit);
std::uint32_t SetBit(std::uint32_t value, int bit);
// `value` limited to the interval between the two bounds, in either order.
double Clamp(double bound1, double bound2, double value);
bool InRange(double value, double bound1, double bound2);
std::uint16_t SwapBytes16(std::uint16_t value);
// Bits needed to hold the value: 0 for 0, else floor(log2(value)) + 1.
int BitWidth(std::uint32_t value);

// --- Number lines of text files: the text of one value (CompactFixedText with the
// widths of the PDbase ASCII file); the caller ends the line.

std::string NumberLineText(std::int32_t value);   // width 12, 0 decimals
std::string NumberLineText(bool value);           // as 0 or 1
std::string NumberLineText(std::uint32_t value);  // width 12, 0 decimals
std::string NumberLineText(std::uint16_t value);  // width 5, 0 decimals
std::string NumberLineText(std::uint8_t value);   // width 3, 0 decimals
std::string NumberLineText(double value);         // width 32, 21 decimals

}  // namespace tessel
