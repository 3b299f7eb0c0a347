// Number and text formatting, parsing and small integer helpers.
//
// Decimal texts are made and read with std::to_chars / std::from_chars rather than
// printf / strtod: those follow the C locale of the process, and a front end that
// switches to the user's locale (Qt does on Unix) would otherwise write "1,5" into
// files that must hold "1.5".
#include "support/format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace tessel {

namespace {

constexpr double kSecondsPerDay = 86'400.0;
constexpr int kMaxFixedDecimals = 18;
// Largest precision CompactFixedText hands to the conversion; keeps the buffer bounded.
constexpr int kMaxCompactDecimals = 100;
// Room for a double in fixed notation (309 integer digits) with kMaxCompactDecimals.
constexpr std::size_t kNumberBufferSize = 512;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

std::size_t NonNegative(int count) {
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

// Fixed-point text of `value` with `decimals` decimals; empty when it does not fit.
std::string ToFixed(double value, int decimals) {
  std::array<char, kNumberBufferSize> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, decimals);
  if (result.ec != std::errc{}) return {};
  return std::string(buffer.data(), result.ptr);
}

// Drops the sign of a text whose digits are all zero ("-0.00" -> "0.00").
void DropSignOfZero(std::string& text) {
  if (text.empty() || text.front() != '-') return;
  if (text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
}

// Digits of `value` in `base`, most significant first, without leading zeros ("0" for 0).
std::string Digits(std::uint32_t value, std::uint32_t base) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % base]);
    value /= base;
  } while (value != 0);
  return text;
}

