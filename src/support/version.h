// The program's name and version, as the log banner and --version show them.
#pragma once

namespace tessel {

inline constexpr const char* kProgramName = "Tessel";
inline constexpr const char* kProgramVersion = TESSEL_VERSION;

}  // namespace tessel
