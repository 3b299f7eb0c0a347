// The archive file: one per converted stream, replayed by the DRUX system.
//
// Layout: a 5 120-byte text header (CR LF lines describing the stream, then 'A' fill
// and a final CR LF), one NUL byte, then fixed-size little-endian records back to back
// from byte 5 121. A record holds one block of minor frames: an f64 time stamp, two
// spare bytes and a u16 run number (all zero), the minor frames (five header words then
// the frame's data words, u16 each) and the device values (f64 each).
//
// Every byte goes through ArkFile, which collects records in a large buffer and checks
// every write: after the first failure nothing more reaches the file and error() says
// "cannot write <file>: <reason>", so a caller can report the archive as incomplete.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"

namespace tessel {

static_assert(std::endian::native == std::endian::little,
              "archive records are written as little-endian memory images");

struct decomsetupstruct;

inline constexpr std::int32_t kArkVersion = 11;
// Bytes of header text, the final CR LF included; the NUL follows, then the records.
inline constexpr std::int64_t kArkHeaderTextSize = 5120;
inline constexpr std::int64_t kArkRecordsOffset = kArkHeaderTextSize + 1;
// The header lines and the fill end here; the final CR LF takes the last two bytes.
inline constexpr std::int64_t kArkFillEnd = kArkHeaderTextSize - 2;
inline constexpr char kArkFillChar = 'A';
inline constexpr std::int32_t kArkTimeStampBytes = 8;
inline constexpr std::int32_t kArkMiscBytes = 4;  // two spare bytes and the run number
inline constexpr std::int32_t kArkFrameHeaderWordCount = 5;
inline constexpr std::int32_t kArkApplication = 2;
inline constexpr std::size_t kArkMaxTags = 40;
inline constexpr std::size_t kArkNoteCount = 4;  // three notes lines, then the description
inline constexpr std::size_t kArkNoteWidth = 256;
inline constexpr std::size_t kArkFrameRateLineWidth = 32;
// Longest setup file name and tag name BuildArkHeader keeps, so the header always fits.
inline constexpr std::size_t kArkMaxSetupFileName = 259;
inline constexpr std::size_t kArkMaxTagName = 32;
// Bytes of records ArkFile collects before handing them to the system.
inline constexpr std::size_t kArkDefaultBufferSize = std::size_t{1} << 20;

inline constexpr std::string_view kArkTitleLine = "VELTRANE 8.0 ARCHIVE FILE FORMAT";
inline constexpr std::string_view kArkNotesStartLine = "....PROJECT NOTES....";
inline constexpr std::string_view kArkNotesEndLine = "....END PROJECT NOTES....";
// What the stream processor logs (code 1, box shown) when the file cannot be created.
inline constexpr std::string_view kArkOpenErrorText = "Could Not Open File For Archive";

// Labels of the header lines; each line is the label followed by its value.
inline constexpr std::string_view kArkVersionLabel = "Archive File Version :";
inline constexpr std::string_view kArkStartLabel = "Start Time :";
inline constexpr std::string_view kArkStopLabel = "Stop Time  :";
inline constexpr std::string_view kArkYearLabel = "  YEAR ";
inline constexpr std::string_view kArkBlockSizeTotalLabel = "BlockSizeTotal (bytes) :";
inline constexpr std::string_view kArkBlockSizeTimeStampLabel = "BlockSizeTimeStamp :";
inline constexpr std::string_view kArkBlockSizeMiscLabel = "BlockSizeMisc (bytes) :";
inline constexpr std::string_view kArkBlockSizeSerialLabel = "BlockSizeSerial (bytes) :";
inline constexpr std::string_view kArkBlockSizeDeviceLabel = "BlockSizeDevice (bytes) :";
inline constexpr std::string_view kArkStreamIdLabel = "Stream ID (0 based) :";
inline constexpr std::string_view kArkWordsPerFrameLabel = "Serial Words Per Frame :";
inline constexpr std::string_view kArkNumSubframesLabel = "Serial Num Subframes :";
inline constexpr std::string_view kArkSubframeIdStartLabel = "Serial Subframe ID Start Count :";
inline constexpr std::string_view kArkSubframeIdWordLabel =
    "Serial Subframe ID Word Number (1 based) :";
inline constexpr std::string_view kArkRightAlignedLabel = "Serial Data Right Aligned :";
inline constexpr std::string_view kArkFramesPerInterruptLabel = "Serial Frames Per Interrupt :";
inline constexpr std::string_view kArkApplicationLabel = "Serial Data Application :";
inline constexpr std::string_view kArkCardIndexLabel = "Serial Data Card Index :";
inline constexpr std::string_view kArkSetupFileLabel = "Serial Data Setup Filename :";
inline constexpr std::string_view kArkTagNameLabel = "Status Tag Name :";
inline constexpr std::string_view kArkHeaderWordsLabel = "Num Serial Stream Header Words :";
inline constexpr std::string_view kArkFrameRateLabel = "Serial Frame Rate (Hz) :";

// The header record the header text is written from.
struct arkheaderstruct {
  std::int32_t Version = kArkVersion;
  double StartTime = 0.0;           // time of year of the first block; 0 until one is written
  double StopTime = 0.0;            // time of year of the last minor frame written
  std::int32_t BlockSizeTotal = 0;  // time stamp + misc + serial + device bytes
  std::int32_t BlockSizeMisc = kArkMiscBytes;
  std::int32_t BlockSizeSerial = 0;  // (WordsPerFrame + 5) x FramesPerInterrupt x 2
  std::int32_t BlockSizeDevice = 0;  // device values x 8
  std::int32_t StreamId = 0;         // stream index, 0 to 7
  std::int32_t WordsPerFrame = 0;
  std::int32_t NumSubframes = 0;
  std::int32_t SubframeIdStartCount = 0;  // FirstFrame
  std::int32_t SubframeIdWord = 0;        // counted from 1
  bool RightAligned = false;
  std::int32_t FramesPerInterrupt = 0;
  std::int32_t Application = kArkApplication;
  std::int32_t CardIndex = 0;  // the stream index again
  std::string SetupFileName;
  std::vector<std::string> StatusTagNames;       // one per device value, at most 40
  double FrameRate = 0.0;                        // minor frames per second
  std::array<std::string, kArkNoteCount> Notes;  // three empty notes, the description
};

// --- Device values ---

// Where a device value comes from.
enum class ArkDeviceSource { Constant, LockState, TimeStamp, BitRate };

struct ArkDeviceTag {
  std::string_view name;
  ArkDeviceSource source;
  double constant;  // the value of a Constant tag
};

// The device values of every record, in record order.
inline constexpr std::array<ArkDeviceTag, 12> kArkDeviceTags = {{
    {"D__72_DATAVALID", ArkDeviceSource::Constant, 3.0},
    {"D__72_DEC_MAJFRM", ArkDeviceSource::LockState, 0.0},
    {"D__72_DEC_MINFRM", ArkDeviceSource::LockState, 0.0},
    {"D__72_DEC_TOY", ArkDeviceSource::TimeStamp, 0.0},
    {"D__72_DEC_CLOCK", ArkDeviceSource::BitRate, 0.0},
    {"D__72_DEC_RTALIGN", ArkDeviceSource::Constant, 1.0},
    {"D__72_IRIG_TIME", ArkDeviceSource::TimeStamp, 0.0},
    {"D__72_BIT_STATUS", ArkDeviceSource::Constant, 2.0},
    {"D__72_BIT_CONF", ArkDeviceSource::Constant, 16'777'215.0},
    {"D__72_IRIG_STATUS", ArkDeviceSource::Constant, 1.0},
    {"D__72_SPARE1", ArkDeviceSource::Constant, 0.0},
    {"D__72_SPARE2", ArkDeviceSource::Constant, 0.0},
}};
inline constexpr std::size_t kArkDeviceValueCount = kArkDeviceTags.size();

// The twelve tag names in order.
std::vector<std::string> ArkTagNames();
// The device values of one record: `lock_state` is the lock state after the block's
// last minor frame (2, locked, whenever a block is written).
std::array<double, kArkDeviceValueCount> ArkDeviceValues(double time_stamp, double bit_rate,
                                                         int lock_state);

// --- Minor-frame header words ---

// A time of year split as the header words carry it.
struct ArkTime {
  int day = 0;
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int microseconds = 0;
  bool operator==(const ArkTime&) const = default;
};

// Splits t (seconds of the year) into day, hours, minutes, seconds and microseconds,
// the microseconds rounded (an exact half down). A rounding up to 1 000 000 us carries
// into the seconds and on, so the time is never written a second early. A time outside
// 0..367 days (or not a number) gives all zero.
ArkTime SplitArkTime(double t);
// Header words 1 to 4 of time t before the byte exchange: BCD nibbles of
// 0/hundreds/tens/units of days, hh mm, ss and 100 ms/10 ms, ms/100 us/10 us/us.
std::array<std::uint16_t, 4> ArkTimeBcd(double t);
// The five header words of a minor frame as they go into the record: words 1 to 4
// byte-exchanged, word 5 = 0x7000 | (subframe_id & 0x3FF).
std::array<std::uint16_t, kArkFrameHeaderWordCount> ArkFrameHeaderWords(int subframe_id, double t);

// --- Header record and text ---

// The header record of stream `stream_index` (0 to 7) for `setup`: block sizes, layout
// fields, tag names (at most 40, each cut to 32 characters), setup file name (cut to
// 259 characters), frame rate and the description. Start and stop times are 0.
arkheaderstruct BuildArkHeader(const decomsetupstruct& setup, int stream_index,
                               const std::string& setup_file_name,
                               const std::vector<std::string>& tag_names);
// The description line (the fourth note) for a block of `serial_bytes` serial bytes
// and `device_values` device values.
std::string ArkDescription(std::int32_t serial_bytes, std::size_t device_values);
// Line 3 or 4: "Start Time :" / "Stop Time  :" + time of year + "  YEAR " + year.
std::string ArkStartLine(double start_time, int year);
std::string ArkStopLine(double stop_time, int year);
// The header lines before the fill, without line ends. Control characters in the
// texts (setup file name, tag names, notes) are written as blanks so every line stays one.
std::vector<std::string> ArkHeaderLines(const arkheaderstruct& header, int year);
// The whole 5 120-byte header text (lines, fill, CR LF), or empty when the lines do
// not leave room for the final CR LF.
std::string ArkHeaderText(const arkheaderstruct& header, int year);

// The archive's path: directory + upper-cased title + "_STREAM_" + (index + 1) + ".ARK".
// The directory keeps its case; an empty directory gives a name relative to the
// current directory.
std::string ArkFileName(const std::string& project_directory, const std::string& project_title,
                        int stream_index);

// The computer's current calendar year.
int CurrentCalendarYear();

// --- The open archive ---

// An archive being written: the output file, its record buffer, its record layout
// and the clock that dates the Start and Stop lines. Move-only.
class ArkFile {
 public:
  using YearSource = std::function<int()>;