// Exactly `width` digits: padded on the left with '0', or cut keeping the first digits.
std::string DigitsToWidth(std::string digits, int width) {
  const std::size_t n = NonNegative(width);
  if (digits.size() > n) digits.resize(n);
  if (digits.size() < n) digits.insert(0, n - digits.size(), '0');
  return digits;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads digits of `base` from `pos`, saturating at `limit`. Returns the end position.
std::size_t ReadDigits(std::string_view text, std::size_t pos, int base, std::uint64_t limit,
                       std::uint64_t& value) {
  value = 0;
  const auto b = static_cast<std::uint64_t>(base);
  for (; pos < text.size(); ++pos) {
    const int digit = DigitValue(text[pos]);
    if (digit >= base) break;
    const auto d = static_cast<std::uint64_t>(digit);
    value = value > (limit - d) / b ? limit : value * b + d;
  }
  return pos;
}

// Reads an optionally signed decimal integer saturated to [-negative_limit, positive_limit].
// `consumed` says whether the whole text was read.
std::int64_t ReadSignedDecimal(std::string_view text, std::uint64_t positive_limit,
                               std::uint64_t negative_limit, bool& consumed) {
  std::size_t pos = SkipBlanks(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::uint64_t magnitude = 0;
  const std::size_t end =
      ReadDigits(text, pos, 10, negative ? negative_limit : positive_limit, magnitude);
  if (end == pos) {
    consumed = text.empty();
    return 0;
  }
  consumed = end == text.size();
  // magnitude <= 2^63 here, so the negation is done in unsigned arithmetic.
  return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

// For a decimal text that std::from_chars found out of range: true when it is too
// large (decimal exponent of its leading digit >= 0), false when too small.
bool IsTooLarge(std::string_view number) {
  std::int64_t exponent = 0;
  bool leading_found = false;
  std::size_t i = 0;
  for (; i < number.size() && DigitValue(number[i]) < 10; ++i) {
    if (leading_found) {
      ++exponent;
    } else if (number[i] != '0') {
      leading_found = true;
    }
  }
  if (i < number.size() && number[i] == '.') {
    for (++i; i < number.size() && DigitValue(number[i]) < 10; ++i) {
      if (leading_found) continue;
      --exponent;
      if (number[i] != '0') leading_found = true;
    }
  }
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    bool consumed = false;
    exponent += ReadSignedDecimal(number.substr(i + 1), 1'000'000, 1'000'000, consumed);
  }
  return exponent >= 0;
}

// The text padded on the left with '0' to `length` characters or cut to its first `length`.
std::string PadOrCut(std::string_view text, std::size_t length) {
  if (text.size() >= length) return std::string(text.substr(0, length));
  std::string padded(length - text.size(), '0');
  padded += text;
  return padded;
}

// Rounds a clamped double as `round` says and keeps the low 32 bits of the integer.
template <typename Round>
int LowBitsOf(double value, Round round) {
  if (std::isnan(value)) return 0;
  const double limited = std::clamp(value, -2'147'483'647.0, 4'294'967'295.0);
  const auto whole = static_cast<std::int64_t>(round(limited));
  return static_cast<int>(static_cast<std::uint32_t>(whole));
}

}  // namespace

// --- Time of year ---

bool SplitTimeOfYear(double t, int& day, int& hours, int& minutes, double& seconds) {
  day = hours = minutes = 0;
  seconds = 0.0;
  if (!std::isfinite(t) || t > kMaxTimeOfYear || t < 0.0) return false;

  // Each quotient is floored and checked against its remainder, so a quotient that
  // rounds up to a whole unit cannot leave a negative rest.
  double d = std::floor(t / kSecondsPerDay);
  double r = t - d * kSecondsPerDay;
  if (r < 0.0) {
    d -= 1.0;
    r += kSecondsPerDay;
  }
  double h = std::floor(r / 3'600.0);
  r -= h * 3'600.0;
  if (r < 0.0) {
    h -= 1.0;
    r += 3'600.0;
  }
  double m = std::floor(r / 60.0);
  double s = r - m * 60.0;
  if (s < 0.0) {
    m -= 1.0;
    s += 60.0;
  }
  day = static_cast<int>(d);
  hours = static_cast<int>(h);
  minutes = static_cast<int>(m);
  seconds = s;

  // Floating-point error can still leave a full unit in a remainder.
  if (seconds >= 60.0) {
    seconds = 0.0;
    ++minutes;
  }
  if (minutes > 59) {
    minutes = 0;
    ++hours;
  }
  if (hours > 23) {
    hours = 0;
    ++day;
  }
  return true;
}

std::string TimeOfYearText(double t) {
  int day = 0;
  int hours = 0;
  int minutes = 0;
  double seconds = 0.0;
  if (!SplitTimeOfYear(t, day, hours, minutes, seconds)) return "XXX:XX:XX:XX.XXXXXX";

  // Six decimals would print 59.9999996 as 60.000000: carry it instead.
  if (seconds >= 59.999999) {
    seconds = 0.0;
    ++minutes;
    if (minutes >= 60) {
      minutes = 0;
      ++hours;
      if (hours >= 24) {
        hours = 0;
        ++day;
      }
    }
  }
  std::array<char, 32> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%03d:%02d:%02d:", day, hours, minutes);
  return buffer.data() + PadOrCut(ToFixed(seconds, 6), 9);
}

// --- Numbers to text ---

std::string FixedText(int max_length, int decimals, double value) {
  const int places = std::clamp(decimals, 0, kMaxFixedDecimals);
  std::string text;
  if (!std::isfinite(value)) {
    text = "Nan";
  } else {
    if (std::fabs(value) < 1e18) text = ToFixed(value, places);
    const std::size_t point = std::min(text.find('.'), text.size());
    const std::size_t integer_digits = point - (value < 0.0 ? 1 : 0);
    if (text.empty() || integer_digits > 18) {
      // Beyond 18 integer digits: exponent form with 18 significant digits.
      std::array<char, 64> buffer{};
      const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                        std::chars_format::scientific, 17);
      text = result.ec == std::errc{} ? std::string(buffer.data(), result.ptr) : "Nan";
      std::replace(text.begin(), text.end(), 'e', 'E');
    }
    DropSignOfZero(text);
  }
  if (text.size() > NonNegative(max_length)) text.resize(NonNegative(max_length));
  return text;
}

std::string CompactFixedText(double value, int width, int decimals) {
  // The field width only adds blanks, which are removed again, so it is not applied.
  (void)width;
  // A negative precision means the conversion's default of 6, as in printf.
  const int places = decimals < 0 ? 6 : std::min(decimals, kMaxCompactDecimals);
  std::string text = ToFixed(value, places);
  if (text.empty()) return "INVALID";
  return text;
}

std::string HexText(std::uint32_t value, int width, bool prefix) {
  std::string text = DigitsToWidth(Digits(value, 16), width);
  return prefix ? "0x" + text : text;
}

std::string OctalText(std::uint32_t value, int width, bool prefix) {
  std::string text = DigitsToWidth(Digits(value, 8), width);
  return prefix ? "o" + text : text;
}

std::string BinaryText(std::uint32_t value, int width) {
  const std::size_t n = NonNegative(width);
  if (n == 0) return {};
  // A value wider than the field keeps its most significant bits.
  const int excess = BitWidth(value) - width;
  if (excess > 0) value >>= excess;
  std::string text(n, '0');
  for (std::size_t i = 0; i < n && i < 32; ++i) {
    if (value & (1u << i)) text[n - 1 - i] = '1';
  }
  return text;
}

std::string YesNoText(bool value) {
  return value ? "YES" : "NO";
}

// --- Text to numbers ---

bool ParseDouble(std::string_view text, double& value) {
  value = 0.0;
  if (text.empty()) return true;
  std::size_t pos = SkipBlanks(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // A second sign is not part of a number.
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return false;
  const char* first = text.data() + pos;
  const char* last = text.data() + text.size();
  double magnitude = 0.0;
  const auto result = std::from_chars(first, last, magnitude, std::chars_format::general);
  if (result.ptr == first) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // Out-of-range numbers are kept: infinity when too large, zero when too small.
    const std::string_view number(first, static_cast<std::size_t>(result.ptr - first));
    magnitude = IsTooLarge(number) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc{}) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return result.ptr == last;
}

bool ParseInt(std::string_view text, int& value) {
  bool consumed = false;
  value = static_cast<int>(
      ReadSignedDecimal(text, static_cast<std::uint64_t>(std::numeric_limits<int>::max()),
                        static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + 1, consumed));
  return consumed;
}

bool ParseUnsigned(std::string_view text, std::uint32_t& value, int base) {
  value = 0;
  if (base != 2 && base != 8 && base != 10 && base != 16) return false;
  if (text.empty()) return true;
  std::size_t pos = SkipBlanks(text, 0);
  // A '-' is refused rather than wrapped around to a huge value.
  if (pos < text.size() && text[pos] == '+') ++pos;
  if (base == 16 && pos + 2 < text.size() && text[pos] == '0' &&
      (text[pos + 1] == 'x' || text[pos + 1] == 'X') && DigitValue(text[pos + 2]) < 16) {
    pos += 2;
  }
  std::uint64_t read = 0;
  const std::size_t end =
      ReadDigits(text, pos, base, std::numeric_limits<std::uint32_t>::max(), read);
  value = static_cast<std::uint32_t>(read);
  return end != pos && end == text.size();
}

std::uint32_t ParseHex(std::string_view text) {
  std::uint32_t value = 0;
  ParseUnsigned(text, value, 16);
  return value;
}

bool ParseUnsigned64(std::string_view text, std::uint64_t& value, int base) {
  value = 0;
  if (base == 10) {
    bool consumed = false;
    const std::int64_t read = ReadSignedDecimal(
        text, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()),
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1, consumed);
    value = static_cast<std::uint64_t>(read);
    return consumed;
  }
  // Other bases: two halves, each the text of one 32-bit half.
  std::size_t half = 0;
  if (base == 16) {
    half = 8;
  } else if (base == 2) {
    half = 32;
  } else if (base == 8) {
    half = 11;
  } else {
    return false;
  }
  const std::string digits = PadOrCut(text, 2 * half);
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  const bool high_ok = ParseUnsigned(std::string_view(digits).substr(0, half), high, base);
  const bool low_ok = ParseUnsigned(std::string_view(digits).substr(half), low, base);
  value = (static_cast<std::uint64_t>(high) << 32) | low;
  return high_ok && low_ok;
}

