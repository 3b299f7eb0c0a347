// File, Load and Convert's preparation.
#include "app/load_convert.h"

#include <algorithm>
#include <filesystem>

#include "app/file_dialog.h"
#include "pdbase/pdbase.h"
#include "pdbase/pdbase_ascii.h"
#include "pdbase/pdbase_binary.h"
#include "pdbase/project_file.h"
#include "setup/ddbase_file.h"
#include "support/files.h"
#include "support/format.h"
#include "support/ini.h"
#include "support/log.h"

namespace tessel {

namespace {

namespace fs = std::filesystem;

std::string DirectoryOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}

std::string Join(const std::string& directory, const std::string& name) {
  return (fs::path(directory) / name).string();
}

// Records one file; `write` runs only while the directory is usable.
template <typename Write>
void WriteOne(SetupFilesReport& report, bool attempt, std::string kind, std::string path,
              Write write) {
  const bool written = attempt && write();
  report.files.push_back({std::move(kind), std::move(path), written});
}

void WriteStreamFiles(RunState& state, SetupFilesReport& report, bool attempt) {
  streamconfiginfostruct& config = state.config();
  const std::string directory = DirectoryOf(state.ProjectFileName);
  SetConvertedProject(config.Project, state.ProjectFileName, state.Ch10FileName);
  const int count = std::clamp(config.NumStreams, 0, kMaxStreams);
  for (int i = 0; i < count; ++i) {
    pcmsetupinfo& setup = config.PcmSetups[static_cast<std::size_t>(i)];
    pdbaseclass& database = state.streams.pdbase(i);
    const std::string pdbase_path =
        Join(directory, StreamFileTitle(state, i, setup.PdbaseFileName) + ".PDB");
    const std::string ddbase_path =
        Join(directory, StreamFileTitle(state, i, setup.DecomSetupFileName) + ".B72");
    WriteOne(report, attempt, "PDbase binary", PbinFileName(pdbase_path), [&] {
      return SaveToFilePDbaseBinary(database.header, pdbase_path, database.Params());
    });
    WriteOne(report, attempt, "PDbase ASCII", pdbase_path, [&] {
      return SaveToAsciiFilePDbase(database.header, pdbase_path, database.Params());
    });
    WriteOne(report, attempt, "DDbase", ddbase_path,
             [&] { return WriteDdbaseFile(ddbase_path, setup); });
    SetConvertedStream(config.Project, i, pdbase_path, ddbase_path);
  }
}

// The device configuration's path for the project; also sets ProjectTitle and
// ProjectDirectory.
std::string DeviceConfigPath(RunState& state) {
  state.ProjectTitle = FileTitle(state.ProjectFileName);
  state.ProjectDirectory = DirectoryOf(state.ProjectFileName);
  return Join(state.ProjectDirectory, kDeviceConfigFileName);
}

}  // namespace

const std::array<std::string_view, 12> kDruxDevicePrograms = {
    "DruxAnalogDecom", "DruxBusMonitor", "DruxSerialDecom", "DruxParallelDecom",
    "DruxArinc429",    "DruxDiscrete",   "DruxVideo",       "DruxAudio",
    "DruxTimeCode",    "DruxEthernet",   "DruxUart",        "DruxSimulator"};

void SetLoadedRecording(RunState& state, const std::string& path) {
  state.Ch10FileName = path;
  state.options.OrigFileDir = DirectoryOf(path);
  state.ProjectFileName = FileTitle(path);
}

LoadOutcome LoadRecording(RunState& state, const LoadDialogs& dialogs) {
  const std::string previous = state.Ch10FileName;
  ResetStreamSetups(state);
  state.Ch10FileName.clear();
  MakeStartDirectoryCurrent();
  std::string chosen;
  if (!OpenFileDialog(state.options.OrigFileDir, ".CH10;*.C10;", chosen, previous)) {
    return LoadOutcome::Cancelled;
  }
  SetLoadedRecording(state, chosen);
  if (!RunStreamChooser(state, dialogs.chooser)) return LoadOutcome::NoStream;
  // The check's verdict has been shown; the operator may convert in any case.
  RunStreamSetupDialog(state, dialogs.setup);
  return LoadOutcome::Loaded;
}

