// The project file: reset values, what Convert puts in, the path of a chosen name, and
// the exact text written.
#include "pdbase/project_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"
#include "support/clock.h"
#include "support/ui.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

bool HasErrorBeep(const RecordingSpeaker& speaker) {
  for (const auto& tone : speaker.tones) {
    if (tone == std::pair<int, int>{100, 50}) return true;
  }
  return false;
}

class ProjectFileTest : public ::testing::Test {
 protected:
  ProjectFileTest() : ui_scope_(&ui_) { SetSpeaker(&speaker_); }
  ~ProjectFileTest() override { SetSpeaker(nullptr); }

  std::string File(const std::string& name) const { return log_.dir().File(name); }
  std::vector<test::LogEntry> Logged() const {
    return test::EntriesAfter(test::LogEntries(log_.Text()), "Program Version test");
  }

  test::LogSession log_;
  ScriptedUserInterface ui_;
  ScopedUserInterface ui_scope_;
  RecordingSpeaker speaker_;
};

TEST(ProjectRecord, ResetGivesEveryFieldItsResetValue) {
  projectfilestruct project;
  project.ProjectFileName = "x";
  project.Notes[2] = "y";
  project.SystemTimeSource = 3;
  project.StreamIncluded[4] = 1;
  project.StreamPdbase[4] = "z";
  project.SerialCards[4] = {9, 9, "w"};
  project.NonSerialCards[6] = {9, 9, "v"};
  ResetProjectFile(project);
  EXPECT_EQ(project.RecordVersion, 4);
  EXPECT_TRUE(project.ProjectFileName.empty());
  EXPECT_TRUE(project.DerivedListFn.empty() && project.FunctionListFn.empty() &&
              project.DisplayListFn.empty() && project.DisplayPageFn.empty() &&
              project.QuarnProjectName.empty());
  for (const std::string& note : project.Notes) EXPECT_TRUE(note.empty());
  EXPECT_EQ(project.SystemTimeSource, 0);
  for (int i = 0; i < kProjectStreams; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    EXPECT_EQ(project.StreamIncluded[slot], 0);
    EXPECT_TRUE(project.StreamPdbase[slot].empty());
    EXPECT_EQ(project.SerialCards[slot].Application, 2);
    EXPECT_EQ(project.SerialCards[slot].CardNumber, i);
    EXPECT_TRUE(project.SerialCards[slot].SetupFile.empty());
    EXPECT_EQ(project.NonSerialCards[slot].Application, 12);
    EXPECT_EQ(project.NonSerialCards[slot].CardNumber, -1);
    EXPECT_TRUE(project.NonSerialCards[slot].SetupFile.empty());
  }
}

TEST(ProjectRecord, ConvertFillsStreamsInsideTheTableOnly) {
  projectfilestruct project;
  ResetProjectFile(project);
  EXPECT_TRUE(SetConvertedStream(project, 7, "/o/P_8.PDB", "/o/P_8.B72"));
  EXPECT_EQ(project.StreamIncluded[7], 1);
  EXPECT_EQ(project.StreamPdbase[7], "/o/P_8.PDB");
  EXPECT_EQ(project.SerialCards[7].SetupFile, "/o/P_8.B72");
  EXPECT_EQ(project.SerialCards[7].CardNumber, 7);
  EXPECT_FALSE(SetConvertedStream(project, 8, "a", "b"));
  EXPECT_FALSE(SetConvertedStream(project, -1, "a", "b"));
}

TEST(ProjectRecord, ProjectPathUpperCasesOnlyTheTitle) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/x/Run/plan.prj", "/x/Run/PLAN.PRJ"},
      {"/x/Run/Plan.v2.txt", "/x/Run/PLAN.PRJ"},
      {"/x/Run/.prj", "/x/Run/CH10DEFAULT.PRJ"},
      {"plan", "PLAN.PRJ"},
  };
  for (const auto& [chosen, expected] : cases) {
    EXPECT_EQ(ProjectFilePathFor(chosen), expected) << chosen;
  }
}

