// The ASCII PDbase file: the human-readable form of one stream's parameter database
// for the DRUX system. A comment block documenting the format (ending "***"), the
// header values one per line (ending "*.*"), then one line of 58 TAB-separated fields
// per tag. Lines end with CR LF. This program writes the format and never reads it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "pdbase/pdbase.h"

namespace tessel {

// The comment block, title line of the database type included, ending with "***".
std::vector<std::string> PdbaseCommentLines(std::int32_t dbase_type);
// The 58 column titles joined by TAB; the hardware titles follow the database type.
std::string PdbaseTitleLine(std::int32_t dbase_type);
// The header section: one value per line in the header's order, then "*.*".
std::vector<std::string> PdbaseHeaderLines(const pdbaseheaderstruct& header);
// The 58 fields of one tag joined by TAB (Access Code AND 15, a negative Stream Part as 0).
std::string PdbaseParamLine(const pdbaseparamstruct& param);

// Writes the three sections to file_name, creating or emptying it. Sets the header's
// FileVersion to 26.0 and a negative Stream Part of any record to 0 before writing.
// False, with an error line and box, when the file cannot be created or written whole
// (an incomplete file is removed).
bool SaveToAsciiFilePDbase(pdbaseheaderstruct& header, const std::string& file_name,
                           std::span<pdbaseparamstruct> records);

// Writes the database's binary file (PbinFileName(file_name)) and its ASCII file
// (file_name, extension "PDB"). Both are attempted; true when both were written.
bool WritePdbaseFiles(const std::string& file_name, pdbaseclass& database);

}  // namespace tessel
