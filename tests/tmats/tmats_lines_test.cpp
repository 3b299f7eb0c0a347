#include "tmats/tmats_lines.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

struct LineCase {
  const char* line;
  const char* group;
  std::int32_t group_num;
  const char* result;
  std::int32_t dash_item;
  std::vector<std::string> levels;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.line;
}

class ParseTmatsLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseTmatsLineTest, FieldsAreSplitAsExpected) {
  const LineCase& c = GetParam();
  const tmatslinestruct record = ParseTmatsLine(c.line);
  EXPECT_EQ(record.Group, c.group);
  EXPECT_EQ(record.GroupNum, c.group_num);
  EXPECT_EQ(record.Result, c.result);
  EXPECT_EQ(record.DashItem, c.dash_item);
  ASSERT_EQ(record.NumLevels, static_cast<std::int32_t>(c.levels.size()));
  for (std::size_t i = 0; i < c.levels.size(); ++i) EXPECT_EQ(record.Level[i], c.levels[i]);
  for (std::size_t i = c.levels.size(); i < record.Level.size(); ++i) {
    EXPECT_TRUE(record.Level[i].empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseTmatsLineTest,
    ::testing::Values(
        LineCase{"R-1\\TK1-1:1;", "R", 1, "1", 1, {"TK1"}},
        LineCase{"P-3\\MF\\N:64;", "P", 3, "64", 0, {"MF", "N"}},
        LineCase{"R-2\\ID:SECOND;", "R", 2, "SECOND", 0, {"ID"}},
        LineCase{"R-0\\N:4;", "R", 1, "4", 0, {"N"}}, LineCase{"R--3\\N:4;", "R", 1, "4", 0, {"N"}},
        // No number between the first "-" and a following "\": no levels.
        LineCase{"G\\DSI-1:X;", "G", 1, "X", 0, {}},
        LineCase{"R-99999999999\\ID:X;", "R", 1, "X", 0, {}},
        LineCase{"R-1x\\ID:X;", "R", 1, "X", 0, {}},
        // Value not terminated, missing or empty: group "G" and nothing else.
        LineCase{"R-1\\TK1-1:1", "G", 1, "", 0, {}}, LineCase{"R-1\\TK1-1;", "G", 1, "", 0, {}},
        LineCase{"R-1\\TK1-1:;", "G", 1, "", 0, {}}, LineCase{"", "G", 1, "", 0, {}},
        // A carriage return after ";" is harmless.
        LineCase{"R-1\\CHE-2:T;\r", "R", 1, "T", 2, {"CHE"}},
        // Values keep blanks, dashes and colons.
        LineCase{"R-1\\CDLN-1:TIME-1 Channel;", "R", 1, "TIME-1 Channel", 1, {"CDLN"}},
        LineCase{"G\\COM:a:b;", "G", 1, "a:b", 0, {}},
        // A second dash in the name is not a whole number: dash item 0.
        LineCase{"R-1\\AMN-2-1:Voice;", "R", 1, "Voice", 0, {"AMN"}},
        LineCase{"R-1\\ACH\\N-2:1;", "R", 1, "1", 2, {"ACH", "N"}},
        LineCase{"R-1\\EV\\ID-1:Mark;", "R", 1, "Mark", 1, {"EV", "ID"}},
        LineCase{"M-1\\BB\\DLN:LINK;", "M", 1, "LINK", 0, {"BB", "DLN"}},
        LineCase{"P-12\\IDC10-1:INC;", "P", 12, "INC", 1, {"IDC10"}},
        // At most six levels; an empty level ends the name.
        LineCase{"R-1\\A\\B\\C\\D\\E\\F\\G:1;", "R", 1, "1", 0, {"A", "B", "C", "D", "E", "F"}},
        LineCase{"R-1\\\\X:1;", "R", 1, "1", 0, {""}}, LineCase{"R-1\\:1;", "R", 1, "1", 0, {""}},
        LineCase{
            "COMMENT: ---- Channel Summary ----;", "C", 1, " ---- Channel Summary ----", 0, {}}));

TEST(ParseTmatsLine, KeepsLongValuesWhole) {
  const std::string pattern(64, '1');
  const tmatslinestruct record = ParseTmatsLine("P-1\\MF5:" + pattern + ";");
  EXPECT_EQ(record.Result, pattern);
  const std::string name(200, 'N');
  const tmatslinestruct long_name = ParseTmatsLine("P-1\\" + name + ":1;");
  EXPECT_EQ(long_name.Level[0], name);
}

TEST(KeepTmatsLine, KeepsOnlyFirstRecorderAndUsedGroups) {
  const std::vector<std::pair<const char*, bool>> cases = {
      {"R-1\\ID:A;", true},  {"R-2\\ID:B;", false}, {"R-0\\N:4;", true},   {"G-2\\X:1;", false},
      {"G\\PN:X;", true},    {"P-3\\DLN:X;", true}, {"M-5\\ID:X;", true},  {"B-9\\DLN:X;", true},
      {"V-1\\ID:X;", false}, {"T-1\\ID:X;", false}, {"A-1\\ID:X;", false}, {"H-1\\ID:X;", false},
      {"COMMENT: x;", true}, {"no value", true}};
  for (const auto& [line, kept] : cases) {
    EXPECT_EQ(KeepTmatsLine(ParseTmatsLine(line)), kept) << line;
  }
}

TEST(SplitTmatsLines, CutsAtLineFeedsAndDropsUnterminatedLast) {
  TmatsSplitStats stats;
  const auto lines = SplitTmatsLines("A:1;\r\nB:2;\n\nC:3;", &stats);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "A:1;\r");
  EXPECT_EQ(lines[1], "B:2;");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(stats.long_lines_dropped, 0u);
  EXPECT_FALSE(stats.line_limit_reached);
  EXPECT_TRUE(SplitTmatsLines("").empty());
  EXPECT_TRUE(SplitTmatsLines("no line feed at all").empty());
}

TEST(SplitTmatsLines, DropsLinesOfThreeThousandCharactersWhole) {
  // The tail of the long line holds an attribute that must not be parsed.
  const std::string long_line = std::string(2990, 'x') + "R-1\\CHE-1:T;";
  const std::string just_fits(kTmatsMaxLineLength - 1, 'y');
  const std::string just_too_long(kTmatsMaxLineLength, 'z');
  TmatsSplitStats stats;
  const auto lines = SplitTmatsLines(
      "R-1\\N:1;\n" + long_line + "\n" + just_fits + "\n" + just_too_long + "\nB:2;\n", &stats);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "R-1\\N:1;");
  EXPECT_EQ(lines[1], just_fits);
  EXPECT_EQ(lines[2], "B:2;");
  EXPECT_EQ(stats.long_lines_dropped, 2u);
}

