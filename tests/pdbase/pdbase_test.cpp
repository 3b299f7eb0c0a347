// The parameter database: record layout, the database table, the pre-processing
// formula, tag visibility and the hardware location key.
#include "pdbase/pdbase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace tessel {
namespace {

template <typename Record>
std::vector<std::uint8_t> Image(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

// Each field set to a marker through its name must land at its file offset.
TEST(PdbaseLayout, FieldsLieAtTheirFileOffsets) {
  struct Case {
    std::size_t offset;
    std::function<void(pdbaseheaderstruct&)> set;
  };
  const std::vector<Case> header_cases = {
      {8, [](pdbaseheaderstruct& h) { h.eDbaseType = 0xA5; }},
      {28, [](pdbaseheaderstruct& h) { h.CommonParamMsbFirst = 0xA5; }},
      {37 + 15 * 4, [](pdbaseheaderstruct& h) { h.ClientUserDefCodeWord[15] = 0xA5; }},
      {741, [](pdbaseheaderstruct& h) { h.Spare2[0] = static_cast<char>(0xA5); }},
      {1122, [](pdbaseheaderstruct& h) { h.FspLen = 0xA5; }},
      {1125 + 4 * 512, [](pdbaseheaderstruct& h) { h.cOriginatorText[4][0] = static_cast<char>(0xA5); }},
      {3750, [](pdbaseheaderstruct& h) { h.EmbVidUserDefHeight = 0xA5; }},
      {3816, [](pdbaseheaderstruct& h) { h.EmbPcm1FrameInterval = 0xA5; }},
      {3874, [](pdbaseheaderstruct& h) { h.EmbPcm2FrameInterval = 0xA5; }},
      {3884, [](pdbaseheaderstruct& h) { h.SfidMsb = 0xA5; }},
      {3885, [](pdbaseheaderstruct& h) { h.FramesPerInterrupt = 0xA5; }},
  };
  for (const Case& c : header_cases) {
    pdbaseheaderstruct header = ZeroHeader();
    c.set(header);
    const auto bytes = Image(header);
    ASSERT_EQ(bytes.size(), 3886u);
    EXPECT_EQ(bytes[c.offset], 0xA5) << "header offset " << c.offset;
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 3885) << "header offset " << c.offset;
  }

  const std::vector<std::pair<std::size_t, std::function<void(pdbaseparamstruct&)>>> param_cases = {
      {2, [](pdbaseparamstruct& p) { p.RtSlotIndex = 'A'; }},
      {37, [](pdbaseparamstruct& p) { p.ParameterName[0] = 'A'; }},
      {79, [](pdbaseparamstruct& p) { p.CvtLocation = 'A'; }},
      {139, [](pdbaseparamstruct& p) { p.WordNumBits = 'A'; }},
      {249 + 7 * 4, [](pdbaseparamstruct& p) { p.Hw[7] = 'A'; }},
      {409, [](pdbaseparamstruct& p) { p.AccessCode = 'A'; }},
      {448, [](pdbaseparamstruct& p) { p.StreamPart = 'A'; }},
      {564, [](pdbaseparamstruct& p) { p.PreprocessOps.NumOps = 'A'; }},
      {568 + 31 * 4, [](pdbaseparamstruct& p) { p.PreprocessOps.Op[31] = 'A'; }},
      {696 + 31 * 2, [](pdbaseparamstruct& p) { p.PreprocessOps.Operand[31] = 'A'; }},
      {760 + 7 * 4, [](pdbaseparamstruct& p) { p.RtReserved[7] = 'A'; }},
  };
  for (const auto& [offset, set] : param_cases) {
    pdbaseparamstruct param = ZeroParam();
    set(param);
    const auto bytes = Image(param);
    ASSERT_EQ(bytes.size(), 792u);
    EXPECT_EQ(bytes[offset], 'A') << "record offset " << offset;
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 791) << "record offset " << offset;
  }
}

TEST(PdbaseLayout, DoublesAreLittleEndianImages) {
  pdbaseparamstruct param = ZeroParam();
  param.Euc = 1.0;  // 3FF0000000000000
  const auto bytes = Image(param);
  EXPECT_EQ(bytes[233 + 7], 0x3F);
  EXPECT_EQ(bytes[233 + 6], 0xF0);
}

