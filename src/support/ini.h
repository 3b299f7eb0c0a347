// INI settings files: "[section]" lines and "key=value" lines, section and key names
// matched without regard to case, untouched sections and keys kept as they are, CR LF
// line ends. Every write rewrites the file at once through a temporary file that then
// replaces the original, so a crash never leaves half a file and a caller that forgets
// FlushIniFile loses nothing. Nothing is cached: reads always see the file as it is
// (a file deleted between writes starts afresh). Values read are at most 1,023
// characters; a file larger than a settings file can be (4 MiB) is neither read nor
// replaced.
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
// Writes key=value in the section, creating file, section and key as needed. Refuses
// (false) names and values that would break the line structure (CR, LF, '=' in a key,
// ']' in a section), and never replaces a file that exists but cannot be read whole.
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
bool WriteIniInt(const std::string& file, const std::string& section, const std::string& key,
                 int value);
bool WriteIniYesNo(const std::string& file, const std::string& section, const std::string& key,
                   bool value);
// Makes the file's writes durable on disk and flushes all open stdio streams; false when
// a write of that file failed (or was refused) since the last flush.
bool FlushIniFile(const std::string& file);

}  // namespace tessel
