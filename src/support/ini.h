// INI settings files: "[section]" lines and "key=value" lines, section and key names
// matched without regard to case, untouched sections and keys kept as they are, CR LF
// line ends. Writes are kept in memory per file and committed by FlushIniFile, which
// writes a temporary file and replaces the original, so a crash never leaves half a file.
#pragma once

#include <string>

namespace tessel {

// A value equal to this text reads as missing.
inline constexpr const char* kIniSentinel = "BOGUS SECTION or KEY";

// False (out unchanged) when the file, section or key is missing.
bool ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                   std::string& value);
// As ReadIniString, then ParseInt of the value.
bool ReadIniInt(const std::string& file, const std::string& section, const std::string& key,
                int& value);
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
bool WriteIniInt(const std::string& file, const std::string& section, const std::string& key,
                 int value);
bool WriteIniYesNo(const std::string& file, const std::string& section, const std::string& key,
                   bool value);
// Commits pending writes of that file to disk; false when it could not be written whole.
bool FlushIniFile(const std::string& file);

}  // namespace tessel
