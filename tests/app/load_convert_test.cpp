// File, Load and Convert's setup files: names, the project record, the device
// configuration and files that cannot be written.
#include "app/load_convert.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "pdbase/pdbase.h"
#include "pdbase/pdbase_ascii.h"
#include "support/files.h"
#include "support/ini.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using test::AppTest;

TEST_F(AppTest, CancelledLoadLeavesNoRecording) {
  state->Ch10FileName = "/data/OLD.c10";
  state->options.OrigFileDir = "/data";
  state->config().NumStreams = 2;
  EXPECT_EQ(LoadRecording(*state, {}), LoadOutcome::Cancelled);
  EXPECT_TRUE(state->Ch10FileName.empty());
  EXPECT_EQ(state->config().NumStreams, 0);
  ASSERT_EQ(ui.file_requests.size(), 1u);
  const OpenFileRequest& request = ui.file_requests[0];
  EXPECT_EQ(request.title, "Open File");
  EXPECT_EQ(request.initial_directory, "/data");
  EXPECT_EQ(request.filter_description, "File Type (*.CH10;*.C10;)");
  EXPECT_EQ(request.filter_pattern, "*.ch10 *.c10 *.CH10 *.C10");
  EXPECT_EQ(request.default_extension, "CH10");
  EXPECT_EQ(request.suggested_name, "OLD");
}

TEST_F(AppTest, LoadRunsTheChooserThenTheSetupDialog) {
  const std::string path = WriteRecording("Flight7.c10");
  state->Ch10FileName.clear();
  ui.file_answers = {path};
  bool setup_shown = false;
  LoadDialogs dialogs;
  dialogs.chooser = [&](StreamChooser& chooser) {
    ui.prompt_answers = {"2", "5", "10"};
    chooser.NumberOfStreamsClick();
    chooser.RecorderDataTypeClick(kTmatsChannelPcm);
    chooser.SelectCell(2);
    chooser.RecorderDataTypeClick(kTmatsChannelVideo);
  };
  dialogs.setup = [&](StreamSetupDialog& dialog) {
    setup_shown = true;
    EXPECT_EQ(dialog.num_streams(), 2);
  };
  EXPECT_EQ(LoadRecording(*state, dialogs), LoadOutcome::Loaded);
  EXPECT_TRUE(setup_shown);
  EXPECT_EQ(state->Ch10FileName, path);  // the case is kept
  EXPECT_EQ(state->ProjectFileName, "Flight7");
  EXPECT_EQ(state->options.OrigFileDir, log.dir().path().string());
  EXPECT_EQ(state->config().PcmSetups[1].DecomSetup.WordsPerFrame, 188);

  // A chooser that keeps no stream ends the Load before the setup dialog.
  setup_shown = false;
  ui.file_answers = {path};
  dialogs.chooser = [](StreamChooser& chooser) { chooser.Cancel(); };
  EXPECT_EQ(LoadRecording(*state, dialogs), LoadOutcome::NoStream);
  EXPECT_FALSE(setup_shown);
  EXPECT_EQ(ui.file_requests.back().suggested_name, "Flight7");
}

class ConvertTest : public AppTest {
 protected:
  // Three streams set up through the setup dialog: PCM 2, video 10, PCM 5.
  ConvertTest() {
    LoadStreams({{2, kTmatsChannelPcm}, {10, kTmatsChannelVideo}, {5, kTmatsChannelPcm}});
    state->ProjectFileName = FileTitle(state->Ch10FileName);
    RunStreamSetupDialog(*state, {});
    out = log.dir().path() / "out";
    fs::create_directory(out);
  }
  std::string Out(const std::string& name) const { return (out / name).string(); }
  fs::path out;
};

TEST_F(ConvertTest, CancelledProjectDialogWritesNothing) {
  const SetupFilesReport report = PrepareConversion(*state);
  EXPECT_FALSE(report.project_chosen);
  EXPECT_TRUE(report.files.empty());
  EXPECT_FALSE(report.AllWritten());
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].filter_description, "File Type (*.PRJ)");
  EXPECT_EQ(ui.file_requests[0].filter_pattern, "*.prj *.PRJ");
  EXPECT_EQ(ui.file_requests[0].suggested_name, "flight7");
}

TEST_F(ConvertTest, ProjectWithoutTitleIsCh10Default) {
  ui.file_answers = {Out(".prj")};
  const SetupFilesReport report = PrepareConversion(*state);
  EXPECT_TRUE(report.AllWritten());
  EXPECT_EQ(state->ProjectFileName, Out("CH10DEFAULT.PRJ"));
  EXPECT_TRUE(fs::exists(Out("CH10DEFAULT.PRJ")));
  EXPECT_TRUE(fs::exists(Out("CH10DEFAULT_1.PDB")));
  EXPECT_EQ(state->options.ConvertedFileDir, out.string());
}