  explicit ArkFile(std::size_t buffer_size = kArkDefaultBufferSize);
  ~ArkFile();
  ArkFile(ArkFile&& other) noexcept;
  ArkFile& operator=(ArkFile&& other) noexcept;
  ArkFile(const ArkFile&) = delete;
  ArkFile& operator=(const ArkFile&) = delete;

  // Creates (or empties) the file; false with error() "cannot create <file>: <reason>".
  bool Create(const std::string& path);
  // Writes what is buffered and closes; false when any write of the file failed.
  bool Close();
  bool is_open() const { return out_.is_open(); }
  // True while no write has failed.
  bool ok() const { return error_.empty() && out_.ok(); }
  // "cannot write <file>: <reason>" after the first failure, else empty.
  const std::string& error() const { return error_.empty() ? out_.error() : error_; }
  const std::string& path() const { return out_.path(); }
  // True once, the first time it is asked after a failure (a failed Create included):
  // the caller reports the failure then.
  bool TakeFailureToReport();

  // The clock of the Start and Stop lines' year (the calendar year by default).
  void SetYearSource(YearSource source);
  int Year() const;

  // Bytes of serial words and device values per record, set by WriteArkHeader;
  // -1 before a header was written.
  std::int32_t serial_bytes() const { return serial_bytes_; }
  std::int32_t device_bytes() const { return device_bytes_; }
  std::int64_t records_written() const { return records_; }
  // Logical write position (buffered bytes included).
  std::int64_t Position() const { return position_; }

