// Frame synchronisation pattern texts.
//
// A decom setup keeps its pattern as text in one of three radixes (kRadixBinary,
// kRadixOctal, kRadixHex of decom_setup.h), up to 64 bits, with "X" for a don't-care
// digit. These stateless helpers clean such a text, read it into a 64-bit value with a
// don't-care mask, render it in each radix and give the IRIG 106 standard patterns.
// The frame synchroniser takes the last FrmSyncPatLen digits of the binary rendering.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "setup/decom_setup.h"

namespace tessel {

// One entry per bit of the 64-bit pattern value; entry 0 is the most significant bit.
using PatternDontCareMask = std::array<bool, 64>;

// Removes blanks and tabs, drops a leading radix prefix ("0x"/"0X" for hexadecimal,
// "$", "o"/"O"; only when something follows it) and upper-cases the rest. "0x"/"0X"
// are prefixes only for HEX texts: in binary and octal they are a zero digit followed
// by a don't-care digit.
std::string NormalisePatternText(std::string_view text, std::int32_t radix = kRadixHex);

// Reads a pattern text of the radix: normalised, padded on the left with "0" to 64
// binary, 22 octal or 16 hex digits (cut to that many when longer). Each "X" marks its
// digit's bits as don't-care and counts as 0. On return `cleaned` holds the value as 64
// binary digits (don't-care bits as 0). False when a character is not a digit of the
// radix (the outputs still hold what could be read) or the radix is unknown.
bool ParsePatternText(std::int32_t radix, std::string_view text, std::string& cleaned,
                      PatternDontCareMask& dont_care, std::uint64_t& value);

// 16 upper-case hex digits; a digit with any don't-care bit is "X".
bool PatternToHexText(std::string_view pattern, std::int32_t radix, std::string& text);
// 64 binary digits; "X" at every don't-care bit.
bool PatternToBinaryText(std::string_view pattern, std::int32_t radix, std::string& text);
// 22 octal digits, 11 for the high 32 bits and 11 for the low 32 bits; a digit with any
// don't-care bit is "X".
bool PatternToOctalText(std::string_view pattern, std::int32_t radix, std::string& text);

// The IRIG 106 optimum frame synchronisation pattern of 7..32 bits: hex or octal digits
// without leading zeros, or exactly `bits` binary digits. False (text unchanged) for
// any other length or an unknown radix.
bool StandardSyncPattern(int bits, std::int32_t radix, std::string& text);

}  // namespace tessel
