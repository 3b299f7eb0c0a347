#include "setup/pattern_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessel {
namespace {

struct Parsed {
  bool ok = false;
  std::string cleaned;
  PatternDontCareMask mask{};
  std::uint64_t value = 0;
};

Parsed Parse(std::int32_t radix, std::string_view text) {
  Parsed p;
  p.ok = ParsePatternText(radix, text, p.cleaned, p.mask, p.value);
  return p;
}

std::vector<int> MaskedBits(const PatternDontCareMask& mask) {
  std::vector<int> bits;
  for (int i = 0; i < 64; ++i) {
    if (mask[static_cast<std::size_t>(i)]) bits.push_back(i);
  }
  return bits;
}

TEST(PatternText, NormaliseDropsBlanksPrefixesAndCase) {
  struct Case {
    std::string_view text;
    std::int32_t radix;
    std::string_view expected;
  };
  const std::vector<Case> cases = {
      {"0x fe6b2840", kRadixHex, "FE6B2840"},
      {"0Xfe6b", kRadixHex, "FE6B"},
      {"FE 6B\t28 40", kRadixHex, "FE6B2840"},
      {"$fe", kRadixHex, "FE"},
      {"o777", kRadixOctal, "777"},
      {"O12", kRadixOctal, "12"},
      {"0x", kRadixHex, "0X"},  // nothing follows the marker: kept
      {"$", kRadixHex, "$"},
      {"", kRadixHex, ""},
      // "0X" inside a text is a zero digit and a don't-care digit, never a prefix.
      {"F0XE", kRadixHex, "F0XE"},
      {"1110X1", kRadixBinary, "1110X1"},
      {"0X10", kRadixBinary, "0X10"},
      {"0x10", kRadixOctal, "0X10"},
      {"0X10", kRadixHex, "10"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalisePatternText(c.text, c.radix), c.expected) << c.text;
  }
  EXPECT_EQ(NormalisePatternText("0xab"), "AB");
}

TEST(PatternText, HexWithDontCareDigit) {
  const Parsed p = Parse(kRadixHex, "FE6B28X0");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.value, 0xFE6B2800u);
  EXPECT_EQ(MaskedBits(p.mask), (std::vector<int>{56, 57, 58, 59}));
  EXPECT_EQ(p.cleaned, std::string(32, '0') + "11111110011010110010100000000000");
}

TEST(PatternText, BinaryAndOctalDontCareBits) {
  Parsed p = Parse(kRadixBinary, "1X01");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.value, 9u);
  EXPECT_EQ(MaskedBits(p.mask), std::vector<int>{61});

  p = Parse(kRadixOctal, "7X");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.value, 070u);
  EXPECT_EQ(MaskedBits(p.mask), (std::vector<int>{61, 62, 63}));

  // The top octal digit of each 32-bit half carries two bits.
  p = Parse(kRadixOctal, "X0000000000X0000000000");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(MaskedBits(p.mask), (std::vector<int>{0, 1, 32, 33}));
}

TEST(PatternText, InvalidDigitsFail) {
  struct Case {
    std::int32_t radix;
    std::string_view text;
  };
  for (const Case& c : std::vector<Case>{{kRadixHex, "FG"},
                                         {kRadixBinary, "102"},
                                         {kRadixOctal, "8"},
                                         {kRadixHex, "-1"},
                                         {kRadixBinary, "1.0"}}) {
    EXPECT_FALSE(Parse(c.radix, c.text).ok) << c.text;
  }
  const Parsed unknown = Parse(7, "101");
  EXPECT_FALSE(unknown.ok);
  EXPECT_EQ(unknown.value, 0u);
  std::string text;
  EXPECT_FALSE(PatternToHexText("12Z4", kRadixHex, text));
  EXPECT_EQ(text.size(), 16u);
}

TEST(PatternText, LongTextsAreCutToTheirFirstDigits) {
  const Parsed p = Parse(kRadixBinary, "1" + std::string(63, '0') + "111");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.value, 0x8000000000000000u);
  EXPECT_EQ(Parse(kRadixHex, "123456789ABCDEF0FF").value, 0x123456789ABCDEF0u);
}