// --- Text helpers ---

std::string PadLeft(int width, char fill, std::string_view text) {
  const std::size_t n = NonNegative(width);
  if (text.size() >= n) return std::string(text.substr(0, n));
  std::string padded(n - text.size(), fill);
  padded += text;
  return padded;
}

std::string PadRight(int width, char fill, std::string_view text) {
  std::string padded(text);
  PadRightInPlace(width, fill, padded);
  return padded;
}

void PadRightInPlace(int width, char fill, std::string& text) {
  text.resize(NonNegative(width), fill);
}

std::string RepeatChar(int count, char c) {
  return std::string(NonNegative(count), c);
}

std::string RemoveChar(char c, std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char ch : text) {
    if (ch != c) result += ch;
  }
  return result;
}

std::string StripLeading(char c, std::string_view text) {
  const std::size_t first = text.find_first_not_of(c);
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

// An empty part never occurs, so these give "", "" and -1 for it.
std::string TextBefore(std::string_view text, std::string_view part) {
  const std::size_t at = part.empty() ? std::string_view::npos : text.find(part);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(0, at));
}

std::string TextAfter(std::string_view text, std::string_view part) {
  const std::size_t at = part.empty() ? std::string_view::npos : text.find(part);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at + part.size()));
}

int FindFrom(std::string_view text, std::string_view part, int start) {
  if (part.empty()) return -1;
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  const std::size_t at = text.find(part, from);
  if (at == std::string_view::npos ||
      at >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return -1;
  }
  return static_cast<int>(at) + 1;
}

