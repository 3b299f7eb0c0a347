// Reset, filling and writing of the project record.
#include "pdbase/project_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "support/files.h"
#include "support/format.h"
#include "support/ini.h"
#include "support/log.h"

namespace tessel {

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Collects the settings-file writes of one file; remembers whether every one succeeded.
class IniWriter {
 public:
  explicit IniWriter(std::string path) : path_(std::move(path)) {}
  void Section(std::string section) { section_ = std::move(section); }
  void Text(const std::string& key, const std::string& value) {
    whole_ = WriteIniString(path_, section_, key, value) && whole_;
  }
  void Number(const std::string& key, std::int32_t value) {
    whole_ = WriteIniInt(path_, section_, key, value) && whole_;
  }
  // Commits the writes; true when the file was written whole.
  bool Finish() { return FlushIniFile(path_) && whole_; }

 private:
  std::string path_;
  std::string section_;
  bool whole_ = true;
};

}  // namespace

void ResetProjectFile(projectfilestruct& project) {
  project = projectfilestruct{};
  for (int i = 0; i < kProjectStreams; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    project.SerialCards[slot] = {kSerialDeviceApplication, i, ""};
    project.NonSerialCards[slot] = {kNonSerialDeviceApplication, -1, ""};
  }
}

void SetConvertedProject(projectfilestruct& project, const std::string& project_file_name,
                         const std::string& ch10_file_name) {
  project.ProjectFileName = project_file_name;
  project.SystemTimeSource = 0;
  project.Notes[0] = kConvertedProjectNote;
  project.Notes[1] = ch10_file_name;
}

bool SetConvertedStream(projectfilestruct& project, int index, const std::string& pdbase_path,
                        const std::string& ddbase_path) {
  if (index < 0 || index >= kProjectStreams) return false;
  const auto slot = static_cast<std::size_t>(index);
  project.StreamIncluded[slot] = 1;
  project.StreamPdbase[slot] = pdbase_path;
  project.SerialCards[slot].SetupFile = ddbase_path;
  return true;
}

std::string ProjectFilePathFor(const std::string& chosen_path) {
  std::string title = FileTitle(chosen_path);
  if (title.empty()) title = "Ch10Default";
  const std::filesystem::path directory = std::filesystem::path(chosen_path).parent_path();
  return (directory / (UpperAscii(title) + ".PRJ")).string();
}

bool WriteProjectFile(const std::string& path, const projectfilestruct& project) {
  // Any earlier file of that name is replaced, not merged into.
  std::error_code error;
  if (!std::filesystem::remove(path, error) || error) {
    LogError("File could not be deleted " + path, 255, false);
  }

  IniWriter ini(path);
  ini.Section("FILE VERSION");
  ini.Number("FileVersion", kProjectFileVersion);

  ini.Section("PROJECT_INFO");
  ini.Text("ProjectFileName", project.ProjectFileName);
  ini.Number("SystemTimeSource", project.SystemTimeSource);
  for (std::size_t k = 0; k < project.Notes.size(); ++k) {
    ini.Text("Note_" + FixedText(1, 0, static_cast<double>(k)), project.Notes[k]);
  }
  ini.Text("DerivedListFn", project.DerivedListFn);
  ini.Text("FunctionListFn", project.FunctionListFn);
  ini.Text("DisplayListFn", project.DisplayListFn);
  ini.Text("DisplayPageFn", project.DisplayPageFn);
  ini.Text("QuarnProjectName", project.QuarnProjectName);

  ini.Section("STREAM_INFO");
  for (std::size_t i = 0; i < kProjectStreams; ++i) {
    const std::string stream = "Stream_" + FixedText(2, 0, static_cast<double>(i));
    const prjindexcardstruct& card = project.SerialCards[i];
    ini.Number(stream + "_Included", project.StreamIncluded[i] != 0 ? 1 : 0);
    ini.Text(stream + "_PDbase", project.StreamPdbase[i]);
    ini.Number(stream + "_Serial Device Application_", card.Application);
    ini.Number(stream + "_Serial Device CardNum_", card.CardNumber);
    ini.Text(stream + "_Serial Device Setup_", card.SetupFile);
  }
  for (std::size_t i = 0; i < kProjectStreams; ++i) {
    const std::string hardware = "Hardware_" + FixedText(2, 0, static_cast<double>(i));
    const prjindexcardstruct& card = project.NonSerialCards[i];
    ini.Number(hardware + "_NonSerial Device Application_", card.Application);
    ini.Number(hardware + "_NonSerial Device CardNum_", card.CardNumber);
    ini.Text(hardware + "_NonSerial Device Setup_", card.SetupFile);
  }

  if (!ini.Finish()) {
    LogError("FAILED WRITING PROJECT FILE " + path, 255, true);
    return false;
  }
  return true;
}

}  // namespace tessel
