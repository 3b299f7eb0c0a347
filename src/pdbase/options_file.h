// The program options: where the operator last took recordings from and put converted
// files, where PDbase and DDbase files were last loaded from, and where the main window
// stood. Kept in "Tessel.Cfg" in the start directory, section "Program Options".
#pragma once

#include <cstdint>
#include <string>

namespace tessel {

inline constexpr const char* kOptionsFileName = "Tessel.Cfg";
inline constexpr const char* kOptionsSection = "Program Options";

// The program options record (the settings key of each field in brackets).
struct ch10progoptionstruct {
  std::string OrigFileDir;       // ("OrigFileDir") directory of the last loaded recording
  std::string ConvertedFileDir;  // ("ConvertedFileDir") directory of the last project file
  std::string PDbaseDir;         // ("PDbaseDir") directory of the last loaded PDbase file
  std::string DDbaseDir;         // ("DDbaseDir") directory of the last imported DDbase file
  std::int32_t ScreenX = 20;     // ("ScreenX") main window's left edge, pixels
  std::int32_t ScreenY = 300;    // ("ScreenY") main window's top edge, pixels
};

// The path of the options file: `start_directory` joined with "Tessel.Cfg".
std::string OptionsFilePath(const std::string& start_directory);

// The defaults for a program started in `start_directory` (d): window at 20, 300; the
// recording and converted file directories d; PDbase and DDbase directories
// d/USER/SERVERFILES/PDBASE/ and .../DDBASE/ when that PDbase directory exists, else
// ../USER/SERVERFILES/PDBASE/ and .../DDBASE/ (relative to d) when that one exists, else d
// for both with an error beep. Only the PDbase directory is looked for.
void SetDefaultOptions(ch10progoptionstruct& options, const std::string& start_directory);
// The same for StartDirectory() (the current directory when no log has started).
void SetDefaultOptions(ch10progoptionstruct& options);

// Takes from the file each directory that names an existing directory and each window
// position that is a whole decimal number; leaves the other fields as they are. Nothing
// happens when the file does not exist.
void ReadProgramOptions(const std::string& path, ch10progoptionstruct& options);

// Writes the six keys (other keys of the file stay). False, with an error line, when
// the file could not be written whole.
bool WriteProgramOptions(const std::string& path, const ch10progoptionstruct& options);

}  // namespace tessel
