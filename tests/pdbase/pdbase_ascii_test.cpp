// The ASCII PDbase file: comment block, title line, header lines and tag lines, and the
// file they make together.
#include "pdbase/pdbase_ascii.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"
#include "pdbase/pdbase_binary.h"
#include "support/files.h"
#include "support/ui.h"

namespace tessel {
namespace {

using ::testing::HasSubstr;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

std::string Join(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line;
}

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

TEST(PdbaseCommentLines, DocumentTheHeaderAndTheColumns) {
  const std::vector<std::string> lines = PdbaseCommentLines(kDbasePcm);
  ASSERT_EQ(lines.size(), 196u);
  EXPECT_EQ(lines[0], "All text before a triple astersisk are comments.");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[6], "FileVersion; //dbase file version");
  EXPECT_EQ(lines[13], "CommonWordUpdateRateHz; //the common update rate for the word, in hz");
  EXPECT_EQ(lines[14], "  client user def code word 0 //not used, user discretion");
  EXPECT_EQ(lines[29], "  client user def code word 15 //not used, user discretion");
  EXPECT_EQ(lines[30], "cLutFileName[128]; //name of lookup table file");
  EXPECT_EQ(lines[32], "  server user def code word 0 //not used, user discretion");
  EXPECT_EQ(lines[47], "  server user def code word 15 //not used, user discretion");
  EXPECT_EQ(lines[48], "cClientSDSetupFile[128]; //client soft decom setup file..if used");
  EXPECT_EQ(lines[126], "FramesPerInterrupt  //number minor frames of data on new data");
  EXPECT_EQ(lines[128], "Word Name                  (19 chars, 18 chars usable with a space afterwords)");
  // The 58 column descriptions: "(" in column 28, in column 26 for the Future lines.
  for (std::size_t i = 128; i < 128 + 58; ++i) {
    const std::size_t column = i < 128 + 50 ? 27 : 25;
    ASSERT_GT(lines[i].size(), column) << i;
    EXPECT_EQ(lines[i].substr(column - 1, 2), " (") << lines[i];
  }
  EXPECT_EQ(lines[185], "Future8                  (17 chars) (decimal)");
  EXPECT_EQ(lines[186], "//-----");
  EXPECT_EQ(lines[187], "");
  EXPECT_EQ(lines[189], "");
  EXPECT_EQ(lines[190], "After the header is *.*, and then the tag data starts");
  EXPECT_EQ(lines[191], "");
  EXPECT_EQ(lines[192], PdbaseTitleLine(kDbasePcm));
  EXPECT_EQ(lines[193], "");
  EXPECT_EQ(lines[194], "");
  EXPECT_EQ(lines[195], "***");