TEST(SplitTmatsLines, StopsAtTheLineLimit) {
  for (const std::size_t count : {std::size_t{40000}, std::size_t{65536}}) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += "P-1\\D2:" + std::to_string(i) + ";\n";
    TmatsSplitStats stats;
    const auto lines = SplitTmatsLines(text, &stats);
    ASSERT_EQ(lines.size(), kTmatsMaxLines) << count;
    EXPECT_EQ(lines.back(), "P-1\\D2:32767;");
    EXPECT_TRUE(stats.line_limit_reached);
  }
  std::string exact;
  for (std::size_t i = 0; i < kTmatsMaxLines; ++i) exact += "G:1;\n";
  TmatsSplitStats stats;
  EXPECT_EQ(SplitTmatsLines(exact, &stats).size(), kTmatsMaxLines);
  EXPECT_FALSE(stats.line_limit_reached);
}

TEST(ParseTmatsText, BinaryInputGivesNoAttributes) {
  std::string bytes;
  std::uint32_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 24));
  }
  bytes += std::string(5000, '\0') + "\n";
  const TmatsLineList lines = ParseTmatsText(bytes);
  std::string_view code;
  for (const tmatslinestruct& line : lines) {
    EXPECT_LE(line.NumLevels, kTmatsMaxLevels);
    (void)FindKnownCode(TmatsGroup::R, line, code);
  }
}

