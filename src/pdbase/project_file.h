// The project file: the settings file that tells the DRUX system which streams a
// converted recording has and where each stream's PDbase and DDbase files are.
//
// The program only writes project files. The file has three sections ("FILE VERSION",
// "PROJECT_INFO" with 10 keys, "STREAM_INFO" with 64 keys), written key by key through
// the settings-file functions in a fixed order.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tessel {

// Version of the project record and of the file it is written to.
inline constexpr std::int32_t kProjectFileVersion = 4;
// Stream slots of a project.
inline constexpr int kProjectStreams = 8;
// DRUX device programs the converter names: the serial decom and the unused hardware.
inline constexpr std::int32_t kSerialDeviceApplication = 2;
inline constexpr std::int32_t kNonSerialDeviceApplication = 12;

// One device card of the DRUX system.
struct prjindexcardstruct {
  std::int32_t Application = 0;  // index of the DRUX device program serving the card
  std::int32_t CardNumber = 0;
  std::string SetupFile;  // the card's setup file path
};

// The project record; ResetProjectFile gives every field its reset value.
struct projectfilestruct {
  std::int32_t RecordVersion = kProjectFileVersion;
  std::string ProjectFileName;  // full path of the project file
  std::string DerivedListFn;
  std::string FunctionListFn;
  std::string DisplayListFn;
  std::string DisplayPageFn;
  std::string QuarnProjectName;
  std::array<std::string, 3> Notes;
  std::int32_t SystemTimeSource = 0;
  std::array<std::uint8_t, kProjectStreams> StreamIncluded{};   // 0 or 1
  std::array<std::string, kProjectStreams> StreamPdbase;        // PDbase path (".PDB")
  std::array<prjindexcardstruct, kProjectStreams> SerialCards;  // setup file: DDbase path
  std::array<prjindexcardstruct, kProjectStreams> NonSerialCards;
};

// Every field to its reset value: version 4, empty texts, no stream included, serial
// card i = (2, i, ""), non-serial card i = (12, -1, "").
void ResetProjectFile(projectfilestruct& project);

// The first note of every converted project.
inline constexpr const char* kConvertedProjectNote = "Converted Chapter 10 Archive";

// What Convert puts into the record besides the streams: the project file's path, time
// source 0, the note "Converted Chapter 10 Archive" and the recording's path as given.
void SetConvertedProject(projectfilestruct& project, const std::string& project_file_name,
                         const std::string& ch10_file_name);
// Marks stream `index` (0..7) included with its PDbase and DDbase paths; false (record
// unchanged) for an index outside 0..7.
bool SetConvertedStream(projectfilestruct& project, int index, const std::string& pdbase_path,
                        const std::string& ddbase_path);

// The project file path for a name the operator chose: its directory as chosen, then the
// upper-cased file title ("CH10DEFAULT" when it has none) and ".PRJ".
// "/x/Run/plan.prj" gives "/x/Run/PLAN.PRJ".
std::string ProjectFilePathFor(const std::string& chosen_path);

// Deletes the file at `path` (an error line and beep when that fails, as it does for a
// new file) and writes the three sections. False, with an error line and box, when the
// file could not be written whole.
bool WriteProjectFile(const std::string& path, const projectfilestruct& project);

}  // namespace tessel