  // Only the title line differs between the types.
  std::vector<std::string> ch8 = PdbaseCommentLines(kDbaseChapter8);
  EXPECT_EQ(ch8[192], PdbaseTitleLine(kDbaseChapter8));
  ch8[192] = lines[192];
  EXPECT_EQ(ch8, lines);
}

TEST(PdbaseTitleLine, NamesTheHardwareFieldsByType) {
  struct Case {
    std::int32_t type;
    std::vector<std::string> hardware;
  };
  const std::vector<Case> cases = {
      {kDbasePcm, {"Frame Start (Hw0)", "Word Start (Hw1)", "Frame Interval (Hw2)", "Frame Stop (Hw3)",
                   "Word Interval (Hw4)", "Word Stop (Hw5)", "Spare 1 (Hw6)", "Spare 2 (Hw7)"}},
      {kDbaseChapter8, {"Frame Start (Hw0)", "Word Start (Hw1)", "Bus ID (Hw2)", "RT Num (Hw3)",
                        "Msg Num (Hw4)", "Word Num (Hw5)", "T/R Bit (Hw6)", "Spare  (Hw7)"}},
      {kDbase1553, {"Frame Start (Hw0)", "Word Start (Hw1)", "Bus ID (Hw2)", "RT Num (Hw3)",
                    "Sub Addr (Hw4)", "Word Num (Hw5)", "T/R Bit (Hw6)", "Spare  (Hw7)"}},
      {9, {"Hardware Field 0", "Hardware Field 1", "Hardware Field 2", "Hardware Field 3",
           "Hardware Field 4", "Hardware Field 5", "Hardware Field 6", "Hardware Field 7"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> titles = SplitTabs(PdbaseTitleLine(c.type));
    ASSERT_EQ(titles.size(), 58u) << c.type;
    EXPECT_EQ(std::vector<std::string>(titles.begin() + 28, titles.begin() + 36), c.hardware) << c.type;
    EXPECT_EQ(titles[0], "Word Name");
    EXPECT_EQ(titles[8], "Update Rate (hz)");
    EXPECT_EQ(titles[16], "Special Process");
    EXPECT_EQ(titles[27], "Plus B");
    EXPECT_EQ(titles[36], "Preprocessed Formula");
    EXPECT_EQ(titles[41], "Stream Part (hex)");
    EXPECT_EQ(titles[45], "User Def I4 (hex)");
    EXPECT_EQ(titles[49], "User Def D4");
    EXPECT_EQ(titles[50], "FUTURE 1");
    EXPECT_EQ(titles[57], "FUTURE 8");
  }
}

TEST(PdbaseHeaderLines, WriteEveryHeaderFieldInOrder) {
  pdbaseheaderstruct h = ZeroHeader();
  h.FileVersion = 26.0;
  h.NumSubFrames = 64;
  h.NumPcmWordsPerSf = 12;
  h.CommonWordLen = 16;
  h.CommonParamMsbFirst = 1;
  h.CommonWordUpdateRateHz = 0.5;
  h.ClientUserDefCodeWord[15] = -25;
  SetRecordText(h.cLutFileName, "LUT.TXT");
  h.ServerUserDefCodeWord[0] = 7;
  h.FspMsw = 4294967295u;
  h.FspLen = 255;
  SetRecordText(h.cOriginatorText[0], "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 FILE");
  SetRecordText(h.cOriginatorText[1], "  Frame Interval for each word set to 1");
  h.EmbVideoFormat = 13;
  h.EmbVidUserDefHeight = 65535;
  h.EmbPcm1Fsp1 = -2147483647 - 1;
  h.EmbPcm1FrameInterval = 4;
  h.IrigEmbDecomSetupWpf = 12;
  h.IrigEmbDecomSetupNumSf = 64;
  h.EmbPcm2FrameInterval = 9;
  h.Bitrate = 1024000;
  h.SfIdWordNum = 3;
  h.SfidMsb = 5;
  h.FramesPerInterrupt = 20;

  std::vector<std::string> expected = {"26.000000000000000000000", "64", "12", "0", "PCM", "16", "1",
                                       "0.500000000000000000000"};
  for (int i = 0; i < 15; ++i) expected.push_back("0");
  expected.push_back("-25");
  expected.push_back("LUT.TXT");
  expected.push_back("");
  expected.push_back("7");
  for (int i = 1; i < 16; ++i) expected.push_back("0");
  for (const char* line : {"", "", "", "", "4294967295", "0", "255", "0", "0",
                           "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 FILE",
                           "  Frame Interval for each word set to 1", "", "", ""}) {
    expected.push_back(line);
  }
  // Ch8SpecificationMode .. EmbAudioIs16BitsPerSample, then the video fields.
  for (const char* line : {"0", "0", "0", "", "0", "0", "0", "0", "0", "0", "0",
                           "0", "0", "0", "0", "13", "0", "0", "0", "65535", "0", "0", "0", "0", "0", "0",
                           // embedded time, embedded PCM 1
                           "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "-2147483648",
                           "0", "0", "0", "0", "4", "12", "64", "0",
                           // embedded PCM 2
                           "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "9",
                           // stream
                           "1024000", "3", "5", "20", "*.*"}) {
    expected.push_back(line);
  }
  EXPECT_EQ(PdbaseHeaderLines(h), expected);

  h.eDbaseType = kDbaseChapter8;
  EXPECT_EQ(PdbaseHeaderLines(h)[4], "CHAPTER 8");
  h.eDbaseType = kDbase1553;
  EXPECT_EQ(PdbaseHeaderLines(h)[4], "1553");
  h.eDbaseType = 7;
  EXPECT_EQ(PdbaseHeaderLines(h)[4], "7");
}

// A generated counts tag for word 1 of frame 0 over 64 subframes.
pdbaseparamstruct CountsTag() {
  pdbaseparamstruct p = ZeroParam();
  SetRecordText(p.ParameterName, "FR0WD1" + Blanks(12));
  SetRecordText(p.WordName, "FR0WD1" + Blanks(12));
  SetRecordText(p.UnitOfMeasure, "COUNTS");
  SetRecordText(p.Description, "PRIME TAG FRAME 0 WORD 1");
  SetRecordText(p.DisplayLabel, "FR0WD1" + Blanks(12));
  p.IsMsbFirst = 1;
  p.Msb = 15;
  p.ParamNumBits = 16;
  p.WordNumBits = 16;
  p.ModeMask = 65535;
  p.ModeTag = p.TimeTag = p.SecondTag = kTagNotUsed;
  p.Euc = 1.0;
  p.DefaultMaxDisplay = 65535.0;
  p.AccessCode = 15;
  p.Hw[2] = 1;
  p.Hw[3] = 63;
  return p;
}

const std::string kZero16 = "0.000000000000000";

std::vector<std::string> CountsTagFields() {
  const std::string name = "FR0WD1" + Blanks(12);
  std::vector<std::string> fields = {
      name, name, "0", "0", "0", "COUNTS ", "PRIME TAG FRAME 0 WORD 1" + Blanks(8), "0", "0", "1",
      "15", "0", "16", "16", "0", "0", "0", Blanks(18), "1048575", "65535", "0", Blanks(18),
      "1048575", Blanks(18), "1048575", "0", "1.000000000000000", kZero16,
      "0", "0", "1", "63", "0", "0", "0", "0", Blanks(127), "15", "65535.00000000000", kZero16,
      name, "0", "0", "0", "0", "0"};
  for (int i = 0; i < 12; ++i) fields.push_back(kZero16);
  return fields;
}

TEST(PdbaseParamLine, WritesThe58FieldsOfATag) {
  const std::string line = PdbaseParamLine(CountsTag());
  EXPECT_EQ(line, Join(CountsTagFields()));
  EXPECT_EQ(line.substr(0, 40), "FR0WD1" + Blanks(12) + "\tFR0WD1" + Blanks(12) + "\t0\t");
}

TEST(PdbaseParamLine, CutsAndLimitsFieldsToTheirWidths) {
  struct Case {
    const char* what;
    void (*set)(pdbaseparamstruct&);
    std::size_t field;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"int32 minimum", [](pdbaseparamstruct& p) { p.CvtLocation = -2147483647 - 1; }, 2, "-214748364"},
      {"large update rate", [](pdbaseparamstruct& p) { p.UpdateRateHz = 123456; }, 8, "99999"},
      {"update rate at the limit", [](pdbaseparamstruct& p) { p.UpdateRateHz = 99999; }, 8, "99999"},
      {"access code", [](pdbaseparamstruct& p) { p.AccessCode = 31; }, 37, "15"},
      {"negative stream part", [](pdbaseparamstruct& p) { p.StreamPart = -3; }, 41, "0"},
      {"stream part", [](pdbaseparamstruct& p) { p.StreamPart = 2; }, 41, "2"},
      {"long name", [](pdbaseparamstruct& p) { SetRecordText(p.ParameterName, "ABCDEFGHIJKLMNOPQR"); }, 1,
       "ABCDEFGHIJKLMNOPQR"},
      {"negative plus b", [](pdbaseparamstruct& p) { p.PlusB = -2.5; }, 27, "-2.50000000000000"},
      {"two-digit msb", [](pdbaseparamstruct& p) { p.Msb = 200; }, 10, "20"},
      {"hardware field 7", [](pdbaseparamstruct& p) { p.Hw[7] = 1234567890; }, 35, "1234567890"},
      {"user def I4", [](pdbaseparamstruct& p) { p.UserDefI[3] = 77; }, 45, "77"},
      {"future 8", [](pdbaseparamstruct& p) { p.Future[7] = 0.125; }, 57, "0.125000000000000"},
      {"formula", [](pdbaseparamstruct& p) { SetRecordText(p.PreprocessedFormula, "XOR 0x00FF"); }, 36,
       "XOR 0x00FF" + Blanks(117)},
  };
  for (const Case& c : cases) {
    pdbaseparamstruct p = CountsTag();
    c.set(p);
    const pdbaseparamstruct before = p;
    const std::vector<std::string> fields = SplitTabs(PdbaseParamLine(p));
    ASSERT_EQ(fields.size(), 58u) << c.what;
    EXPECT_EQ(fields[c.field], c.text) << c.what;
    EXPECT_EQ(p.AccessCode, before.AccessCode) << c.what;
  }
}

class PdbaseAsciiFileTest : public ::testing::Test {
 protected:
  PdbaseAsciiFileTest() : ui_scope_(&ui_) {}
  std::string File(const std::string& name) const { return log_.dir().File(name); }

  test::LogSession log_;
  ScriptedUserInterface ui_;
  ScopedUserInterface ui_scope_;
};

std::string CrLfText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(PdbaseAsciiFileTest, WritesCommentsHeaderAndTagsLineByLine) {
  pdbaseclass database(0);
  database.header.FileVersion = 14.0;
  database.header.NumSubFrames = 64;
  database.header.NumPcmWordsPerSf = 2;
  pdbaseparamstruct first = CountsTag();
  pdbaseparamstruct second = CountsTag();
  SetRecordText(second.ParameterName, "FR0WD2");
  second.StreamPart = -1;
  second.AccessCode = 31;
  database.ReplaceParams({first, second});

  const std::string name = File("RUN.PDB");
  ASSERT_TRUE(WritePdbaseFiles(name, database));
  EXPECT_EQ(database.header.FileVersion, 26.0);
  EXPECT_EQ(database.Param(1).StreamPart, 0);   // set in the record
  EXPECT_EQ(database.Param(1).AccessCode, 31);  // kept in the record

  std::vector<std::string> lines = PdbaseCommentLines(kDbasePcm);
  for (const std::string& line : PdbaseHeaderLines(database.header)) lines.push_back(line);
  lines.push_back(Join(CountsTagFields()));
  std::vector<std::string> second_fields = CountsTagFields();
  second_fields[1] = "FR0WD2" + Blanks(12);
  lines.push_back(Join(second_fields));
  const std::string text = test::ReadTextFile(name);
  EXPECT_EQ(text, CrLfText(lines));
  EXPECT_THAT(text, HasSubstr("***\r\n26.000000000000000000000\r\n64\r\n2\r\n0\r\nPCM\r\n"));
  EXPECT_EQ(test::ReadWholeFile(File("RUN.PBIN")).size(), 3886u + 2 * 792u);
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PdbaseAsciiFileTest, AnEmptyDatabaseEndsWithTheHeaderSection) {
  pdbaseclass database(0);
  ASSERT_TRUE(WritePdbaseFiles(File("empty.pdb"), database));
  const std::string text = test::ReadTextFile(File("empty.pdb"));
  ASSERT_GE(text.size(), 5u);
  EXPECT_EQ(text.substr(text.size() - 5), "*.*\r\n");
  // Every line feed ends a CR LF pair.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
    }
  }
  EXPECT_TRUE(std::filesystem::exists(File("empty.pbin")));
}

