// Range prompts through the user-interface interface.
#include "app/prompts.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "support/clock.h"
#include "support/format.h"
#include "support/ui.h"

namespace tessel {

namespace {

// Bases the prompts know; any other is decimal.
int PromptBase(int base) {
  return base == 2 || base == 8 || base == 16 ? base : 10;
}

// mantissa x 10^exponent of the text around its exponent letter; false without one.
bool ScaledValue(std::string_view text, double& value) {
  std::size_t letter = text.find('e');
  if (letter == std::string_view::npos) letter = text.find('E');
  if (letter == std::string_view::npos) return false;
  double mantissa = 0.0;
  double exponent = 0.0;
  // Each part counts as far as it reads; what follows is ignored.
  ParseDouble(text.substr(0, letter), mantissa);
  ParseDouble(text.substr(letter + 1), exponent);
  value = mantissa * std::pow(10.0, exponent);
  return true;
}

// The nearer whole number, limited to [low, high]; NaN gives 0.
template <typename Int>
Int RoundLimited(double value) {
  if (std::isnan(value)) return 0;
  const double low = static_cast<double>(std::numeric_limits<Int>::min());
  const double high = static_cast<double>(std::numeric_limits<Int>::max());
  if (value <= low) return std::numeric_limits<Int>::min();
  if (value >= high) return std::numeric_limits<Int>::max();
  // An exact half goes down, as RoundToInt does; inside the range nothing wraps.
  const double down = std::floor(value);
  return static_cast<Int>(value - down > 0.5 ? down + 1.0 : down);
}

// The whole text as a number in the base, the C library's way (leading blanks and a
// sign accepted, "0x" accepted in base 16); false when anything is left over or
// nothing reads. Numbers beyond 64 bits are limited.
bool ReadWholeSigned(const std::string& text, int base, long long& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, base);
  return end != text.c_str() && end == text.c_str() + text.size();
}

bool ReadWholeUnsigned(const std::string& text, int base, unsigned long long& value) {
  const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
  // The C library would wrap a negative answer around to a huge number.
  if (first == std::string::npos || text[first] == '-') return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, base);
  return end != text.c_str() && end == text.c_str() + text.size();
}

std::int32_t LimitToInt32(long long value) {
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

std::uint32_t LimitToUint32(unsigned long long value) {
  if (value > std::numeric_limits<std::uint32_t>::max())
    return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(value);
}

std::string RangeText(int base, std::int64_t bound) {
  if (base == 16) return HexText(static_cast<std::uint32_t>(bound), 8, true);
  return FixedText(16, 0, static_cast<double>(bound));
}

// Shows the input box; the text it gives back (the default when cancelled).
std::string AskRange(const std::string& prompt, int base, const std::string& default_text,
                     std::int64_t minimum, std::int64_t maximum) {
  const std::string caption =
      "Input Range " + RangeText(base, minimum) + " - " + RangeText(base, maximum);
  std::string answer = default_text;
  UserInterface* ui = CurrentUserInterface();
  if (ui == nullptr || !ui->PromptText(caption, prompt, answer)) return default_text;
  return answer;
}

bool StartsWithHexPrefix(const std::string& text) {
  return text.rfind("0x", 0) == 0;
}

}  // namespace

std::string PromptDefaultText(int base, std::int64_t value) {
  std::string text;
  switch (PromptBase(base)) {
    case 2:
      text = BinaryText(static_cast<std::uint32_t>(value), 32);
      break;
    case 16:
      text = HexText(static_cast<std::uint32_t>(value), 32, true);
      break;
    case 8:
      text = OctalText(static_cast<std::uint32_t>(value), 32, true);
      break;
    default:
      text = FixedText(16, 0, static_cast<double>(value));
      break;
  }
  text = StripLeading('0', text);
  text = StripLeading('x', text);
  text = StripLeading('o', text);
  text = StripLeading('0', text);
  return text.empty() ? "0" : text;
}

bool ParseScaled(std::string_view text, std::int32_t& value) {
  double scaled = 0.0;
  if (!ScaledValue(text, scaled)) return false;
  value = RoundLimited<std::int32_t>(scaled);
  return true;
}

bool ParseScaled(std::string_view text, std::uint32_t& value) {
  double scaled = 0.0;
  if (!ScaledValue(text, scaled)) return false;
  value = RoundLimited<std::uint32_t>(scaled);
  return true;
}

bool PromptIntInRange(const std::string& prompt, std::int32_t& value, std::int32_t maximum,
                      int base, std::int32_t minimum) {
  const int b = PromptBase(base);
  const std::string default_text = PromptDefaultText(b, value);
  const std::string answer = AskRange(prompt, b, default_text, minimum, maximum);
  if (answer != default_text) {
    std::int32_t read = 0;
    long long whole = 0;
    if (StartsWithHexPrefix(answer)) {
      if (!ReadWholeSigned(answer, 16, whole)) return false;
      read = LimitToInt32(whole);
    } else if (!ParseScaled(answer, read)) {
      if (!ReadWholeSigned(answer, b, whole)) return false;
      read = LimitToInt32(whole);
    }
    value = read;
  }
  if (!InRange(value, minimum, maximum)) {
    BeepWarning();
    value = static_cast<std::int32_t>(Clamp(maximum, minimum, value));
  }
  return true;
}

bool PromptUnsignedInRange(const std::string& prompt, std::uint32_t& value, std::uint32_t maximum,
                           int base, std::uint32_t minimum) {
  const int b = PromptBase(base);
  const std::string default_text = PromptDefaultText(b, value);
  const std::string answer = AskRange(prompt, b, default_text, minimum, maximum);
  if (answer != default_text) {
    std::uint32_t read = 0;
    unsigned long long whole = 0;
    if (StartsWithHexPrefix(answer)) {
      if (!ReadWholeUnsigned(answer, 16, whole)) return false;
      read = LimitToUint32(whole);
    } else if (!ParseScaled(answer, read)) {
      if (!ReadWholeUnsigned(answer, b, whole)) return false;
      read = LimitToUint32(whole);
    }
    value = read;
  }
  if (!InRange(value, minimum, maximum)) {
    BeepWarning();
    value = static_cast<std::uint32_t>(Clamp(maximum, minimum, value));
  }
  return true;
}

}  // namespace tessel
