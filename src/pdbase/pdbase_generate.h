// Parameter databases derived from a stream's decom setup, so that the DRUX system can
// replay every stream converted even though TMATS names no measurements: one raw
// "COUNTS" tag per word of the minor frame (PCM), or one tag over the whole transport
// packet (video, whose decom setup is set to a fixed 188-byte layout first).
//
// Also the header fields kept in step with the decom setup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdbase/pdbase.h"

namespace tessel {

struct decomsetupstruct;

// Frees the records, zeroes the header and the counts, then fills the header from the
// decom setup (PCM, version 26, geometry, SFID, word length, bit rate) with the first
// originator line "PDbase NOTES:".
void InitPdbaseHeader(pdbaseclass& database, const decomsetupstruct& decom);
// Copies only the decom-derived header fields; records and counts stay.
void SyncPdbaseHeader(pdbaseclass& database, const decomsetupstruct& decom);
// The fixed layout of an MPEG transport stream carried like PCM: 188 eight-bit words,
// sync byte 47 hex leading, one subframe, 3 000 000 bit/s.
void SetVideoDecomDefaults(decomsetupstruct& decom);

// An 18-character tag name: blanks removed, upper case, only "_", letters and digits,
// padded with blanks or cut, a leading digit replaced by "_".
std::string MakeTagName(std::string_view text);
// The default raw tag for word `word` (counted from 1) of frame `frame` (counted from 0).
pdbaseparamstruct MakeCountsTag(std::int32_t frame, std::int32_t word, const pdbaseclass& database);
// Stores a PCM placement in hardware fields 0 to 5 (negative values as 0).
void SetTagPlacement(pdbaseparamstruct& tag, std::int32_t frame_start, std::int32_t word_start,
                     std::int32_t frame_interval, std::int32_t frame_stop,
                     std::int32_t word_interval, std::int32_t word_stop);

// Tags at one hardware location share a Word Name; PTT Locations number the tags in
// Parameter Name order, CVT Locations the distinct Word Names in name order. The list
// ends sorted by Parameter Name.
void AssignTagLocations(std::int32_t dbase_type, std::vector<pdbaseparamstruct>& tags);

// Rebuilds the database with one tag per word of the minor frame, each reading its word
// in every subframe.
void GeneratePcmPdbase(const decomsetupstruct& decom, pdbaseclass& database);
// Sets the video layout in the decom setup and rebuilds the database with one tag over
// the whole packet and the embedded-video header fields.
void GenerateVideoPdbase(decomsetupstruct& decom, pdbaseclass& database);

}  // namespace tessel
