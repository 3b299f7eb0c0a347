// Text forms of the synthetic recording options (what the command line takes) and the
// description of a written recording (what it prints).
#pragma once

#include <cstdint>
#include <string>

#include "ch10/synthetic.h"

namespace tessel {

// Applies one per-stream override "N:key=value,key=value" to PCM stream N (from 1), or
// "vN:key=value,.." to video stream N. PCM keys: id, rate, words, wordlen, subframes,
// pattern (hex), patlen, sync (lead|trail), offset, noise, mode
// (throughput|packed|unpacked), align (16|32); video keys: id, rate. A pattern without
// patlen gets 4 bits per hex digit. Returns an empty text when applied, else why not;
// on failure the options are unchanged.
std::string ApplySynthStreamOverride(const std::string& text, SynthOptions& options);

// Reads "DDD:HH:MM:SS[.fff]" (day of year, time of day) into day and seconds of day.
bool ParseSynthStartTime(const std::string& text, int& day, double& seconds);
// Reads a hexadecimal pattern text ("FE6B2840" or "0xFE6B2840", 1 to 16 digits).
bool ParseSynthPattern(const std::string& text, std::uint64_t& pattern, int& digits);
// Reads "throughput", "packed" or "unpacked".
bool ParseSynthPacking(const std::string& text, SynthPacking& packing);

// Lines describing what was written: the file and its size, the time channel, and per
// stream its channel ID, bit rate, packing and minor frame layout.
std::string DescribeSyntheticRecording(const SynthOptions& options, const SynthResult& result,
                                       const std::string& path);

}  // namespace tessel
