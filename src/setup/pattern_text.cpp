// Frame synchronisation pattern texts: cleaning, parsing and rendering.
#include "setup/pattern_text.h"

#include <cctype>
#include <cstdio>

#include "support/format.h"

namespace tessel {

namespace {

// Digits a pattern text of the radix is padded or cut to; 0 for an unknown radix.
// Octal texts take 22 digits, two 11-digit halves of 32 bits each, so that the text
// PatternToOctalText makes reads back to the same value.
std::size_t DigitCount(std::int32_t radix) {
  switch (radix) {
    case kRadixBinary:
      return 64;
    case kRadixOctal:
      return 22;
    case kRadixHex:
      return 16;
    default:
      return 0;
  }
}

int NumberBase(std::int32_t radix) {
  switch (radix) {
    case kRadixBinary:
      return 2;
    case kRadixOctal:
      return 8;
    default:
      return 16;
  }
}

bool IsRadixDigit(char c, std::int32_t radix) {
  switch (radix) {
    case kRadixBinary:
      return c == '0' || c == '1';
    case kRadixOctal:
      return c >= '0' && c <= '7';
    default:
      return std::isxdigit(static_cast<unsigned char>(c)) != 0;
  }
}

// Mask entries (0 = most significant bit) of the 64-bit value that digit `index` of a
// DigitCount(radix)-digit text covers, as [first, last]; empty when first > last.
struct BitSpan {
  int first;
  int last;
};
BitSpan DigitBits(std::int32_t radix, int index) {
  switch (radix) {
    case kRadixBinary:
      return {index, index};
    case kRadixHex:
      return {4 * index, 4 * index + 3};
    default: {
      // Each 11-digit half holds 32 bits; its top digit carries only two of them.
      const int half = index < 11 ? 0 : 1;
      const int low_bit = 3 * (10 - index % 11);  // within the half, 0 = LSB
      const int high_bit = low_bit + 2 < 31 ? low_bit + 2 : 31;
      return {half * 32 + 31 - high_bit, half * 32 + 31 - low_bit};
    }
  }
}

std::string BinaryDigits(std::uint64_t value) {
  std::string text(64, '0');
  for (int i = 0; i < 64; ++i) {
    if ((value >> (63 - i)) & 1u) text[static_cast<std::size_t>(i)] = '1';
  }
  return text;
}

bool AnyDontCare(const PatternDontCareMask& mask, BitSpan span) {
  for (int bit = span.first; bit <= span.last; ++bit) {
    if (mask[static_cast<std::size_t>(bit)]) return true;
  }
  return false;
}

}  // namespace

std::string NormalisePatternText(std::string_view text, std::int32_t radix) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t') result += c;
  }
  const bool hex = radix != kRadixBinary && radix != kRadixOctal;
  for (std::string_view marker : {"0x", "0X", "$", "o", "O"}) {
    if (!hex && (marker == "0x" || marker == "0X")) continue;
    if (result.size() > marker.size() && std::string_view(result).starts_with(marker)) {
      result.erase(0, marker.size());
    }
  }
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool ParsePatternText(std::int32_t radix, std::string_view text, std::string& cleaned,
                      PatternDontCareMask& dont_care, std::uint64_t& value) {
  dont_care.fill(false);
  value = 0;
  const std::size_t digits = DigitCount(radix);
  std::string work = NormalisePatternText(text, radix);
  if (digits == 0) {
    cleaned = work;
    return false;
  }
  if (work.size() < digits) {
    work.insert(0, digits - work.size(), '0');
  } else {
    work.resize(digits);
  }
  bool valid = true;
  for (std::size_t i = 0; i < digits; ++i) {
    if (work[i] == 'X') {
      work[i] = '0';
      const BitSpan span = DigitBits(radix, static_cast<int>(i));
      for (int bit = span.first; bit <= span.last; ++bit) {
        dont_care[static_cast<std::size_t>(bit)] = true;
      }
    } else if (!IsRadixDigit(work[i], radix)) {
      valid = false;
    }
  }
  if (!ParseUnsigned64(work, value, NumberBase(radix))) valid = false;
  cleaned = BinaryDigits(value);
  return valid;
}

bool PatternToHexText(std::string_view pattern, std::int32_t radix, std::string& text) {
  std::string cleaned;
  PatternDontCareMask mask{};
  std::uint64_t value = 0;
  const bool valid = ParsePatternText(radix, pattern, cleaned, mask, value);
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  text.assign(16, '0');
  for (int i = 0; i < 16; ++i) {
    const auto digit = static_cast<std::size_t>((value >> (60 - 4 * i)) & 0xFu);
    text[static_cast<std::size_t>(i)] =
        AnyDontCare(mask, DigitBits(kRadixHex, i)) ? 'X' : kHexDigits[digit];
  }
  return valid;
}

bool PatternToBinaryText(std::string_view pattern, std::int32_t radix, std::string& text) {
  std::string cleaned;
  PatternDontCareMask mask{};
  std::uint64_t value = 0;
  const bool valid = ParsePatternText(radix, pattern, cleaned, mask, value);
  text = BinaryDigits(value);
  for (std::size_t i = 0; i < 64; ++i) {
    if (mask[i]) text[i] = 'X';
  }
  return valid;
}

bool PatternToOctalText(std::string_view pattern, std::int32_t radix, std::string& text) {
  std::string cleaned;
  PatternDontCareMask mask{};
  std::uint64_t value = 0;
  const bool valid = ParsePatternText(radix, pattern, cleaned, mask, value);
  text.assign(22, '0');
  for (int i = 0; i < 22; ++i) {
    const std::uint64_t half = i < 11 ? value >> 32 : value & 0xFFFFFFFFu;
    const int shift = 3 * (10 - i % 11);
    const auto digit = static_cast<char>('0' + ((half >> shift) & 7u));
    text[static_cast<std::size_t>(i)] = AnyDontCare(mask, DigitBits(kRadixOctal, i)) ? 'X' : digit;
  }
  return valid;
}

bool StandardSyncPattern(int bits, std::int32_t radix, std::string& text) {
  // IRIG 106 optimum frame synchronisation patterns of 7 to 32 bits.
  static constexpr std::uint32_t kPatterns[] = {
      0x58,      0xB8,       0x170,      0x370,      0x5B8,     0xB60,     0x1D60,
      0x39A0,    0x7650,     0xEB90,     0x1E6A0,    0x3CD40,   0x7CCA0,   0xEDE20,
      0x1DD2C0,  0x3CDA80,   0x7AE680,   0xFAF320,   0x1F2DC40, 0x3E9AC40, 0x7D69980,
      0xF5E5980, 0x1EBCCD00, 0x3EBCCD00, 0x7F37D420, 0xFE6B2840};
  if (bits < 7 || bits > 32) return false;
  const std::uint32_t value = kPatterns[bits - 7];
  char buffer[40];
  switch (radix) {
    case kRadixHex:
      std::snprintf(buffer, sizeof(buffer), "%X", static_cast<unsigned>(value));
      text = buffer;
      return true;
    case kRadixOctal:
      std::snprintf(buffer, sizeof(buffer), "%o", static_cast<unsigned>(value));
      text = buffer;
      return true;
    case kRadixBinary:
      text = BinaryDigits(value).substr(static_cast<std::size_t>(64 - bits));
      return true;
    default:
      return false;
  }
}

}  // namespace tessel