// --- Integer and bit helpers ---

int FloorToInt(double value) {
  return LowBitsOf(value, [](double v) { return std::floor(v); });
}

int CeilToInt(double value) {
  return LowBitsOf(value, [](double v) { return std::ceil(v); });
}

int RoundToInt(double value) {
  // An exact half goes down: only a fraction above one half rounds up.
  return LowBitsOf(value, [](double v) {
    const double down = std::floor(v);
    return v - down > 0.5 ? down + 1.0 : down;
  });
}

bool TestBit(std::uint32_t value, int bit) {
  return ((value >> (static_cast<unsigned>(bit) & 31u)) & 1u) != 0;
}

std::uint32_t SetBit(std::uint32_t value, int bit) {
  return value | (1u << (static_cast<unsigned>(bit) & 31u));
}

double Clamp(double bound1, double bound2, double value) {
  const double low = std::min(bound1, bound2);
  const double high = std::max(bound1, bound2);
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

bool InRange(double value, double bound1, double bound2) {
  return std::min(bound1, bound2) <= value && value <= std::max(bound1, bound2);
}

std::uint16_t SwapBytes16(std::uint16_t value) {
  return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

int BitWidth(std::uint32_t value) {
  return static_cast<int>(std::bit_width(value));
}

// --- Number lines ---

std::string NumberLineText(std::int32_t value) {
  return CompactFixedText(value, 12, 0);
}
std::string NumberLineText(bool value) {
  return value ? "1" : "0";
}
std::string NumberLineText(std::uint32_t value) {
  return CompactFixedText(value, 12, 0);
}
std::string NumberLineText(std::uint16_t value) {
  return CompactFixedText(value, 5, 0);
}
std::string NumberLineText(std::uint8_t value) {
  return CompactFixedText(value, 3, 0);
}
std::string NumberLineText(double value) {
  return CompactFixedText(value, 32, 21);
}

}  // namespace tessel