// A recording with two chosen streams converted into PLAN.PRJ without own setup files.
TEST_F(ProjectFileTest, WritesTheThreeSectionsInOrder) {
  const std::string dir = log_.dir().path().string();
  const std::string path = ProjectFilePathFor(File("plan.prj"));
  ASSERT_EQ(path, dir + "/PLAN.PRJ");
  projectfilestruct project;
  ResetProjectFile(project);
  SetConvertedProject(project, path, "/data/Flt7.ch10");
  SetConvertedStream(project, 0, dir + "/PLAN_1.PDB", dir + "/PLAN_1.B72");
  SetConvertedStream(project, 1, dir + "/PLAN_2.PDB", dir + "/PLAN_2.B72");

  ASSERT_TRUE(WriteProjectFile(path, project));

  std::string expected =
      "[FILE VERSION]\r\n"
      "FileVersion=4\r\n"
      "[PROJECT_INFO]\r\n"
      "ProjectFileName=" +
      path +
      "\r\n"
      "SystemTimeSource=0\r\n"
      "Note_0=Converted Chapter 10 Archive\r\n"
      "Note_1=/data/Flt7.ch10\r\n"
      "Note_2=\r\n"
      "DerivedListFn=\r\n"
      "FunctionListFn=\r\n"
      "DisplayListFn=\r\n"
      "DisplayPageFn=\r\n"
      "QuarnProjectName=\r\n"
      "[STREAM_INFO]\r\n"
      "Stream_0_Included=1\r\n"
      "Stream_0_PDbase=" +
      dir +
      "/PLAN_1.PDB\r\n"
      "Stream_0_Serial Device Application_=2\r\n"
      "Stream_0_Serial Device CardNum_=0\r\n"
      "Stream_0_Serial Device Setup_=" +
      dir +
      "/PLAN_1.B72\r\n"
      "Stream_1_Included=1\r\n"
      "Stream_1_PDbase=" +
      dir +
      "/PLAN_2.PDB\r\n"
      "Stream_1_Serial Device Application_=2\r\n"
      "Stream_1_Serial Device CardNum_=1\r\n"
      "Stream_1_Serial Device Setup_=" +
      dir + "/PLAN_2.B72\r\n";
  for (int i = 2; i < 8; ++i) {
    const std::string n = "Stream_" + std::to_string(i);
    expected +=
        n + "_Included=0\r\n" + n + "_PDbase=\r\n" + n + "_Serial Device Application_=2\r\n" + n +
        "_Serial Device CardNum_=" + std::to_string(i) + "\r\n" + n + "_Serial Device Setup_=\r\n";
  }
  for (int i = 0; i < 8; ++i) {
    const std::string n = "Hardware_" + std::to_string(i);
    expected += n + "_NonSerial Device Application_=12\r\n" + n +
                "_NonSerial Device CardNum_=-1\r\n" + n + "_NonSerial Device Setup_=\r\n";
  }
  EXPECT_EQ(test::ReadTextFile(path), expected);

  // A new file: the delete fails, which is logged with a beep but no box.
  bool delete_logged = false;
  for (const test::LogEntry& entry : Logged()) {
    delete_logged |= entry.message == "File could not be deleted " + path && entry.code == 255;
  }
  EXPECT_TRUE(delete_logged);
  EXPECT_TRUE(HasErrorBeep(speaker_));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ProjectFileTest, ReplacesAnEarlierFileWhole) {
  const std::string path = File("PLAN.PRJ");
  test::WriteTextFile(path, "[OLD]\r\nKey=1\r\n[PROJECT_INFO]\r\nStale=2\r\n");
  projectfilestruct project;
  ResetProjectFile(project);
  ASSERT_TRUE(WriteProjectFile(path, project));
  const std::string text = test::ReadTextFile(path);
  EXPECT_EQ(text.rfind("[FILE VERSION]\r\nFileVersion=4\r\n[PROJECT_INFO]\r\n", 0), 0u);
  EXPECT_EQ(text.find("OLD"), std::string::npos);
  EXPECT_EQ(text.find("Stale"), std::string::npos);
  EXPECT_TRUE(Logged().empty());
  EXPECT_FALSE(HasErrorBeep(speaker_));
}

TEST_F(ProjectFileTest, AFileThatCannotBeWrittenIsReported) {
  const std::string missing = File("missing/PLAN.PRJ");
  projectfilestruct project;
  ResetProjectFile(project);
  EXPECT_FALSE(WriteProjectFile(missing, project));
  // A value that would break the file's lines is not written either.
  project.Notes[2] = "two\r\nlines";
  EXPECT_FALSE(WriteProjectFile(File("PLAN.PRJ"), project));
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[0].caption, "ERROR");
  EXPECT_EQ(ui_.boxes[0].text, "FAILED WRITING PROJECT FILE " + missing);
  EXPECT_EQ(ui_.boxes[1].text, "FAILED WRITING PROJECT FILE " + File("PLAN.PRJ"));
}

}  // namespace
}  // namespace tessel
