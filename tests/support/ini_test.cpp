// INI settings files: reading, writing in place, case-insensitive names, the missing-value
// sentinel, whole-file replacement on failure, and damaged input.
#include "support/ini.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "support/files.h"

namespace tessel {
namespace {

using test::ReadTextFile;
using test::WriteTextFile;

class IniTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& section, const std::string& key) {
    std::string value = "<unchanged>";
    ReadIniString(path_, section, key, value);
    return value;
  }
  test::TempDir dir_;
  std::string path_ = dir_.File("Tessel.Cfg");
};

TEST_F(IniTest, ReadsValuesWithNamesInAnyCase) {
  WriteTextFile(path_,
                "[Program Options]\r\nOrigFileDir=/data/in\r\nScreenX=640\r\n"
                "\r\n[Other]\nScreenX=1\n");
  EXPECT_EQ(Read("program options", "ORIGFILEDIR"), "/data/in");
  EXPECT_EQ(Read("Program Options", "ScreenX"), "640");
  EXPECT_EQ(Read("OTHER", "screenx"), "1");
}

TEST_F(IniTest, MissingFileSectionOrKeyLeavesTheValueAlone) {
  EXPECT_EQ(Read("Program Options", "ScreenX"), "<unchanged>");
  WriteTextFile(path_, "[A]\r\nk=v\r\n; comment=x\r\nnoequals\r\n");
  std::string value = "<unchanged>";
  EXPECT_FALSE(ReadIniString(path_, "B", "k", value));
  EXPECT_FALSE(ReadIniString(path_, "A", "x", value));
  EXPECT_FALSE(ReadIniString(path_, "A", "; comment", value));
  EXPECT_FALSE(ReadIniString(path_, "A", "noequals", value));
  EXPECT_EQ(value, "<unchanged>");
}

TEST_F(IniTest, StoredSentinelReadsAsMissing) {
  WriteTextFile(path_, "[A]\r\nk=BOGUS SECTION or KEY\r\n");
  std::string value = "kept";
  EXPECT_FALSE(ReadIniString(path_, "A", "k", value));
  EXPECT_EQ(value, "kept");
}

TEST_F(IniTest, ValuesAreReadAsTheyStandUpTo1023Characters) {
  WriteTextFile(path_, "[A]\r\n k = spaced \r\nlong=" + std::string(2000, 'x') + "\r\ne=\r\n");
  EXPECT_EQ(Read("A", "k"), " spaced ");
  EXPECT_EQ(Read("A", "long"), std::string(1023, 'x'));
  EXPECT_EQ(Read("A", "e"), "");
}

TEST_F(IniTest, ReadIntAcceptsOnlyWholeNumbers) {
  WriteTextFile(path_, "[N]\r\ntrailing=12 \r\nleading= 12\r\nempty=\r\nneg=-7\r\nword=abc\r\n");
  struct Case {
    const char* key;
    bool ok;
    int value;
  };
  const std::vector<Case> cases = {
      {"trailing", false, 99}, {"leading", true, 12}, {"empty", true, 0},
      {"neg", true, -7},       {"word", false, 99},   {"missing", false, 99},
  };
  for (const Case& c : cases) {
    int value = 99;
    EXPECT_EQ(ReadIniInt(path_, "N", c.key, value), c.ok) << c.key;
    EXPECT_EQ(value, c.value) << c.key;
  }
}

TEST_F(IniTest, WritesCreateFileSectionAndKeyWithCrLf) {
  EXPECT_TRUE(WriteIniInt(path_, "N", "a", -7));
  EXPECT_TRUE(WriteIniYesNo(path_, "N", "b", true));
  EXPECT_TRUE(WriteIniYesNo(path_, "M", "c", false));
  EXPECT_TRUE(FlushIniFile(path_));
  EXPECT_EQ(ReadTextFile(path_), "[N]\r\na=-7\r\nb=YES\r\n[M]\r\nc=NO\r\n");
  int value = 0;
  EXPECT_TRUE(ReadIniInt(path_, "n", "A", value));
  EXPECT_EQ(value, -7);
}

TEST_F(IniTest, RewritingAKeepsEverythingElseAsItWas) {
  WriteTextFile(path_,
                "; options\r\n[Program Options]\r\nScreenX=1\r\nOther = keep me\r\n\r\n"
                "[Second]\r\nx=1\r\n");
  EXPECT_TRUE(WriteIniString(path_, "PROGRAM OPTIONS", "screenx", "640"));
  EXPECT_TRUE(WriteIniString(path_, "Program Options", "ScreenY", "480"));
  EXPECT_EQ(ReadTextFile(path_),
            "; options\r\n[Program Options]\r\nScreenX=640\r\nOther = keep me\r\nScreenY=480\r\n"
            "\r\n[Second]\r\nx=1\r\n");
}