TEST_F(PdbaseAsciiFileTest, FailuresAreReportedAndLeaveNoFile) {
  pdbaseclass database(0);
  database.ReplaceParams(std::vector<pdbaseparamstruct>(200, CountsTag()));

  const std::string missing = File("missing") + "/X.PDB";
  EXPECT_FALSE(SaveToAsciiFilePDbase(database.header, missing, database.Params()));
  EXPECT_THAT(log_.Text(), HasSubstr(missing + "  SaveToAsciiFilePDbase FAILED..CANT OPEN FILE "));

  SetWriteFaultForTesting(20000, ENOSPC);
  const bool written = SaveToAsciiFilePDbase(database.header, File("full.PDB"), database.Params());
  SetWriteFaultForTesting(-1, 0);
  EXPECT_FALSE(written);
  EXPECT_THAT(log_.Text(), HasSubstr(File("full.PDB") + "  SaveToAsciiFilePDbase FAILED..cannot write"));
  EXPECT_FALSE(std::filesystem::exists(File("full.PDB")));
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].caption, "ERROR");

  // The binary file failing does not stop the ASCII file.
  EXPECT_FALSE(WritePdbaseFiles(File("name.txt"), database));
  EXPECT_TRUE(std::filesystem::exists(File("name.txt")));
}

}  // namespace
}  // namespace tessel