TEST(RecordText, NeverRunsPastTheArrayAndZeroFillsOnWrite) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  EXPECT_EQ(RecordText(field), "xxxxxxxx");  // no terminator: stops at the array's end
  SetRecordText(field, "LONGER THAN SEVEN");
  EXPECT_EQ(RecordText(field), "LONGER ");
  SetRecordText(field, "AB");
  EXPECT_EQ(RecordText(field), "AB");
  for (std::size_t i = 2; i < sizeof field; ++i) EXPECT_EQ(field[i], '\0') << i;

  std::memcpy(field, "ABC\0tail", 8);
  NormalizeRecordText(field);
  EXPECT_EQ(std::string(field, 8), std::string("ABC\0\0\0\0\0", 8));
  std::memset(field, 'y', sizeof field);
  NormalizeRecordText(field);
  EXPECT_EQ(RecordText(field), "yyyyyyy");
}

TEST(Pdbaseclass, StartsEmptyAndClearsEverything) {
  pdbaseclass database(3);
  EXPECT_EQ(database.slot_index(), 3u);
  EXPECT_EQ(database.NumParams(), 0);
  EXPECT_EQ(database.NumWords, 0);
  EXPECT_TRUE(database.name().empty());
  EXPECT_EQ(Image(database.header), std::vector<std::uint8_t>(3886, 0));
  EXPECT_EQ(DbaseTypeName(database.header.eDbaseType), "PCM");

  database.header.Bitrate = 5;
  database.NumWords = 2;
  ASSERT_TRUE(database.AddParam(ZeroParam()));
  ASSERT_TRUE(database.AddParam(ZeroParam()));
  EXPECT_EQ(database.NumParams(), 2);
  database.clear();
  EXPECT_EQ(database.NumParams(), 0);
  EXPECT_EQ(database.NumWords, 0);
  EXPECT_EQ(Image(database.header), std::vector<std::uint8_t>(3886, 0));
  EXPECT_EQ(database.slot_index(), 3u);
}

TEST(Pdbaseclass, HoldsAtMost65536Records) {
  pdbaseclass database(0);
  std::vector<pdbaseparamstruct> full(65536, ZeroParam());
  ASSERT_TRUE(database.ReplaceParams(full));
  EXPECT_EQ(database.NumParams(), 65536);
  EXPECT_FALSE(database.AddParam(ZeroParam()));
  EXPECT_EQ(database.NumParams(), 65536);

  full.push_back(ZeroParam());
  pdbaseclass other(1);
  ASSERT_TRUE(other.AddParam(ZeroParam()));
  EXPECT_FALSE(other.ReplaceParams(std::move(full)));
  EXPECT_EQ(other.NumParams(), 1);
}

struct FormulaCase {
  std::string formula;
  std::vector<std::pair<std::int32_t, std::uint16_t>> ops;
};

TEST(ParsePreprocessFormula, ParsesClampsAndSkips) {
  const std::vector<FormulaCase> cases = {
      {"", {}},
      {"XOR 0x00FF; SHL 3;INVERT", {{kOpXor, 255}, {kOpShl, 3}, {kOpInvert, 0}}},
      {"ROR 4", {{kOpRor, 4}}},
      {"ROR 40", {{kOpRor, 16}}},
      {"MULT 0", {{kOpMult, 1}}},
      {"DIV 70000", {{kOpDiv, 65535}}},
      {"OR 7", {{kOpOr, 7}}},
      {"AND FF", {}},
      {"AND 0X1F", {}},
      {"AND 0x1F", {{kOpAnd, 31}}},
      {"SHR", {}},
      {"BYTESWAP", {{kOpByteSwap, 0}}},
      {"BYTESWAP 70000", {{kOpByteSwap, static_cast<std::uint16_t>(70000 & 0xFFFF)}}},
      {"ADD 1 2", {{kOpAdd, 12}}},  // blanks inside the operand are removed
      {"   SUB 5;bogus 1;NONE 3;xor 1", {{kOpSub, 5}}},
      {";;ADD 1;", {{kOpAdd, 1}}},
      {"ADD -1", {}},
  };
  for (const FormulaCase& c : cases) {
    const preprocessopsstruct ops = ParsePreprocessFormula(c.formula);
    ASSERT_EQ(ops.NumOps, static_cast<std::int32_t>(c.ops.size())) << c.formula;
    for (std::size_t i = 0; i < c.ops.size(); ++i) {
      EXPECT_EQ(ops.Op[i], c.ops[i].first) << c.formula << " op " << i;
      EXPECT_EQ(ops.Operand[i], c.ops[i].second) << c.formula << " op " << i;
    }
    for (std::size_t i = c.ops.size(); i < 32; ++i) {
      EXPECT_EQ(ops.Op[i], 0);
      EXPECT_EQ(ops.Operand[i], 0);
    }
  }
}

