// Range prompts: a one-line input box that asks for a whole number within a range, in
// a given base, through the user-interface interface (ui.h).
//
// The box is captioned "Input Range <min> - <max>" and starts from the current value.
// An answer may be a number in the prompt's base, a "0x" hexadecimal number, or a
// mantissa-and-exponent text such as 1e3. A value outside the range is clamped with a
// warning beep; an answer that does not read as a number leaves the value unchanged
// and gives false. Cancel, or OK without a change, gives true (after the range check
// of the old value).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// The text a prompt starts with: the value in the base (2, 8, 16; any other base is
// decimal) without leading zeros or prefix; "0" for zero. 26 gives 1A, 32, 11010, 26.
std::string PromptDefaultText(int base, std::int64_t value);

// Reads "<mantissa>e<exponent>" (the first 'e', else the first 'E'): false when the
// text has neither letter. Both parts are read as far as they go (0 when nothing
// reads); the value is mantissa x 10^exponent rounded, limited to the type's range.
bool ParseScaled(std::string_view text, std::int32_t& value);
bool ParseScaled(std::string_view text, std::uint32_t& value);

// The range prompts. Callers pass the maximum before the minimum; the bounds may come in
// either order. `value` is in/out.
bool PromptIntInRange(const std::string& prompt, std::int32_t& value, std::int32_t maximum,
                      int base, std::int32_t minimum);
bool PromptUnsignedInRange(const std::string& prompt, std::uint32_t& value, std::uint32_t maximum,
                           int base, std::uint32_t minimum);

}  // namespace tessel
