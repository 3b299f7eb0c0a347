// The decom setup (DDbase) file, extension "B72": one stream's decom setup, simulator,
// bit synchroniser and trailer blocks as raw byte images, each behind a 17-byte block
// header (int32 version, uint8 1, int32 0, int32 0, int32 tag).
//
//   offset       size  content
//        0         17  block header, tag 2
//       17         12  int32 11, int32 0, bytes 1 0 1 0
//       29    262 368  decomsetupstruct
//  262 397         17  block header, tag 0
//  262 414     65 876  simsetupstruct
//  328 290         17  block header, tag 0
//  328 307         36  bitsyncsetupstruct
//  328 343         17  block header, tag 0
//  328 360         20  trailer block, its first int32 written as 0
//
// Files of older versions are read with their fixes: below version 2 the SFID start
// bit is recomputed, below version 3 the PCM code is reset to NRZL. This program writes
// version 2, so every import resets the PCM code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/decom_setup.h"

namespace tessel {

struct pcmsetupinfo;

inline constexpr std::int32_t kDdbaseFileVersion = 2;
inline constexpr std::size_t kDdbaseBlockHeaderBytes = 17;
inline constexpr std::size_t kDdbaseFileBytes = 328380;

// The bytes of a DDbase file holding the four blocks. Text fields are zero-filled past
// their terminator (and terminated in their last byte when a damaged record has none).
std::vector<std::uint8_t> DdbaseFileImage(const decomsetupstruct& decom, const simsetupstruct& sim,
                                          const trailerblockstruct& trailer,
                                          const bitsyncsetupstruct& bitsync);

// Writes the DDbase file; true only when all 328 380 bytes reached the file. A file that
// cannot be created logs "FAILED OPENING FILE FOR SAVE <path>", a failed write logs the
// system's reason (both with an error beep and box); an incomplete file is removed.
bool WriteDdbaseFile(const std::string& path, const decomsetupstruct& decom,
                     const simsetupstruct& sim, const trailerblockstruct& trailer,
                     const bitsyncsetupstruct& bitsync);
// The same for the blocks of one stream's setup.
bool WriteDdbaseFile(const std::string& path, const pcmsetupinfo& setup);

// Reads a DDbase file (a relative path is taken from the start directory) and applies
// the version fixes; the decom setup is validated (an error beep when that fails, the
// record as the validation left it), a simulator block with out-of-range settings is
// reset to its defaults, the bit synchroniser keeps its hardware type, and the decom
// setup takes the bit synchroniser's bit rate. False, with a log line and all three
// records unchanged, when the file is missing, unreadable or ends inside any record.
bool ReadDdbaseFile(const std::string& path, decomsetupstruct& decom, simsetupstruct& sim,
                    bitsyncsetupstruct& bitsync);

}  // namespace tessel
