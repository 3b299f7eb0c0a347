// The program options: defaults from the directories around the start directory, and
// reading and writing "Tessel.Cfg".
#include "pdbase/options_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/log_session.h"
#include "common/test_files.h"
#include "support/clock.h"
#include "support/log.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

class OptionsFileTest : public ::testing::Test {
 protected:
  OptionsFileTest() { SetSpeaker(&speaker_); }
  ~OptionsFileTest() override { SetSpeaker(nullptr); }

  // A directory below the test's own, created with its parents.
  std::string MakeDirectory(const std::string& relative) const {
    const fs::path path = dir_.path() / relative;
    fs::create_directories(path);
    return path.string();
  }

  test::TempDir dir_;
  RecordingSpeaker speaker_;
};

TEST_F(OptionsFileTest, DefaultsFindThePdbaseDirectoryInOrAboveTheStartDirectory) {
  struct Case {
    std::string existing;  // below the test directory; empty for none
    std::string start;     // below the test directory
    std::string pdbase;    // expected; "<start>" stands for the start directory
    std::string ddbase;
    bool beep;
  };
  const std::string root = dir_.path().string();
  const std::vector<Case> cases = {
      {"A/USER/SERVERFILES/PDBASE", "A", root + "/A/USER/SERVERFILES/PDBASE/",
       root + "/A/USER/SERVERFILES/DDBASE/", false},
      {"B/USER/SERVERFILES/PDBASE", "B/BIN", "../USER/SERVERFILES/PDBASE/",
       "../USER/SERVERFILES/DDBASE/", false},
      {"C/USER/SERVERFILES/DDBASE", "C/BIN", "<start>", "<start>", true},
  };
  for (const Case& c : cases) {
    MakeDirectory(c.existing);
    const std::string start = MakeDirectory(c.start);
    speaker_.tones.clear();
    ch10progoptionstruct options;
    options.ScreenX = 1;
    options.ScreenY = 2;
    SetDefaultOptions(options, start);
    EXPECT_EQ(options.OrigFileDir, start);
    EXPECT_EQ(options.ConvertedFileDir, start);
    EXPECT_EQ(options.PDbaseDir, c.pdbase == "<start>" ? start : c.pdbase) << c.start;
    EXPECT_EQ(options.DDbaseDir, c.ddbase == "<start>" ? start : c.ddbase) << c.start;
    EXPECT_EQ(options.ScreenX, 20);
    EXPECT_EQ(options.ScreenY, 300);
    EXPECT_EQ(!speaker_.tones.empty(), c.beep) << c.start;
  }
}

TEST_F(OptionsFileTest, DefaultsWithoutAStartDirectoryUseTheLogsOne) {
  test::LogSession log;
  ch10progoptionstruct options;
  SetDefaultOptions(options);
  EXPECT_EQ(options.OrigFileDir, StartDirectory());
  EXPECT_EQ(options.PDbaseDir, StartDirectory());
  EXPECT_EQ(OptionsFilePath(StartDirectory()), log.dir().File("Tessel.Cfg"));
}

TEST_F(OptionsFileTest, WrittenOptionsReadBack) {
  const std::string path = dir_.File("Tessel.Cfg");
  test::WriteTextFile(path, "[Other]\r\nKeep=1\r\n[Program Options]\r\nExtra=x\r\n");
  ch10progoptionstruct written;
  written.OrigFileDir = MakeDirectory("rec");
  written.ConvertedFileDir = MakeDirectory("out");
  written.PDbaseDir = MakeDirectory("pdb") + "/";
  written.DDbaseDir = MakeDirectory("ddb") + "/";
  written.ScreenX = -40;
  written.ScreenY = 1200;
  ASSERT_TRUE(WriteProgramOptions(path, written));
  EXPECT_EQ(test::ReadTextFile(path),
            "[Other]\r\nKeep=1\r\n[Program Options]\r\nExtra=x\r\n"
            "OrigFileDir=" +
                written.OrigFileDir +
                "\r\n"
                "ConvertedFileDir=" +
                written.ConvertedFileDir +
                "\r\n"
                "PDbaseDir=" +
                written.PDbaseDir +
                "\r\n"
                "DDbaseDir=" +
                written.DDbaseDir +
                "\r\n"
                "ScreenX=-40\r\nScreenY=1200\r\n");

  ch10progoptionstruct read;
  SetDefaultOptions(read, MakeDirectory("start"));
  ReadProgramOptions(path, read);
  EXPECT_EQ(read.OrigFileDir, written.OrigFileDir);
  EXPECT_EQ(read.ConvertedFileDir, written.ConvertedFileDir);
  EXPECT_EQ(read.PDbaseDir, written.PDbaseDir);
  EXPECT_EQ(read.DDbaseDir, written.DDbaseDir);
  EXPECT_EQ(read.ScreenX, -40);
  EXPECT_EQ(read.ScreenY, 1200);
}

TEST_F(OptionsFileTest, ReadingKeepsWhatIsMissingOrUnacceptable) {
  const std::string kept = MakeDirectory("kept");
  const std::string other = MakeDirectory("other");
  struct Case {
    std::string text;  // the file's "Program Options" keys
    std::string orig;  // expected
    std::string converted;
    int x;
    int y;
  };
  const std::vector<Case> cases = {
      {"OrigFileDir=" + dir_.File("removed") + "\r\nConvertedFileDir=" + other + "\r\n", kept,
       other, 20, 300},
      {"ScreenX=100\r\n", kept, kept, 100, 300},
      {"ScreenX=\r\nScreenY=12x\r\n", kept, kept, 20, 300},
      {"ScreenX= 7\r\nScreenY=-3\r\n", kept, kept, 7, -3},
      {"OrigFileDir=\r\n", kept, kept, 20, 300},
  };
  const std::string path = dir_.File("Tessel.Cfg");
  for (const Case& c : cases) {
    test::WriteTextFile(path, "[Program Options]\r\n" + c.text);
    ch10progoptionstruct options;
    options.OrigFileDir = kept;
    options.ConvertedFileDir = kept;
    ReadProgramOptions(path, options);
    EXPECT_EQ(options.OrigFileDir, c.orig) << c.text;
    EXPECT_EQ(options.ConvertedFileDir, c.converted) << c.text;
    EXPECT_EQ(options.ScreenX, c.x) << c.text;
    EXPECT_EQ(options.ScreenY, c.y) << c.text;
  }

  ch10progoptionstruct untouched;
  untouched.OrigFileDir = kept;
  ReadProgramOptions(dir_.File("none.Cfg"), untouched);
  EXPECT_EQ(untouched.OrigFileDir, kept);
  EXPECT_EQ(untouched.ScreenX, 20);
}

TEST_F(OptionsFileTest, AFileThatCannotBeWrittenIsReported) {
  test::LogSession log;
  ch10progoptionstruct options;
  EXPECT_FALSE(WriteProgramOptions(dir_.File("missing/Tessel.Cfg"), options));
  EXPECT_NE(log.Text().find("FAILED WRITING PROGRAM OPTIONS " + dir_.File("missing/Tessel.Cfg")),
            std::string::npos);
}

}  // namespace
}  // namespace tessel