TEST(ParseTmatsText, KeepsFileOrderAndFiltersGroups) {
  const TmatsLineList lines =
      ParseTmatsText("G\\PN:X;\nR-1\\N:2;\nV-1\\ID:Y;\nR-2\\N:3;\nP-1\\DLN:L;\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Group, "G");
  EXPECT_EQ(lines[1].Result, "2");
  EXPECT_EQ(lines[2].Group, "P");
}

TEST(FindKnownCode, TakesTheFirstNameOfTheListFoundAtAnyLevel) {
  struct Case {
    TmatsGroup group;
    const char* line;
    bool found;
    const char* code;
  };
  const std::array<Case, 9> cases = {{
      {TmatsGroup::R, "R-1\\TK1-1:1;", true, "TK1"},
      {TmatsGroup::R, "R-1\\EV\\ID-1:Mark;", true, "ID"},
      // "N" comes before "ACH" in the list.
      {TmatsGroup::R, "R-1\\ACH\\N-2:1;", true, "N"},
      {TmatsGroup::R, "R-1\\TK4-1:1;", false, ""},
      {TmatsGroup::P, "P-1\\MF1:64;", true, "MF1"},
      {TmatsGroup::P, "P-1\\MF\\N:8;", true, "MF"},
      {TmatsGroup::M, "M-1\\BB\\DLN:L;", true, "DLN"},
      {TmatsGroup::B, "B-1\\NBS\\N:1;", true, "NBS"},
      {TmatsGroup::B, "no value", false, ""},
  }};
  for (const Case& c : cases) {
    std::string_view code = "stale";
    EXPECT_EQ(FindKnownCode(c.group, ParseTmatsLine(c.line), code), c.found) << c.line;
    EXPECT_EQ(code, c.code) << c.line;
  }
  EXPECT_TRUE(LineHasLevel(ParseTmatsLine("P-1\\MF\\N:8;"), "N"));
  EXPECT_FALSE(LineHasLevel(ParseTmatsLine("P-1\\MF\\N:8;"), "M"));
}

TEST(TmatsNumbers, WholeAndLeadingNumbers) {
  struct Whole {
    const char* text;
    bool ok;
    std::int32_t value;
  };
  for (const Whole& c :
       std::vector<Whole>{{"12", true, 12},
                          {"-3", true, -3},
                          {"+4", true, 4},
                          {"2147483647", true, 2147483647},
                          {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
                          {"2147483648", false, 99},
                          {"", false, 99},
                          {"-", false, 99},
                          {" 12", false, 99},
                          {"12a", false, 99}}) {
    std::int32_t value = 99;
    EXPECT_EQ(TmatsWholeNumber(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  EXPECT_EQ(TmatsLeadingNumber("12AB"), 12);
  EXPECT_EQ(TmatsLeadingNumber("AB12"), 0);
  EXPECT_EQ(TmatsLeadingNumber(" 7"), 7);
  EXPECT_EQ(TmatsLeadingNumber("-5x"), -5);
  EXPECT_EQ(TmatsLeadingNumber(""), 0);
  EXPECT_EQ(TmatsLeadingNumber("99999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(TmatsLeadingNumber("-99999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(TmatsLineDumpText, ListsFieldsAndStoredLevels) {
  EXPECT_EQ(TmatsLineDumpText(ParseTmatsLine("R-1\\TK1-1:1;")),
            "Group : R  Group # : 1  Result : 1  Num Levels : 1  Dash Item : 1  "
            "Level 0 : TK1  ");
  EXPECT_EQ(TmatsLineDumpText(ParseTmatsLine("P-3\\MF\\N:64;")),
            "Group : P  Group # : 3  Result : 64  Num Levels : 2  Dash Item : 0  "
            "Level 0 : MF  Level 1 : N  ");
  EXPECT_EQ(TmatsLineDumpText(ParseTmatsLine("x")),
            "Group : G  Group # : 1  Result :   Num Levels : 0  Dash Item : 0  ");
}

TEST(DumpTmatsLines, WritesTitleAndOneEntryPerLineWithItsIndex) {
  test::LogSession session;
  DumpTmatsLines(ParseTmatsText("R-1\\TK1-1:1;\nP-3\\MF\\N:64;\n"));
  const auto entries = test::LogEntries(session.Text());
  const auto after =
      test::EntriesAfter(entries, "TMATS LINE INFO -------------------------------------------");
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after[0].code, 0);
  EXPECT_EQ(after[0].message, TmatsLineDumpText(ParseTmatsLine("R-1\\TK1-1:1;")));
  EXPECT_EQ(after[1].code, 1);
  EXPECT_EQ(after[1].message, TmatsLineDumpText(ParseTmatsLine("P-3\\MF\\N:64;")));
  // The title is preceded by an empty line.
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (entries[i].message.rfind("TMATS LINE INFO", 0) == 0) {
      EXPECT_EQ(entries[i - 1].message, "");
    }
  }
}

}  // namespace
}  // namespace tessel
