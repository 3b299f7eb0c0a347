// The binary PDbase file ("PBIN"): the header image followed by one record image per
// tag, nothing else; the record count follows from the file length.
//
// Files of older versions are upgraded on loading (header fields added or redefined by
// later versions, record fixes). A load is all or nothing: a file that is not exactly a
// header plus whole records, holds more than 65 536 records or cannot be read leaves
// the database as it was and returns false with a log line and an error box.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "pdbase/pdbase.h"

namespace tessel {

// The version this program writes.
inline constexpr double kPdbaseFileVersion = 26.0;

// The binary file belonging to a PDbase file name: the name up to the first ".pdb" (or,
// failing that, ".pbin") of its file-name part, matched in any case, + ".pbin" when the
// matched extension is all lower case, ".PBIN" otherwise. Empty when the file-name part
// has neither or nothing stands before the match.
std::string PbinFileName(const std::string& name);

// Writes header and records to PbinFileName(file_name), Access Code cut to its four
// low bits and texts zero-filled past their terminators in what is written. Sets the
// header's FileVersion to 26.0. False, with an error line and box, when the file cannot
// be created or written whole (an incomplete file is removed).
bool SaveToFilePDbaseBinary(pdbaseheaderstruct& header, const std::string& file_name,
                            std::span<const pdbaseparamstruct> records);

// Called after every 100th record read with the slot and the records read so far;
// returning false cancels the load (the database is left as it was).
using PdbaseLoadProgress = std::function<bool(std::uint32_t slot_index, std::int32_t loaded)>;

// Replaces the database's header and records with those of the binary file belonging
// to file_name (or file_name itself when it names no PDbase file), stamping the records
// with slot_index and recomputing their run-time fields; sets NumWords to the largest
// CVT Location + 1. True when the whole file was loaded.
bool loadfromfilepdbasebinary(std::uint32_t slot_index, pdbaseclass& database,
                              const std::string& file_name,
                              const PdbaseLoadProgress& progress = {});

// Samples per second of an embedded-audio rate index of files older than version 19.
std::int32_t AudioSampleRateOfIndex(std::int32_t index);

}  // namespace tessel
