// The two working commands of the main window, without a screen.
//
// File, Load picks a recording through the open-file dialog, runs the stream chooser
// and, when it keeps a stream, the stream setup dialog. Convert picks a project file
// and writes into its directory, per chosen stream, the PDbase files (ASCII and binary)
// and the DDbase file, then the project file and the device configuration file; the
// conversion run then takes the run state.
//
// Every file is written whole or reported: its writer logs the failure with an error
// box, and the report returned here says which files were written and which were not.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_state.h"
#include "app/stream_chooser.h"
#include "app/stream_setup_dialog.h"

namespace tessel {

// The device configuration file in the project directory.
inline constexpr const char* kDeviceConfigFileName = "VeltraneDeviceCfg.Cfg";
// The DRUX device programs named in the device configuration, in their fixed order;
// the third is the serial decom program that replays converted streams.
extern const std::array<std::string_view, 12> kDruxDevicePrograms;

// The view's modal part of each dialog Load runs (see RunStreamChooser and
// RunStreamSetupDialog); empty functions close the dialogs at once.
struct LoadDialogs {
  std::function<void(StreamChooser&)> chooser;
  std::function<void(StreamSetupDialog&)> setup;
};

enum class LoadOutcome {
  Cancelled,  // no recording was chosen; none is loaded
  NoStream,   // the chooser was cancelled or kept no stream
  Loaded,     // the streams are set up (whatever the setup dialog's check said)
};

// File, Load: resets the stream setups and forgets the recording, asks for a recording
// (suggesting the previous one), takes it (SetLoadedRecording), runs the chooser and,
// when it keeps a stream, the setup dialog.
LoadOutcome LoadRecording(RunState& state, const LoadDialogs& dialogs);

// Takes `path` as the loaded recording, its case kept: Ch10FileName, the options' last
// recording directory and the default project name (the recording's file title).
void SetLoadedRecording(RunState& state, const std::string& path);

// One file Convert writes.
struct WrittenFile {
  std::string kind;  // "PDbase ASCII", "PDbase binary", "DDbase", "project", "device configuration"
  std::string path;
  bool written = false;  // the whole file reached the disk
};

struct SetupFilesReport {
  bool project_chosen = false;  // false: the file dialog was cancelled, nothing written
  std::vector<WrittenFile> files;
  bool AllWritten() const;
  // Paths of the files that were not written whole.
  std::vector<std::string> FailedFiles() const;
};

// Convert's preparation: asks for a project file (a name that does not exist yet is
// fine) and writes the setup files for it (WriteSetupFiles).
SetupFilesReport PrepareConversion(RunState& state);

// Writes the setup files for the project file the operator chose: the options' last
// project directory := its directory D; ProjectFileName := D + the upper-cased title
// ("CH10DEFAULT" without one) + ".PRJ"; WriteStreamSetups; the project file;
// WriteDeviceConfig. A relative choice is taken from the current directory. When D does
// not exist nothing is written: one error box says so and every file is reported
// unwritten.
SetupFilesReport WriteSetupFiles(RunState& state, const std::string& chosen_project_path);

// Fills the project record and writes, per chosen stream i, its PDbase files
// (D/StreamFileTitle(i, PdbaseFileName).PDB and the binary file beside it) and its DDbase
// file (D/StreamFileTitle(i, DecomSetupFileName).B72), adding them to `report`.
void WriteStreamSetups(RunState& state, SetupFilesReport& report);

// The title of a stream's output file: the file title of `name` when it names an
// existing file (a relative name is taken from the start directory), else the project's
// file title + "_" + the stream number from 1 (PLAN_1).
std::string StreamFileTitle(const RunState& state, int stream, const std::string& name);

// Sets ProjectTitle and ProjectDirectory from ProjectFileName and writes the device
// configuration there: section "DEVICE ENABLE" with each program's key "YES" when
// enabled (the third, when at least one stream is set up) else "NO", section "DEVICE
// SIMULATE" with every key "NO". False, with an error line and box, when the file could
// not be written whole.
bool WriteDeviceConfig(RunState& state);

}  // namespace tessel
