#include "support/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace tessel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// --- Time of year ---

struct SplitCase {
  double t;
  bool ok;
  int day, hours, minutes;
  double seconds;
};

TEST(SplitTimeOfYear, SplitsValidValuesAndZeroesInvalidOnes) {
  const std::vector<SplitCase> cases = {
      {0.0, true, 0, 0, 0, 0.0},
      {86'400.0, true, 1, 0, 0, 0.0},
      {86'400.0 * 200 + 13 * 3'600 + 7 * 60 + 42.25, true, 200, 13, 7, 42.25},
      {kMaxTimeOfYear, true, 367, 0, 0, 0.0},
      {kMaxTimeOfYear - 0.5, true, 366, 23, 59, 59.5},
      {kMaxTimeOfYear + 0.5, false, 0, 0, 0, 0.0},
      {-1.0, false, 0, 0, 0, 0.0},
      {kNan, false, 0, 0, 0, 0.0},
      {kInf, false, 0, 0, 0, 0.0},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.t);
    int day = -9;
    int hours = -9;
    int minutes = -9;
    double seconds = -9.0;
    EXPECT_EQ(SplitTimeOfYear(c.t, day, hours, minutes, seconds), c.ok);
    EXPECT_EQ(day, c.day);
    EXPECT_EQ(hours, c.hours);
    EXPECT_EQ(minutes, c.minutes);
    EXPECT_DOUBLE_EQ(seconds, c.seconds);
  }
}