TEST_F(ConvertTest, StreamFilesAreNamedAfterTheProjectOrTheirOwnFile) {
  // Stream 1's database came from an existing file elsewhere.
  fs::create_directory(log.dir().path() / "lib");
  const std::string engine = (log.dir().path() / "lib" / "ENGINE.PDB").string();
  ASSERT_TRUE(WritePdbaseFiles(engine, state->streams.pdbase(1)));
  state->config().PcmSetups[1].PdbaseFileName = engine;

  const SetupFilesReport report = WriteSetupFiles(*state, Out("run7.prj"));
  EXPECT_TRUE(report.AllWritten());
  EXPECT_TRUE(report.FailedFiles().empty());
  EXPECT_EQ(state->ProjectFileName, Out("RUN7.PRJ"));
  EXPECT_EQ(state->ProjectTitle, "RUN7");
  EXPECT_EQ(state->ProjectDirectory, out.string());
  for (const char* name :
       {"RUN7_1.PDB", "RUN7_1.PBIN", "RUN7_1.B72", "ENGINE.PDB", "ENGINE.PBIN", "RUN7_2.B72",
        "RUN7_3.PDB", "RUN7_3.PBIN", "RUN7_3.B72", "RUN7.PRJ", "VeltraneDeviceCfg.Cfg"}) {
    EXPECT_TRUE(fs::exists(Out(name))) << name;
  }
  ASSERT_EQ(report.files.size(), 3u * 3u + 2u);
  EXPECT_EQ(report.files[0].kind, "PDbase binary");
  EXPECT_EQ(report.files[0].path, Out("RUN7_1.PBIN"));

  const projectfilestruct& project = state->config().Project;
  EXPECT_EQ(project.ProjectFileName, Out("RUN7.PRJ"));
  EXPECT_EQ(project.Notes[0], "Converted Chapter 10 Archive");
  EXPECT_EQ(project.Notes[1], state->Ch10FileName);
  EXPECT_EQ(project.StreamPdbase[1], Out("ENGINE.PDB"));
  EXPECT_EQ(project.StreamPdbase[2], Out("RUN7_3.PDB"));
  EXPECT_EQ(project.SerialCards[2].SetupFile, Out("RUN7_3.B72"));
  EXPECT_EQ(project.StreamIncluded[2], 1);
  EXPECT_EQ(project.StreamIncluded[3], 0);
  std::string value;
  ASSERT_TRUE(ReadIniString(Out("RUN7.PRJ"), "PROJECT_INFO", "Note_1", value));
  EXPECT_EQ(value, state->Ch10FileName);
}

TEST_F(ConvertTest, StreamFileTitle) {
  state->ProjectFileName = Out("PLAN.PRJ");
  EXPECT_EQ(StreamFileTitle(*state, 0, ""), "PLAN_1");
  EXPECT_EQ(StreamFileTitle(*state, 2, "flight7"), "PLAN_3");  // not a file
  EXPECT_EQ(StreamFileTitle(*state, 0, state->Ch10FileName), "flight7");
  EXPECT_EQ(StreamFileTitle(*state, 0, "flight7.c10"), "flight7");  // from the start directory
  EXPECT_EQ(StreamFileTitle(*state, 0, log.dir().path().string()), "PLAN_1");  // a directory
  test::WriteTextFile(Out(".hidden"), "x");
  EXPECT_EQ(StreamFileTitle(*state, 1, Out(".hidden")), "PLAN_2");  // no title to take
}

TEST_F(ConvertTest, DeviceConfigurationEnablesTheSerialDecomOnlyWithStreams) {
  for (int streams : {0, 1, 3}) {
    state->config().NumStreams = streams;
    state->ProjectFileName = Out("DEV.PRJ");
    ASSERT_TRUE(WriteDeviceConfig(*state));
    const std::string path = Out("VeltraneDeviceCfg.Cfg");
    for (std::size_t i = 0; i < kDruxDevicePrograms.size(); ++i) {
      const std::string key(kDruxDevicePrograms[i]);
      std::string enabled;
      std::string simulated;
      ASSERT_TRUE(ReadIniString(path, "DEVICE ENABLE", key, enabled));
      ASSERT_TRUE(ReadIniString(path, "DEVICE SIMULATE", key, simulated));
      EXPECT_EQ(enabled, (streams > 0 && i == 2) ? "YES" : "NO") << streams << " " << key;
      EXPECT_EQ(simulated, "NO");
    }
  }
}

TEST_F(ConvertTest, MissingDirectoryIsReportedOnceAndNothingIsWritten) {
  const std::string missing = (log.dir().path() / "no" / "such").string();
  const SetupFilesReport report = WriteSetupFiles(*state, missing + "/run.prj");
  EXPECT_TRUE(report.project_chosen);
  EXPECT_FALSE(report.AllWritten());
  EXPECT_EQ(report.FailedFiles().size(), report.files.size());
  EXPECT_EQ(report.files.size(), 11u);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "ERROR");
  EXPECT_NE(ui.boxes[0].text.find(missing), std::string::npos);
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ConvertTest, FilesThatCannotBeWrittenAreNotReportedAsWritten) {
  SetWriteFaultForTesting(0, ENOSPC);
  const SetupFilesReport report = WriteSetupFiles(*state, Out("full.prj"));
  SetWriteFaultForTesting(-1, 0);
  EXPECT_FALSE(report.AllWritten());
  for (const WrittenFile& file : report.files) {
    EXPECT_FALSE(file.written) << file.path;
    EXPECT_FALSE(fs::exists(file.path)) << file.path;  // no incomplete file is left
  }
  EXPECT_FALSE(ui.boxes.empty());
  for (const auto& box : ui.boxes) EXPECT_EQ(box.caption, "ERROR");
}

TEST_F(ConvertTest, OneFailedFileIsNamedInTheReport) {
  // A directory where the project file should go cannot be replaced by the file.
  fs::create_directory(Out("BLOCKED.PRJ"));
  fs::create_directory(Out("BLOCKED.PRJ") + "/keep");
  const SetupFilesReport report = WriteSetupFiles(*state, Out("blocked.prj"));
  EXPECT_FALSE(report.AllWritten());
  EXPECT_EQ(report.FailedFiles(), (std::vector<std::string>{Out("BLOCKED.PRJ")}));
}

}  // namespace
}  // namespace tessel