bool SetupFilesReport::AllWritten() const {
  return project_chosen &&
         std::all_of(files.begin(), files.end(), [](const WrittenFile& f) { return f.written; });
}

std::vector<std::string> SetupFilesReport::FailedFiles() const {
  std::vector<std::string> failed;
  for (const WrittenFile& file : files) {
    if (!file.written) failed.push_back(file.path);
  }
  return failed;
}

SetupFilesReport PrepareConversion(RunState& state) {
  std::string chosen;
  if (!OpenFileDialog(state.options.ConvertedFileDir, "PRJ", chosen, state.ProjectFileName)) {
    return {};
  }
  return WriteSetupFiles(state, chosen);
}

SetupFilesReport WriteSetupFiles(RunState& state, const std::string& chosen_project_path) {
  std::error_code error;
  fs::path chosen = fs::absolute(chosen_project_path, error);
  if (error) chosen = chosen_project_path;
  const std::string directory = chosen.parent_path().string();
  state.options.ConvertedFileDir = directory;
  state.ProjectFileName = ProjectFilePathFor(chosen.string());

  SetupFilesReport report;
  report.project_chosen = true;
  const bool usable = DirectoryExists(directory);
  if (!usable) {
    LogError("CANNOT WRITE THE PROJECT FILES: DIRECTORY DOES NOT EXIST " + directory, 255, true);
  }
  WriteStreamFiles(state, report, usable);
  WriteOne(report, usable, "project", state.ProjectFileName,
           [&] { return WriteProjectFile(state.ProjectFileName, state.config().Project); });
  const std::string device_config = DeviceConfigPath(state);
  WriteOne(report, usable, "device configuration", device_config,
           [&] { return WriteDeviceConfig(state); });

  const std::vector<std::string> failed = report.FailedFiles();
  if (!failed.empty()) {
    std::string text = "FILES NOT WRITTEN:";
    for (const std::string& path : failed) text += "\r\n" + path;
    LogMessage(text, static_cast<int>(failed.size()));
  }
  return report;
}

void WriteStreamSetups(RunState& state, SetupFilesReport& report) {
  WriteStreamFiles(state, report, true);
}

std::string StreamFileTitle(const RunState& state, int stream, const std::string& name) {
  if (!name.empty()) {
    fs::path path(name);
    if (path.is_relative() && !StartDirectory().empty()) path = fs::path(StartDirectory()) / path;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
      const std::string title = FileTitle(name);
      // A file whose name is all extension gives no title to name the output after.
      if (!title.empty()) return title;
    }
  }
  return FileTitle(state.ProjectFileName) + "_" + FixedText(2, 0, stream + 1);
}

bool WriteDeviceConfig(RunState& state) {
  const std::string path = DeviceConfigPath(state);
  std::array<bool, kDruxDevicePrograms.size()> enabled{};
  if (state.config().NumStreams > 0) enabled[2] = true;
  bool written = true;
  for (std::size_t i = 0; i < kDruxDevicePrograms.size(); ++i) {
    written = WriteIniYesNo(path, "DEVICE ENABLE", FileTitle(std::string(kDruxDevicePrograms[i])),
                            enabled[i]) &&
              written;
  }
  for (std::string_view program : kDruxDevicePrograms) {
    written =
        WriteIniYesNo(path, "DEVICE SIMULATE", FileTitle(std::string(program)), false) && written;
  }
  written = FlushIniFile(path) && written;
  if (!written) LogError("FAILED WRITING DEVICE CONFIGURATION FILE " + path, 255, true);
  return written;
}

}  // namespace tessel