TEST(SplitTimeOfYear, NeverGivesANegativeOrFullUnitJustBelowADayBoundary) {
  // The largest double below each day boundary must stay in the earlier day.
  for (int d = 1; d <= 367; ++d) {
    const double t = std::nextafter(d * 86'400.0, 0.0);
    int day = 0;
    int hours = 0;
    int minutes = 0;
    double seconds = 0.0;
    ASSERT_TRUE(SplitTimeOfYear(t, day, hours, minutes, seconds));
    EXPECT_GE(seconds, 0.0);
    EXPECT_LT(seconds, 60.0);
    EXPECT_LE(hours, 23);
    EXPECT_LE(minutes, 59);
    EXPECT_NEAR(day * 86'400.0 + hours * 3'600.0 + minutes * 60.0 + seconds, t, 1e-6);
  }
}

TEST(TimeOfYearText, FormatsWithTheSubMicrosecondCarry) {
  const std::vector<std::pair<double, std::string>> cases = {
      {0.0, "000:00:00:00.000000"},
      {86'400.0, "001:00:00:00.000000"},
      {86'400.0 * 45 + 3 * 3'600 + 4 * 60 + 5.5, "045:03:04:05.500000"},
      {86'400.0 * 12 + 3'600.0 * 23 + 60 * 59 + 59.1234564, "012:23:59:59.123456"},
      {86'400.0 * 12 + 3'600.0 * 10 + 60 * 14 + 59.9999996, "012:10:15:00.000000"},
      {86'400.0 * 12 + 3'600.0 * 10 + 60 * 59 + 59.9999996, "012:11:00:00.000000"},
      {86'400.0 * 366 + 86'399.9999996, "367:00:00:00.000000"},
      {kMaxTimeOfYear, "367:00:00:00.000000"},
      {-5.0, "XXX:XX:XX:XX.XXXXXX"},
      {kMaxTimeOfYear + 1.0, "XXX:XX:XX:XX.XXXXXX"},
      {kNan, "XXX:XX:XX:XX.XXXXXX"},
  };
  for (const auto& [t, text] : cases) {
    SCOPED_TRACE(t);
    EXPECT_EQ(TimeOfYearText(t), text);
  }
}

// --- Numbers to text ---

struct FixedCase {
  int max_length;
  int decimals;
  double value;
  std::string text;
};

TEST(FixedText, RoundsToTheDecimalsThenCutsWithoutPadding) {
  const std::vector<FixedCase> cases = {
      {2, 0, 123.0, "12"},
      {9, 3, 2.5, "2.500"},
      {3, 2, 1.0, "1.0"},
      {12, 0, 1'048'576.0, "1048576"},
      {15, 6, 0.25, "0.250000"},
      {15, 6, -12.5, "-12.500000"},
      {6, 2, 0.125 + 1e-9, "0.13"},
      {6, 2, 59.999, "60.00"},
      {12, 0, -7.0, "-7"},
      {12, 2, -0.001, "0.00"},  // rounds to zero: no sign
      {12, 0, -0.0, "0"},
      {0, 3, 1.0, ""},
      {-4, 3, 1.0, ""},
      {30, 25, 1.0, "1.000000000000000000"},  // at most 18 decimals
      {30, -2, 3.7, "4"},
      {30, 0, 123456789012345678.0, "123456789012345680"},
      {30, 0, 1e18, "1.00000000000000000E+18"},
      {30, 2, -2.5e20, "-2.50000000000000000E+20"},
      {30, 2, 1e300, "1.00000000000000005E+300"},
      {5, 2, kNan, "Nan"},
      {2, 2, kInf, "Na"},
  };
  for (const FixedCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FixedText(c.max_length, c.decimals, c.value), c.text);
  }
}

TEST(CompactFixedText, RemovesTheFieldBlanks) {
  EXPECT_EQ(CompactFixedText(1234, 12, 0), "1234");
  EXPECT_EQ(CompactFixedText(-25, 12, 0), "-25");
  EXPECT_EQ(CompactFixedText(0.5, 32, 21), "0.500000000000000000000");
  EXPECT_EQ(CompactFixedText(2.25, 5, 1), "2.2");  // exact half: the conversion decides
  EXPECT_EQ(CompactFixedText(1.0, 2'000'000'000, 1), "1.0");
  EXPECT_EQ(CompactFixedText(1.0, -40, 1), "1.0");
  EXPECT_EQ(CompactFixedText(1.5, 12, -1), "1.500000");
  EXPECT_EQ(CompactFixedText(1e300, 12, 0).size(), 301u);
  EXPECT_EQ(CompactFixedText(1.0, 12, 100'000).size(), 102u);
  EXPECT_EQ(CompactFixedText(kInf, 12, 0), "inf");
}

TEST(NumberLineText, UsesTheWidthsOfTheNumberLines) {
  EXPECT_EQ(NumberLineText(std::int32_t{-25}), "-25");
  EXPECT_EQ(NumberLineText(std::int32_t{-2147483647 - 1}), "-2147483648");
  EXPECT_EQ(NumberLineText(true), "1");
  EXPECT_EQ(NumberLineText(false), "0");
  EXPECT_EQ(NumberLineText(std::uint32_t{4294967295u}), "4294967295");
  EXPECT_EQ(NumberLineText(std::uint16_t{65535}), "65535");
  EXPECT_EQ(NumberLineText(std::uint8_t{255}), "255");
  EXPECT_EQ(NumberLineText(0.5), "0.500000000000000000000");
  EXPECT_EQ(NumberLineText(-1.25), "-1.250000000000000000000");
}

struct RadixCase {
  std::uint32_t value;
  int width;
  bool prefix;
  std::string hex;
  std::string octal;
};

TEST(HexAndOctalText, PadOrCutToExactlyTheWidth) {
  const std::vector<RadixCase> cases = {
      {0x1A2B, 2, true, "0x1A", "o15"},
      {0x1a, 4, false, "001A", "0032"},
      {8, 4, true, "0x0008", "o0010"},
      {0, 1, false, "0", "0"},
      {0xFFFFFFFF, 8, true, "0xFFFFFFFF", "o37777777"},
      {0xFFFFFFFF, 11, false, "000FFFFFFFF", "37777777777"},
      {0xDEAD, 0, true, "0x", "o"},
      {0xDEAD, -3, false, "", ""},
  };
  for (const RadixCase& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_EQ(HexText(c.value, c.width, c.prefix), c.hex);
    EXPECT_EQ(OctalText(c.value, c.width, c.prefix), c.octal);
  }
  EXPECT_EQ(HexText(0xABCDEF01, 32, true), "0x000000000000000000000000ABCDEF01");
}

TEST(BinaryText, GivesExactlyWidthDigitsMostSignificantFirst) {
  const std::vector<std::tuple<std::uint32_t, int, std::string>> cases = {
      {5, 3, "101"},
      {1, 3, "001"},
      {0x7F, 6, "111111"},
      {0x12, 6, "010010"},
      {0x100, 6, "100000"},  // too wide: its most significant bits
      {0, 4, "0000"},
      {0xFFFFFFFF, 1, "1"},
      {0x80000000, 32, "10000000000000000000000000000000"},
      {3, 34, "0000000000000000000000000000000011"},
      {7, 0, ""},
      {0xFFFFFFFF, -5, ""},
  };
  for (const auto& [value, width, text] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(BinaryText(value, width), text);
  }
}

TEST(YesNoText, NamesBothValues) {
  EXPECT_EQ(YesNoText(true), "YES");
  EXPECT_EQ(YesNoText(false), "NO");
}

// --- Text to numbers ---

TEST(ParseInt, ReadsSignedDecimalsAndSaysWhetherAllWasRead) {
  const std::vector<std::tuple<std::string, int, bool>> cases = {
      {"", 0, true},
      {"12", 12, true},
      {" 12", 12, true},
      {"\t-34", -34, true},
      {"+7", 7, true},
      {"12 ", 12, false},
      {"12abc", 12, false},
      {"abc", 0, false},
      {"-", 0, false},
      {"   ", 0, false},
      {"0x10", 0, false},
      {"2147483647", 2147483647, true},
      {"-2147483648", -2147483647 - 1, true},
      {"99999999999999999999", 2147483647, true},  // out of range: kept, limited
      {"-99999999999", -2147483647 - 1, true},
  };
  for (const auto& [text, expected, ok] : cases) {
    SCOPED_TRACE(text);
    int value = -1;
    EXPECT_EQ(ParseInt(text, value), ok);
    EXPECT_EQ(value, expected);
  }
}

TEST(ParseUnsigned, ReadsEachBase) {
  const std::vector<std::tuple<std::string, int, std::uint32_t, bool>> cases = {
      {"", 16, 0, true},
      {"ff", 16, 0xFF, true},
      {"0x1A2b", 16, 0x1A2B, true},
      {"0X10", 16, 0x10, true},
      {"0x", 16, 0, false},
      {"1A", 10, 1, false},
      {"4294967295", 10, 4294967295u, true},
      {"4294967296", 10, 4294967295u, true},  // out of range: kept, limited
      {"777", 8, 0777, true},
      {"78", 8, 7, false},
      {"1011", 2, 11, true},
      {"102", 2, 2, false},
      {" +12", 10, 12, true},
      {"-1", 10, 0, false},  // no wrap-around to a huge value
      {"12", 7, 0, false},
      {"12", 0, 0, false},
  };
  for (const auto& [text, base, expected, ok] : cases) {
    SCOPED_TRACE(text + " base " + std::to_string(base));
    std::uint32_t value = 99;
    EXPECT_EQ(ParseUnsigned(text, value, base), ok);
    EXPECT_EQ(value, expected);
  }
  EXPECT_EQ(ParseHex("1f"), 0x1Fu);
  EXPECT_EQ(ParseHex("12G4"), 0x12u);
}

TEST(ParseUnsigned64, SplitsNonDecimalTextsIntoHalves) {
  const std::vector<std::tuple<std::string, int, std::uint64_t, bool>> cases = {
      {"", 16, 0, true},
      {"FE6B2840", 16, 0xFE6B2840, true},
      {"1234567890ABCDEF", 16, 0x1234567890ABCDEF, true},
      {"1234567890ABCDEF99", 16, 0x1234567890ABCDEF, true},  // cut to 16 digits
      {"12345678G0ABCDEF", 16, 0x1234567800000000, false},
      {std::string(63, '0') + "1", 2, 1, true},
      {"1" + std::string(63, '0'), 2, 0x8000000000000000, true},
      {"101", 2, 5, true},
      {OctalText(0x89ABCDEF, 11, false) + OctalText(0x01234567, 11, false), 8, 0x89ABCDEF01234567,
       true},
      {"17", 8, 15, true},
      {"9", 8, 0, false},
      {"18446744073709551615", 10, 0x7FFFFFFFFFFFFFFF, true},  // signed conversion, limited
      {"-1", 10, 0xFFFFFFFFFFFFFFFF, true},
      {" 42", 10, 42, true},
      {"42x", 10, 42, false},
      {"12", 3, 0, false},
  };
  for (const auto& [text, base, expected, ok] : cases) {
    SCOPED_TRACE(text + " base " + std::to_string(base));
    std::uint64_t value = 99;
    EXPECT_EQ(ParseUnsigned64(text, value, base), ok);
    EXPECT_EQ(value, expected);
  }
}

TEST(ParseDouble, ReadsDecimalNumbers) {
  const std::vector<std::tuple<std::string, double, bool>> cases = {
      {"", 0.0, true},
      {"1.5", 1.5, true},
      {"  -2.25e2", -225.0, true},
      {"+0.125", 0.125, true},
      {".5", 0.5, true},
      {"1.5x", 1.5, false},
      {"1.5 ", 1.5, false},
      {"x", 0.0, false},
      {"--1", 0.0, false},
      {"1e400", kInf, true},  // out of range: kept
      {"-1e400", -kInf, true},
      {"1e-400", 0.0, true},
      {"0.00001e-330", 0.0, true},
      {"123456789e-700", 0.0, true},
      {"0.0001e320", kInf, true},
      {"0.0001e312", 1e308, true},
  };
  for (const auto& [text, expected, ok] : cases) {
    SCOPED_TRACE(text);
    double value = -1.0;
    EXPECT_EQ(ParseDouble(text, value), ok);
    EXPECT_EQ(value, expected);
  }
  double value = 0.0;
  EXPECT_TRUE(ParseDouble("nan", value));
  EXPECT_TRUE(std::isnan(value));
}

// A locale with a decimal comma must not change the texts written to files.
TEST(FormatLocale, DecimalPointStaysAPointUnderACommaLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma installed";
  }
  const std::string fixed = FixedText(9, 3, 2.5);
  const std::string compact = CompactFixedText(0.5, 32, 2);
  const std::string time = TimeOfYearText(86'400.5);
  double value = 0.0;
  const bool parsed = ParseDouble("1.5", value);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(fixed, "2.500");
  EXPECT_EQ(compact, "0.50");
  EXPECT_EQ(time, "001:00:00:00.500000");
  EXPECT_TRUE(parsed);
  EXPECT_EQ(value, 1.5);
}

// --- Text helpers ---

TEST(TextHelpers, PadCutAndRepeat) {
  EXPECT_EQ(PadLeft(5, '0', "12"), "00012");
  EXPECT_EQ(PadLeft(2, '0', "12345"), "12");
  EXPECT_EQ(PadLeft(-1, '0', "12"), "");
  EXPECT_EQ(PadRight(5, ' ', "ab"), "ab   ");
  EXPECT_EQ(PadRight(1, ' ', "ab"), "a");
  EXPECT_EQ(PadRight(0, ' ', "ab"), "");
  std::string text = "xy";
  PadRightInPlace(4, '.', text);
  EXPECT_EQ(text, "xy..");
  PadRightInPlace(1, '.', text);
  EXPECT_EQ(text, "x");
  EXPECT_EQ(RepeatChar(3, '='), "===");
  EXPECT_EQ(RepeatChar(-3, '='), "");
  EXPECT_EQ(RemoveChar(' ', " a b  c "), "abc");
  EXPECT_EQ(StripLeading('0', "000120"), "120");
  EXPECT_EQ(StripLeading('0', "000"), "");
  EXPECT_EQ(StripLeading('0', ""), "");
}

TEST(TextHelpers, FindAndSplitOnAPart) {
  EXPECT_EQ(TextBefore("KEY=VALUE=2", "="), "KEY");
  EXPECT_EQ(TextAfter("KEY=VALUE=2", "="), "VALUE=2");
  EXPECT_EQ(TextBefore("KEY", "="), "");
  EXPECT_EQ(TextAfter("KEY", "="), "");
  EXPECT_EQ(TextAfter("A::B", "::"), "B");
  EXPECT_EQ(TextBefore("KEY", ""), "");
  EXPECT_EQ(TextAfter("KEY", ""), "");

  const std::vector<std::tuple<std::string, std::string, int, int>> finds = {
      {"ABCABC", "C", 4, 6},        {"ABCABC", "C", 1, 3}, {"ABC", "D", 1, -1},
      {"ABCABC", "AB", 2, 4},       {"ABC", "C", 3, 3},    {"ABC", "C", 4, -1},
      {"ABC", "A", 0, 1},           {"ABC", "A", -7, 1},   {"ABC", "", 1, -1},
      {"ABC", "C", 2147483647, -1},
  };
  for (const auto& [haystack, part, start, position] : finds) {
    SCOPED_TRACE(haystack + " / " + part + " from " + std::to_string(start));
    EXPECT_EQ(FindFrom(haystack, part, start), position);
  }
}

// --- Integer and bit helpers ---

TEST(IntegerHelpers, FloorCeilAndRoundWithinTheLimits) {
  const std::vector<std::tuple<double, int, int, int>> cases = {
      // value, floor, ceiling, round
      {2.5, 2, 3, 2},
      {-2.5, -3, -2, -3},
      {0.5, 0, 1, 0},
      {1.5, 1, 2, 1},
      {-0.5, -1, 0, -1},
      {2.6, 2, 3, 3},
      {-2.6, -3, -2, -3},
      {7.0, 7, 7, 7},
      {-1e12, -2147483647, -2147483647, -2147483647},
      {3e9, -1294967296, -1294967296, -1294967296},  // low 32 bits of 3 000 000 000
      {1e300, -1, -1, -1},                           // limited to 4 294 967 295
      {kInf, -1, -1, -1},
      {-kInf, -2147483647, -2147483647, -2147483647},
      {kNan, 0, 0, 0},
  };
  for (const auto& [value, floor, ceiling, round] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(FloorToInt(value), floor);
    EXPECT_EQ(CeilToInt(value), ceiling);
    EXPECT_EQ(RoundToInt(value), round);
  }
}

TEST(IntegerHelpers, BitsTakeTheBitNumberModulo32) {
  EXPECT_TRUE(TestBit(0x8, 3));
  EXPECT_FALSE(TestBit(0x8, 2));
  EXPECT_TRUE(TestBit(0x8, 35));
  EXPECT_TRUE(TestBit(0x80000000, -1));
  EXPECT_EQ(SetBit(0, 31), 0x80000000u);
  EXPECT_EQ(SetBit(1, 33), 3u);
  EXPECT_EQ(SetBit(0, -32), 1u);
}

TEST(IntegerHelpers, ClampAndRangeTakeBoundsInEitherOrder) {
  EXPECT_EQ(Clamp(0.0, 10.0, 12.0), 10.0);
  EXPECT_EQ(Clamp(10.0, 0.0, 12.0), 10.0);
  EXPECT_EQ(Clamp(10.0, 0.0, -3.0), 0.0);
  EXPECT_EQ(Clamp(10.0, 0.0, 4.5), 4.5);
  EXPECT_TRUE(InRange(5.0, 10.0, 0.0));
  EXPECT_TRUE(InRange(0.0, 10.0, 0.0));
  EXPECT_TRUE(InRange(10.0, 0.0, 10.0));
  EXPECT_FALSE(InRange(10.5, 0.0, 10.0));
  EXPECT_FALSE(InRange(kNan, 0.0, 10.0));
}

TEST(IntegerHelpers, SwapBytesAndBitWidth) {
  EXPECT_EQ(SwapBytes16(0x1234), 0x3412);
  EXPECT_EQ(SwapBytes16(0x00FF), 0xFF00);
  const std::vector<std::pair<std::uint32_t, int>> widths = {
      {0, 0}, {1, 1}, {2, 2}, {3, 2}, {63, 6}, {64, 7}, {0xFFFFFFFF, 32}};
  for (const auto& [value, width] : widths) {
    EXPECT_EQ(BitWidth(value), width) << value;
  }
}

}  // namespace
}  // namespace tessel
