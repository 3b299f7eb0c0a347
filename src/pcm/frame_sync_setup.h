// What a PCM frame synchroniser needs from a decom setup, checked once.
//
// Both synchronisers (the fast `pcmframesyncclass` and the step-by-step
// `referenceframesyncclass`) take their minor-frame layout from MakeFrameSyncLayout:
// word lengths, frame bits, chunk size, the synchronisation pattern as 64 binary
// digits, the pattern's word count for trailing patterns and the subframe-ID check.
// A setup the synchroniser cannot work with safely (no bits, chunks of 0 or more than
// 16 383 words, words of 0 or more than 64 bits, a pattern outside 1..64 bits or longer
// than the frame, an unreadable pattern text, an SFID field outside the frame) is
// refused with a readable reason; the synchroniser then stays inactive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/decom_setup.h"

namespace tessel {

// Why the last call returned what it did.
enum class FrameSyncStatus {
  kLocked,          // pattern found (or G mode), frame read, all checks passed
  kInactive,        // the setup was refused, or no setup yet
  kRawStream,       // word mode: raw streams are not synchronised
  kChunkRefused,    // the bit stream is full; the chunk was not taken
  kShortOfBits,     // fewer than two frames' worth buffered, or a word could not be read whole
  kNoPattern,       // the search met no pattern within one frame's worth of positions
  kNotContiguous,   // trailing pattern: the previous read does not end where this pattern starts
  kSfidOutOfRange,  // the subframe ID lies outside FirstFrame..LastFrame
};

// A short name of the status, for logs and test messages.
const char* FrameSyncStatusText(FrameSyncStatus status);

// The largest chunk a synchroniser takes, in 16-bit words.
inline constexpr int kFrameSyncMaxChunkWords = 16383;
// Word lengths the synchroniser assembles, in bits.
inline constexpr int kFrameSyncMaxWordBits = 64;

struct FrameSyncLayout {
  bool ok = false;
  std::string error;                // why the setup was refused; empty when ok
  bool bit_mode = true;             // false: word mode (raw stream), nothing is synchronised
  int words_per_frame = 0;          // W
  std::vector<int> word_bits;       // iWdLen of words 0..W-1
  int frame_bits = 0;               // F, the sum of word_bits
  int chunk_units = 0;              // F / 16 (bit mode) or W (word mode): words per chunk
  bool leads = true;                // the pattern opens the minor frame
  bool g_mode = false;              // take the data without checking lock
  int pattern_bits = 0;             // L
  std::string pattern_text;         // the pattern as 64 binary digits, "X" = don't care
  std::uint64_t pattern_value = 0;  // the last L digits as a number, don't-care bits 0
  int pattern_words = 0;            // n: pattern words moved to the end for trailing patterns
  int pattern_word_bits = 0;        // the bits of words 0..n-1
  bool sfid_check = false;
  int sfid_index = 0;   // word holding the subframe ID, counted from 0
  int sfid_mask = 0;    // bits of that word holding the ID
  int sfid_shift = 0;   // right shift that brings the ID to bit 0
  int first_frame = 0;  // FirstFrame..LastFrame: accepted IDs
  int last_frame = 0;
};

// Reads and checks the setup. In word mode only the word count is needed and checked.
FrameSyncLayout MakeFrameSyncLayout(bool bit_mode, const decomsetupstruct& setup);

// Writes the reason a layout was refused to the log as an error line (code 1).
void LogFrameSyncRefusal(const FrameSyncLayout& layout);

}  // namespace tessel