TEST(ParsePreprocessFormula, TakesOnlyTheFirst32Items) {
  std::string formula;
  for (int i = 1; i <= 40; ++i) formula += "ADD " + std::to_string(i) + ";";
  preprocessopsstruct ops = ParsePreprocessFormula(formula);
  ASSERT_EQ(ops.NumOps, 32);
  EXPECT_EQ(ops.Operand[0], 1);
  EXPECT_EQ(ops.Operand[31], 32);

  // A bad item counts as one of the 32 even though it yields nothing.
  formula = "bad;" + formula;
  ops = ParsePreprocessFormula(formula);
  ASSERT_EQ(ops.NumOps, 31);
  EXPECT_EQ(ops.Operand[30], 31);
}

TEST(SetTagVisibility, NeedsEveryAccessBitAndOneInCommon) {
  struct Case {
    std::int32_t access;
    std::uint32_t user;
    std::uint8_t visible;
  };
  const std::vector<Case> cases = {
      {5, 0, 0}, {5, 7, 1}, {5, 4, 0}, {15, 15, 1}, {0, 15, 0}, {31, 15, 1}, {1, 1, 1}, {2, 1, 0},
  };
  for (const Case& c : cases) {
    pdbaseparamstruct param = ZeroParam();
    param.AccessCode = c.access;
    param.RtVisible = 9;
    SetTagVisibility(param, c.user);
    EXPECT_EQ(param.RtVisible, c.visible) << c.access << " / " << c.user;
  }
}

pdbaseparamstruct WithHardware(std::array<std::int32_t, 8> hw) {
  pdbaseparamstruct param = ZeroParam();
  for (std::size_t i = 0; i < 8; ++i) param.Hw[i] = hw[i];
  return param;
}

TEST(HardwareLocationKey, CombinesTheHardwareFieldsByType) {
  EXPECT_EQ(HardwareLocationKey(kDbasePcm, WithHardware({2, 10})), 131082);
  EXPECT_LT(HardwareLocationKey(kDbasePcm, WithHardware({0, 65535})),
            HardwareLocationKey(kDbasePcm, WithHardware({1, 0})));
  EXPECT_EQ(HardwareLocationKey(kDbasePcm, WithHardware({0, 0, 0, 0, 0, 0, 0x1'0002, 3})),
            (std::int64_t{2} << 48) + (std::int64_t{3} << 32));
  // Frame 32768 overflows the 32-bit part, which is sign-extended.
  EXPECT_EQ(HardwareLocationKey(kDbasePcm, WithHardware({32768, 0})), -2147483648LL);
  // A spare field with its top bit set wraps rather than overflowing.
  EXPECT_EQ(HardwareLocationKey(kDbasePcm, WithHardware({0, 0, 0, 0, 0, 0, 0x8000, 0})),
            static_cast<std::int64_t>(0x8000'0000'0000'0000ULL));

  const auto ch8 = WithHardware({9, 9, 1, 2, 3, 4, 1, 5});
  const std::int64_t expected = (1 << 28) + (2 << 20) + (3 << 12) + 1 + (4 << 8) + (std::int64_t{5} << 32);
  EXPECT_EQ(HardwareLocationKey(kDbaseChapter8, ch8), expected);
  EXPECT_EQ(HardwareLocationKey(kDbase1553, ch8), expected);
  EXPECT_EQ(HardwareLocationKey(kDbaseChapter8, WithHardware({0, 0, 8})), -2147483648LL);
  EXPECT_EQ(HardwareLocationKey(7, ch8), 0);
  EXPECT_EQ(HardwareLocationKey(kDbasePcm, WithHardware({-1, -1, -1, -1, -1, -1, -1, -1})),
            static_cast<std::int64_t>(static_cast<std::uint64_t>(-65537LL) + (0xFFFFULL << 32) +
                                      (0xFFFFULL << 48)));
}

TEST(PdbaseNames, SpellTheEnumerationsAsTheFileTablesDo) {
  EXPECT_EQ(DbaseTypeName(0), "PCM");
  EXPECT_EQ(DbaseTypeName(1), "CHAPTER 8");
  EXPECT_EQ(DbaseTypeName(2), "1553");
  EXPECT_EQ(DbaseTypeName(3), "");
  EXPECT_EQ(kClassificationNames[12], "USER DEF 6");
  EXPECT_EQ(kDataFormatNames[11], "MULTI WORD DOUBLE");
  EXPECT_EQ(kSupercomModeNames[4], "Average Value");
  EXPECT_EQ(ModeFunctionNames()[0], "Equals");
  EXPECT_EQ(ModeFunctionNames()[9], "Equals - Set INVALID");
  EXPECT_EQ(ModeFunctionNames()[26], "Does Not Equal - Set STALE");
}

}  // namespace
}  // namespace tessel