TEST_F(IniTest, LfOnlyFileIsRewrittenWithCrLf) {
  WriteTextFile(path_, "[A]\nk=1\nj=2");
  EXPECT_TRUE(WriteIniString(path_, "A", "k", "3"));
  EXPECT_EQ(ReadTextFile(path_), "[A]\r\nk=3\r\nj=2\r\n");
}

TEST_F(IniTest, WritesAreOnDiskWithoutAFlush) {
  // A caller that forgets to flush loses nothing: every write replaces the file.
  EXPECT_TRUE(WriteIniString(path_, "A", "k", "v"));
  EXPECT_EQ(ReadTextFile(path_), "[A]\r\nk=v\r\n");
  EXPECT_EQ(Read("a", "K"), "v");
}

TEST_F(IniTest, WriteAfterTheFileWasDeletedStartsAFreshFile) {
  EXPECT_TRUE(WriteIniString(path_, "A", "old", "1"));
  std::remove(path_.c_str());
  EXPECT_TRUE(WriteIniString(path_, "A", "new", "2"));
  EXPECT_TRUE(FlushIniFile(path_));
  EXPECT_EQ(ReadTextFile(path_), "[A]\r\nnew=2\r\n");
}

TEST_F(IniTest, TextsThatWouldBreakTheFileAreRefused) {
  WriteTextFile(path_, "[A]\r\nk=1\r\n");
  EXPECT_FALSE(WriteIniString(path_, "A", "k", "two\r\n[Injected]"));
  EXPECT_FALSE(WriteIniString(path_, "A", "k=x", "1"));
  EXPECT_FALSE(WriteIniString(path_, "A]", "k", "1"));
  EXPECT_FALSE(WriteIniString(path_, "A", "", "1"));
  EXPECT_EQ(ReadTextFile(path_), "[A]\r\nk=1\r\n");
  EXPECT_FALSE(FlushIniFile(path_));  // reports the refused writes once
  EXPECT_TRUE(FlushIniFile(path_));
}

TEST_F(IniTest, DiskFullLeavesTheOldFileWholeAndFlushReportsIt) {
  WriteTextFile(path_, "[A]\r\nk=1\r\n");
  SetWriteFaultForTesting(3, ENOSPC);
  bool written = WriteIniString(path_, "A", "k", "2");
  SetWriteFaultForTesting(-1, 0);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadTextFile(path_), "[A]\r\nk=1\r\n");
  EXPECT_TRUE(WriteIniString(path_, "A", "j", "3"));
  EXPECT_FALSE(FlushIniFile(path_));
  // No temporary file is left behind.
  auto entries = std::distance(std::filesystem::directory_iterator(dir_.path()),
                               std::filesystem::directory_iterator());
  EXPECT_EQ(entries, 1);
}

TEST_F(IniTest, MissingDirectoryFailsTheWrite) {
  const std::string path = dir_.File("none/x.prj");
  EXPECT_FALSE(WriteIniString(path, "A", "k", "1"));
  EXPECT_FALSE(FlushIniFile(path));
  EXPECT_TRUE(FlushIniFile(dir_.File("never-written.ini")));
}

TEST_F(IniTest, PathThatCannotBeReadIsNeverReplaced) {
  std::filesystem::create_directory(path_);
  std::string value = "kept";
  EXPECT_FALSE(ReadIniString(path_, "A", "k", value));
  EXPECT_FALSE(WriteIniString(path_, "A", "k", "1"));
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_EQ(value, "kept");
}

TEST_F(IniTest, BinaryAndHugeFilesDoNotBreakReading) {
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<char>((i * 37) & 0xFF));
  WriteTextFile(path_, binary + "\n[A]\nk=1\n");
  EXPECT_EQ(Read("A", "k"), "1");
  EXPECT_TRUE(WriteIniString(path_, "A", "k", "2"));
  EXPECT_EQ(Read("A", "k"), "2");

  // Larger than any settings file: neither read nor replaced.
  std::string huge(5 * 1024 * 1024, '=');
  WriteTextFile(path_, "[A]\nk=1\n" + huge);
  EXPECT_EQ(Read("A", "k"), "<unchanged>");
  EXPECT_FALSE(WriteIniString(path_, "A", "k", "2"));
  EXPECT_EQ(std::filesystem::file_size(path_), huge.size() + 8);
}

}  // namespace
}  // namespace tessel
