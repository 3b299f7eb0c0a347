// Defaults, reading and writing of the program options.
#include "pdbase/options_file.h"

#include <filesystem>
#include <system_error>

#include "support/clock.h"
#include "support/files.h"
#include "support/format.h"
#include "support/ini.h"
#include "support/log.h"

namespace tessel {

namespace {

namespace fs = std::filesystem;

// Where the DRUX system keeps its setup files, below its installation directory.
const fs::path kPdbaseSubdirectory = fs::path("USER") / "SERVERFILES" / "PDBASE";
const fs::path kDdbaseSubdirectory = fs::path("USER") / "SERVERFILES" / "DDBASE";

// The directory as text with a trailing separator, as the dialogs are given it.
std::string DirectoryText(const fs::path& directory) {
  return (directory / "").string();
}

// A whole decimal number: at least one digit, nothing left over.
bool ParseWholeNumber(const std::string& text, int& value) {
  if (text.find_first_of("0123456789") == std::string::npos) return false;
  return ParseInt(text, value);
}

}  // namespace

std::string OptionsFilePath(const std::string& start_directory) {
  return (fs::path(start_directory) / kOptionsFileName).string();
}

void SetDefaultOptions(ch10progoptionstruct& options, const std::string& start_directory) {
  const fs::path start(start_directory);
  options.ScreenX = 20;
  options.ScreenY = 300;
  options.OrigFileDir = start_directory;
  options.ConvertedFileDir = start_directory;

  // The program normally sits in the DRUX installation directory or one level below it.
  if (DirectoryExists((start / kPdbaseSubdirectory).string())) {
    options.PDbaseDir = DirectoryText(start / kPdbaseSubdirectory);
    options.DDbaseDir = DirectoryText(start / kDdbaseSubdirectory);
  } else if (DirectoryExists((start / ".." / kPdbaseSubdirectory).string())) {
    // Kept relative: the start directory is the current directory whenever it is used.
    options.PDbaseDir = DirectoryText(fs::path("..") / kPdbaseSubdirectory);
    options.DDbaseDir = DirectoryText(fs::path("..") / kDdbaseSubdirectory);
  } else {
    options.PDbaseDir = start_directory;
    options.DDbaseDir = start_directory;
    BeepError();
  }
}

void SetDefaultOptions(ch10progoptionstruct& options) {
  std::string start = StartDirectory();
  if (start.empty()) {
    std::error_code error;
    start = fs::current_path(error).string();
  }
  SetDefaultOptions(options, start);
}

void ReadProgramOptions(const std::string& path, ch10progoptionstruct& options) {
  if (!PathExists(path)) return;
  struct DirectoryKey {
    const char* key;
    std::string ch10progoptionstruct::*field;
  };
  static constexpr DirectoryKey kDirectories[] = {
      {"OrigFileDir", &ch10progoptionstruct::OrigFileDir},
      {"ConvertedFileDir", &ch10progoptionstruct::ConvertedFileDir},
      {"PDbaseDir", &ch10progoptionstruct::PDbaseDir},
      {"DDbaseDir", &ch10progoptionstruct::DDbaseDir},
  };
  for (const DirectoryKey& entry : kDirectories) {
    std::string value;
    if (ReadIniString(path, kOptionsSection, entry.key, value) && DirectoryExists(value)) {
      options.*entry.field = value;
    }
  }
  struct NumberKey {
    const char* key;
    std::int32_t ch10progoptionstruct::*field;
  };
  static constexpr NumberKey kNumbers[] = {
      {"ScreenX", &ch10progoptionstruct::ScreenX},
      {"ScreenY", &ch10progoptionstruct::ScreenY},
  };
  for (const NumberKey& entry : kNumbers) {
    std::string text;
    int value = 0;
    if (ReadIniString(path, kOptionsSection, entry.key, text) && ParseWholeNumber(text, value)) {
      options.*entry.field = value;
    }
  }
}

bool WriteProgramOptions(const std::string& path, const ch10progoptionstruct& options) {
  bool whole = WriteIniString(path, kOptionsSection, "OrigFileDir", options.OrigFileDir);
  whole =
      WriteIniString(path, kOptionsSection, "ConvertedFileDir", options.ConvertedFileDir) && whole;
  whole = WriteIniString(path, kOptionsSection, "PDbaseDir", options.PDbaseDir) && whole;
  whole = WriteIniString(path, kOptionsSection, "DDbaseDir", options.DDbaseDir) && whole;
  whole = WriteIniInt(path, kOptionsSection, "ScreenX", options.ScreenX) && whole;
  whole = WriteIniInt(path, kOptionsSection, "ScreenY", options.ScreenY) && whole;
  whole = FlushIniFile(path) && whole;
  if (!whole) LogError("FAILED WRITING PROGRAM OPTIONS " + path, 255, false);
  return whole;
}

}  // namespace tessel
