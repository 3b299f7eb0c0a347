// Reading an archive file back: its header lines and fields, its layout and its records.
//
// The reader is a bounded parser for files that may be damaged or hostile: the header
// is read from its fixed 5 121 bytes, every number is range-checked before it sizes
// anything, and a record is only read when the file holds all of it. A file whose
// header cannot be used is refused with a reason; a file whose size is not the header
// plus whole records is read up to its last whole record and reported (LayoutError).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pcm/archive.h"
#include "support/files.h"

namespace tessel {

// One "name :value" header line; the name without the colon and trailing blanks.
struct ArkHeaderField {
  std::string name;
  std::string value;
  bool operator==(const ArkHeaderField&) const = default;
};

// What the header says.
struct ArkHeaderInfo {
  std::vector<std::string> lines;      // the lines before the fill, without CR LF
  std::vector<ArkHeaderField> fields;  // the "name :value" lines before the notes, in order
  arkheaderstruct header;              // the fields read back (notes trimmed of blanks)
  int start_year = 0;                  // the year on the Start Time line
  int stop_year = 0;                   // the year on the Stop Time line
  std::size_t fill_bytes = 0;          // 'A' bytes between the last line and the final CR LF
  bool frames_decodable = false;      // the serial block is whole frames of WordsPerFrame + 5 words
  std::vector<std::string> problems;  // what is odd but leaves the records readable

  // The value of the first field named `name`; nullptr when there is none.
  const std::string* Field(std::string_view name) const;
};

// Reads the header from the first 5 121 bytes of an archive. False with `error` when
// they are not 5 120 bytes of CR LF lines and fill followed by a NUL, the title is
// wrong, or a field needed to find the records is missing, not a number or does not
// add up.
bool ParseArkHeader(std::span<const std::uint8_t> bytes, ArkHeaderInfo& info, std::string& error);

// Parses "DDD:HH:MM:SS.ffffff" into seconds of the year; false when it is not one.
bool ParseArkTimeText(std::string_view text, double& seconds);

// The five header words of a minor frame read back.
struct ArkFrameHeader {
  std::array<std::uint16_t, kArkFrameHeaderWordCount> words{};  // as stored in the record
  ArkTime time;                                                 // from the BCD of words 1 to 4
  bool time_is_bcd = false;  // every nibble a decimal digit and word 1's top nibble 0
  int subframe_id = 0;       // bits 9 to 0 of word 5
  bool marker_ok = false;    // bits 15 to 10 of word 5 are 011100 (0x7000)
  // The time as seconds of the year.
  double TimeOfYear() const;
};

ArkFrameHeader DecodeArkFrameHeader(std::span<const std::uint16_t, kArkFrameHeaderWordCount> words);

struct ArkFrame {
  ArkFrameHeader header;
  std::vector<std::uint16_t> words;  // WordsPerFrame data words
};

// One record read back.
struct ArkRecord {
  double time_stamp = 0.0;
  std::int8_t spare1 = 0;
  std::int8_t spare2 = 0;
  std::uint16_t run_number = 0;
  std::vector<ArkFrame> frames;  // empty unless the header's frames are decodable
  std::vector<double> device_values;
};

// Decodes one record laid out as `info` says; false when `bytes` is shorter than
// BlockSizeTotal.
bool DecodeArkRecord(std::span<const std::uint8_t> bytes, const ArkHeaderInfo& info,
                     ArkRecord& record);

// An archive opened for reading.
class ArkReader {
 public:
  // Opens the file and reads its header; false with error() when the file cannot be
  // read or its header cannot be used.
  bool Open(const std::string& path);
  const std::string& error() const { return error_; }
  const std::string& path() const { return file_.path(); }
  const ArkHeaderInfo& header() const { return info_; }

  std::int64_t file_size() const { return file_size_; }
  std::int64_t record_size() const { return record_size_; }
  // Whole records after the header.
  std::int64_t record_count() const { return record_count_; }
  // Bytes after the last whole record (0 in a sound file).
  std::int64_t trailing_bytes() const { return trailing_bytes_; }
  // "<file>: <size> bytes are not the 5121-byte header and whole records of <n> bytes
  // (<k> bytes left over)", or empty when the size is right.
  std::string LayoutError() const;

  // The time stamp of record `index` (from 0); false when there is no such record or
  // it cannot be read.
  bool ReadTimeStamp(std::int64_t index, double& time_stamp);
  // Record `index` decoded; false when there is no such record or it cannot be read.
  bool ReadRecord(std::int64_t index, ArkRecord& record);

 private:
  bool ReadAt(std::int64_t offset, std::span<std::uint8_t> out);

  InputFile file_;
  std::string error_;
  ArkHeaderInfo info_;
  std::int64_t file_size_ = 0;
  std::int64_t record_size_ = 0;
  std::int64_t record_count_ = 0;
  std::int64_t trailing_bytes_ = 0;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace tessel