TEST(PatternText, RenderingsMarkDontCareDigits) {
  std::string hex;
  std::string binary;
  std::string octal;
  EXPECT_TRUE(PatternToHexText("FE6B28X0", kRadixHex, hex));
  EXPECT_TRUE(PatternToBinaryText("FE6B28X0", kRadixHex, binary));
  EXPECT_TRUE(PatternToOctalText("FE6B28X0", kRadixHex, octal));
  EXPECT_EQ(hex, "00000000FE6B28X0");
  EXPECT_EQ(binary, std::string(32, '0') + "111111100110101100101000XXXX0000");
  // FE6B2800 is 37632624000 octal; bits 56..59 touch the second and third last digits.
  EXPECT_EQ(octal,
            "00000000000"
            "37632624XX0");

  // A binary don't-care bit spreads over its whole hex or octal digit.
  EXPECT_TRUE(PatternToHexText("1X0000", kRadixBinary, hex));
  EXPECT_EQ(hex, "00000000000000X0");
  EXPECT_TRUE(PatternToOctalText("1X0000", kRadixBinary, octal));
  EXPECT_EQ(octal, std::string(20, '0') + "X0");
  EXPECT_EQ(octal.size(), 22u);

  EXPECT_TRUE(PatternToOctalText("FFFFFFFFFFFFFFFF", kRadixHex, octal));
  EXPECT_EQ(octal, "3777777777737777777777");
}

TEST(PatternText, RenderingsReadBackInTheirRadix) {
  const std::vector<std::pair<std::int32_t, std::string>> patterns = {
      {kRadixHex, "FE6B2840"},
      {kRadixHex, "FFFFFFFFFFFFFFFF"},
      {kRadixHex, "8000000000000001"},
      {kRadixHex, "X1234567890ABCDX"},
      {kRadixBinary, "1X0X1111000010101010XXXX"},
      {kRadixOctal, "37632624100"},
  };
  for (const auto& [radix, text] : patterns) {
    SCOPED_TRACE(text);
    const Parsed original = Parse(radix, text);
    ASSERT_TRUE(original.ok);
    std::string rendered;
    ASSERT_TRUE(PatternToBinaryText(text, radix, rendered));
    Parsed back = Parse(kRadixBinary, rendered);
    EXPECT_TRUE(back.ok);
    EXPECT_EQ(back.value, original.value);
    EXPECT_EQ(back.mask, original.mask);

    // Octal and hex digits widen a don't-care bit to their digit: compare values and
    // check every original don't-care bit stays one.
    for (std::int32_t other : {kRadixHex, kRadixOctal}) {
      if (other == kRadixHex) {
        ASSERT_TRUE(PatternToHexText(text, radix, rendered));
      } else {
        ASSERT_TRUE(PatternToOctalText(text, radix, rendered));
      }
      back = Parse(other, rendered);
      EXPECT_TRUE(back.ok) << rendered;
      std::uint64_t cared = 0;
      for (int i = 0; i < 64; ++i) {
        if (back.mask[static_cast<std::size_t>(i)]) continue;
        cared |= std::uint64_t{1} << (63 - i);
        EXPECT_FALSE(original.mask[static_cast<std::size_t>(i)]) << rendered << " bit " << i;
      }
      EXPECT_EQ(back.value & cared, original.value & cared) << rendered;
    }
  }
}

TEST(PatternText, StandardPatterns) {
  std::string text = "unchanged";
  EXPECT_TRUE(StandardSyncPattern(16, kRadixHex, text));
  EXPECT_EQ(text, "EB90");
  EXPECT_TRUE(StandardSyncPattern(7, kRadixBinary, text));
  EXPECT_EQ(text, "1011000");
  EXPECT_TRUE(StandardSyncPattern(16, kRadixOctal, text));
  EXPECT_EQ(text, "165620");
  EXPECT_TRUE(StandardSyncPattern(32, kRadixHex, text));
  EXPECT_EQ(text, "FE6B2840");

  text = "unchanged";
  EXPECT_FALSE(StandardSyncPattern(33, kRadixHex, text));
  EXPECT_FALSE(StandardSyncPattern(6, kRadixBinary, text));
  EXPECT_FALSE(StandardSyncPattern(16, 3, text));
  EXPECT_EQ(text, "unchanged");

  // Each length gives the same value in every radix, with exactly `bits` binary digits
  // whose first is 1.
  for (int bits = 7; bits <= 32; ++bits) {
    SCOPED_TRACE(bits);
    std::string hex;
    std::string binary;
    std::string octal;
    ASSERT_TRUE(StandardSyncPattern(bits, kRadixHex, hex));
    ASSERT_TRUE(StandardSyncPattern(bits, kRadixBinary, binary));
    ASSERT_TRUE(StandardSyncPattern(bits, kRadixOctal, octal));
    EXPECT_EQ(binary.size(), static_cast<std::size_t>(bits));
    EXPECT_EQ(binary[0], '1');
    const std::uint64_t value = Parse(kRadixHex, hex).value;
    EXPECT_EQ(Parse(kRadixBinary, binary).value, value);
    EXPECT_EQ(Parse(kRadixOctal, octal).value, value);
  }
}

}  // namespace
}  // namespace tessel