 private:
  friend struct ArkFileAccess;

  bool Write(const void* data, std::size_t size);
  bool WriteZeros(std::size_t size);
  // Hands the buffer to the system and moves to `position`.
  bool SeekTo(std::int64_t position);
  // Hands the buffered bytes to the output file.
  bool FlushBuffer();
  // Marks the file failed with "cannot write <file>: <reason>"; returns false.
  bool Fail(const std::string& reason);

  OutputFile out_;
  std::vector<std::uint8_t> buffer_;
  std::size_t buffer_size_;
  std::string error_;
  bool failure_reported_ = false;
  YearSource year_source_;
  std::int32_t serial_bytes_ = -1;
  std::int32_t device_bytes_ = -1;
  std::int64_t records_ = 0;
  std::int64_t position_ = 0;
  std::size_t time_line_length_ = 0;  // length of the Start and Stop lines as written
};

// Byte offsets at which the Start and Stop lines begin.
struct ArkLineOffsets {
  bool ok = false;  // false when the header was not written whole
  std::int64_t start_line = -1;
  std::int64_t stop_line = -1;
};

// Seeks to byte 0 and writes the header text, fill, CR LF and the NUL; remembers the
// record layout. A header whose block sizes do not add up (total = 8 + misc + serial +
// device, misc 4, none negative) or whose lines do not fit fails the file instead.
ArkLineOffsets WriteArkHeader(ArkFile& file, const arkheaderstruct& header);
// Writes one record: time stamp, two zero bytes, run number 0, the serial words and the
// device values. The words and values are cut or zero-padded to the header's block
// sizes, so every record has exactly BlockSizeTotal bytes. False once the file failed.
bool WriteArkRecord(ArkFile& file, double time_stamp, std::span<const std::uint16_t> serial_words,
                    std::span<const double> device_values);
// Logs the file's first failure, once: LogError(error(), code 1, box shown), so the
// line names the file and the system's reason. True when it logged.
bool LogArkWriteFailure(ArkFile& file);
// Rewrites the Start and Stop lines in place with the given times and the current year,
// then returns to the previous position. A line that would not keep its length is not
// written (false), so nothing after it is overwritten.
bool UpdateArkTimes(ArkFile& file, std::int64_t start_offset, double start_time,
                    std::int64_t stop_offset, double stop_time);

}  // namespace tessel
