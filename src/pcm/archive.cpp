#include "pcm/archive.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <utility>

#include "setup/decom_setup.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

// The archive writers' access to ArkFile's buffered writes.
struct ArkFileAccess {
  static bool Write(ArkFile& f, const void* data, std::size_t size) { return f.Write(data, size); }
  static bool WriteZeros(ArkFile& f, std::size_t size) { return f.WriteZeros(size); }
  static bool SeekTo(ArkFile& f, std::int64_t position) { return f.SeekTo(position); }
  static bool Fail(ArkFile& f, const std::string& reason) { return f.Fail(reason); }
  static std::int32_t& SerialBytes(ArkFile& f) { return f.serial_bytes_; }
  static std::int32_t& DeviceBytes(ArkFile& f) { return f.device_bytes_; }
  static std::int64_t& Records(ArkFile& f) { return f.records_; }
  static std::size_t& TimeLineLength(ArkFile& f) { return f.time_line_length_; }
};

namespace {

constexpr double kSecondsPerDay = 86'400.0;
// Frame time when the setup has no bit rate.
constexpr double kDefaultFrameTime = 0.01;

// Blanks in place of control characters, so a text never breaks its header line.
std::string LineSafe(std::string_view text) {
  std::string safe(text);
  for (char& c : safe) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return safe;
}

std::string Number(std::string_view label, int max_length, double value) {
  return std::string(label) + FixedText(max_length, 0, value);
}

std::string TimeLine(std::string_view label, double time, int year) {
  return std::string(label) + TimeOfYearText(time) + std::string(kArkYearLabel) +
         FixedText(4, 0, year);
}

// One BCD word of four decimal digits, most significant first.
std::uint16_t Bcd(int d3, int d2, int d1, int d0) {
  return static_cast<std::uint16_t>(((d3 % 10) << 12) | ((d2 % 10) << 8) | ((d1 % 10) << 4) |
                                    (d0 % 10));
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

// --- Device values ---

std::vector<std::string> ArkTagNames() {
  std::vector<std::string> names;
  names.reserve(kArkDeviceTags.size());
  for (const ArkDeviceTag& tag : kArkDeviceTags) names.emplace_back(tag.name);
  return names;
}

std::array<double, kArkDeviceValueCount> ArkDeviceValues(double time_stamp, double bit_rate,
                                                         int lock_state) {
  std::array<double, kArkDeviceValueCount> values{};
  for (std::size_t i = 0; i < kArkDeviceTags.size(); ++i) {
    switch (kArkDeviceTags[i].source) {
      case ArkDeviceSource::Constant:
        values[i] = kArkDeviceTags[i].constant;
        break;
      case ArkDeviceSource::LockState:
        values[i] = lock_state;
        break;
      case ArkDeviceSource::TimeStamp:
        values[i] = time_stamp;
        break;
      case ArkDeviceSource::BitRate:
        values[i] = bit_rate;
        break;
    }
  }
  return values;
}

// --- Minor-frame header words ---

ArkTime SplitArkTime(double t) {
  ArkTime time;
  double seconds = 0.0;
  if (!SplitTimeOfYear(t, time.day, time.hours, time.minutes, seconds)) return ArkTime{};
  time.seconds = FloorToInt(seconds);
  time.microseconds = RoundToInt((seconds - time.seconds) * 1'000'000.0);
  // A fraction that rounds up to a whole second belongs to the next second.
  if (time.microseconds >= 1'000'000) {
    time.microseconds -= 1'000'000;
    ++time.seconds;
  }
  if (time.seconds >= 60) {
    time.seconds -= 60;
    ++time.minutes;
  }
  if (time.minutes >= 60) {
    time.minutes -= 60;
    ++time.hours;
  }
  if (time.hours >= 24) {
    time.hours -= 24;
    ++time.day;
  }
  return time;
}

std::array<std::uint16_t, 4> ArkTimeBcd(double t) {
  const ArkTime time = SplitArkTime(t);
  const int us = time.microseconds;
  return {Bcd(0, time.day / 100, time.day / 10, time.day),
          Bcd(time.hours / 10, time.hours, time.minutes / 10, time.minutes),
          Bcd(time.seconds / 10, time.seconds, us / 100'000, us / 10'000),
          Bcd(us / 1'000, us / 100, us / 10, us)};
}

std::array<std::uint16_t, kArkFrameHeaderWordCount> ArkFrameHeaderWords(int subframe_id, double t) {
  const std::array<std::uint16_t, 4> bcd = ArkTimeBcd(t);
  return {SwapBytes16(bcd[0]), SwapBytes16(bcd[1]), SwapBytes16(bcd[2]), SwapBytes16(bcd[3]),
          static_cast<std::uint16_t>(0x7000U | (static_cast<std::uint32_t>(subframe_id) & 0x3FFU))};
}

// --- Header record and text ---

arkheaderstruct BuildArkHeader(const decomsetupstruct& setup, int stream_index,
                               const std::string& setup_file_name,
                               const std::vector<std::string>& tag_names) {
  arkheaderstruct header;
  // Bounded so the block sizes below stay within 32 bits whatever the setup holds.
  const std::int32_t words = std::clamp<std::int32_t>(setup.WordsPerFrame, 0, kDecomMaxWords);
  const std::int32_t frames = std::max<std::int32_t>(setup.FramesPerInterrupt, 0);
  const std::size_t tags = std::min(tag_names.size(), kArkMaxTags);

  header.BlockSizeMisc = kArkMiscBytes;
  header.BlockSizeSerial = (words + kArkFrameHeaderWordCount) * frames * 2;
  header.BlockSizeDevice = static_cast<std::int32_t>(tags * sizeof(double));
  header.BlockSizeTotal =
      header.BlockSizeMisc + header.BlockSizeSerial + header.BlockSizeDevice + kArkTimeStampBytes;
  header.StreamId = stream_index;
  header.WordsPerFrame = words;
  header.NumSubframes = setup.NumSubframes;
  header.SubframeIdStartCount = setup.FirstFrame;
  header.SubframeIdWord = setup.SubFrameIdWord;
  header.RightAligned = setup.eWordAlignment == kWordAlignmentRight;
  header.FramesPerInterrupt = frames;
  header.Application = kArkApplication;
  header.CardIndex = stream_index;
  header.SetupFileName = setup_file_name.substr(0, kArkMaxSetupFileName);
  for (std::size_t i = 0; i < tags; ++i) {
    header.StatusTagNames.push_back(tag_names[i].substr(0, kArkMaxTagName));
  }
  const double frame_time =
      setup.BitRate > 0 ? static_cast<double>(words) * setup.CommonWordLength / setup.BitRate
                        : kDefaultFrameTime;
  // A frame without bits has no rate (rather than an infinite one).
  header.FrameRate = frame_time > 0.0 ? 1.0 / frame_time : 0.0;
  header.Notes[kArkNoteCount - 1] = ArkDescription(header.BlockSizeSerial, tags);
  return header;
}

std::string ArkDescription(std::int32_t serial_bytes, std::size_t device_values) {
  return "After the header, Data will read System TimeStamp (a double time of year in "
         "seconds), then "
         " Spare1 signed byte, then "
         " Spare2 signed byte, then "
         " Run number (an unsigned short (2 bytes)), then " +
         FixedText(5, 0, serial_bytes / 2) + "  " +
         "Tags for data stream of WORD (2 bytes per word"
         ", which includes "
         "5"
         " header words per minor frame), then " +
         FixedText(4, 0, static_cast<double>(device_values)) + "  " +
         "Tags for the device values of DOUBLE (8 bytes per tag)"
         "and then repeat itself.  "
         "  After that, the rest of the header is fill data, with the fill character of A."
         "   The total header size is "
         "5120"
         ", not including "
         "the NULL character.";
}

std::string ArkStartLine(double start_time, int year) {
  return TimeLine(kArkStartLabel, start_time, year);
}

std::string ArkStopLine(double stop_time, int year) {
  return TimeLine(kArkStopLabel, stop_time, year);
}

std::vector<std::string> ArkHeaderLines(const arkheaderstruct& h, int year) {
  std::vector<std::string> lines;
  lines.emplace_back(kArkTitleLine);
  lines.push_back(Number(kArkVersionLabel, 2, h.Version));
  lines.push_back(ArkStartLine(h.StartTime, year));
  lines.push_back(ArkStopLine(h.StopTime, year));
  lines.push_back(Number(kArkBlockSizeTotalLabel, 16, h.BlockSizeTotal));
  lines.push_back(std::string(kArkBlockSizeTimeStampLabel) + "8");
  lines.push_back(Number(kArkBlockSizeMiscLabel, 16, h.BlockSizeMisc));
  lines.push_back(Number(kArkBlockSizeSerialLabel, 16, h.BlockSizeSerial));
  lines.push_back(Number(kArkBlockSizeDeviceLabel, 16, h.BlockSizeDevice));
  lines.push_back(Number(kArkStreamIdLabel, 2, h.StreamId));
  lines.push_back(Number(kArkWordsPerFrameLabel, 5, h.WordsPerFrame));
  lines.push_back(Number(kArkNumSubframesLabel, 5, h.NumSubframes));
  lines.push_back(Number(kArkSubframeIdStartLabel, 5, h.SubframeIdStartCount));
  lines.push_back(Number(kArkSubframeIdWordLabel, 5, h.SubframeIdWord));
  lines.push_back(std::string(kArkRightAlignedLabel) + YesNoText(h.RightAligned));
  lines.push_back(Number(kArkFramesPerInterruptLabel, 5, h.FramesPerInterrupt));
  lines.push_back(Number(kArkApplicationLabel, 5, h.Application));
  lines.push_back(Number(kArkCardIndexLabel, 5, h.CardIndex));
  lines.push_back(std::string(kArkSetupFileLabel) + LineSafe(h.SetupFileName));
  for (const std::string& tag : h.StatusTagNames) {
    lines.push_back(std::string(kArkTagNameLabel) + LineSafe(tag));
  }
  lines.push_back(std::string(kArkHeaderWordsLabel) + "5");
  lines.push_back(PadRight(static_cast<int>(kArkFrameRateLineWidth), ' ',
                           std::string(kArkFrameRateLabel) + FixedText(7, 1, h.FrameRate)));
  lines.emplace_back(kArkNotesStartLine);
  for (std::size_t i = 0; i + 1 < kArkNoteCount; ++i) {
    lines.push_back(PadRight(static_cast<int>(kArkNoteWidth), ' ', LineSafe(h.Notes[i])));
  }
  lines.emplace_back(kArkNotesEndLine);
  lines.push_back(LineSafe(h.Notes[kArkNoteCount - 1]));
  return lines;
}

std::string ArkHeaderText(const arkheaderstruct& header, int year) {
  std::string text;
  text.reserve(static_cast<std::size_t>(kArkHeaderTextSize));
  for (const std::string& line : ArkHeaderLines(header, year)) {
    text += line;
    text += "\r\n";
  }
  const auto fill_end = static_cast<std::size_t>(kArkFillEnd);
  if (text.size() > fill_end) return {};
  text.append(fill_end - text.size(), kArkFillChar);
  text += "\r\n";
  return text;
}

std::string ArkFileName(const std::string& project_directory, const std::string& project_title,
                        int stream_index) {
  const std::string name =
      UpperAscii(project_title) + "_STREAM_" + std::to_string(stream_index + 1) + ".ARK";
  if (project_directory.empty()) return name;
  return (std::filesystem::path(project_directory) / name).string();
}

int CurrentCalendarYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local.tm_year + 1900;
}

// --- ArkFile ---

ArkFile::ArkFile(std::size_t buffer_size) : buffer_size_(std::max<std::size_t>(buffer_size, 1)) {}

ArkFile::~ArkFile() {
  Close();
}

ArkFile::ArkFile(ArkFile&& other) noexcept
    : out_(std::move(other.out_)),
      buffer_(std::move(other.buffer_)),
      buffer_size_(other.buffer_size_),
      error_(std::move(other.error_)),
      failure_reported_(other.failure_reported_),
      year_source_(std::move(other.year_source_)),
      serial_bytes_(other.serial_bytes_),
      device_bytes_(other.device_bytes_),
      records_(other.records_),
      position_(other.position_),
      time_line_length_(other.time_line_length_) {
  other.buffer_.clear();
}

ArkFile& ArkFile::operator=(ArkFile&& other) noexcept {
  if (this != &other) {
    Close();
    out_ = std::move(other.out_);
    buffer_ = std::move(other.buffer_);
    other.buffer_.clear();
    buffer_size_ = other.buffer_size_;
    error_ = std::move(other.error_);
    failure_reported_ = other.failure_reported_;
    year_source_ = std::move(other.year_source_);
    serial_bytes_ = other.serial_bytes_;
    device_bytes_ = other.device_bytes_;
    records_ = other.records_;
    position_ = other.position_;
    time_line_length_ = other.time_line_length_;
  }
  return *this;
}

bool ArkFile::Create(const std::string& path) {
  Close();
  buffer_.clear();
  error_.clear();
  failure_reported_ = false;
  serial_bytes_ = device_bytes_ = -1;
  records_ = position_ = 0;
  time_line_length_ = 0;
  if (!out_.Create(path)) return false;
  buffer_.reserve(buffer_size_);
  return true;
}

bool ArkFile::Close() {
  if (!out_.is_open()) return ok();
  if (ok()) FlushBuffer();
  buffer_.clear();
  out_.Close();
  return ok();
}

bool ArkFile::TakeFailureToReport() {
  if (ok() || failure_reported_) return false;
  failure_reported_ = true;
  return true;
}

void ArkFile::SetYearSource(YearSource source) {
  year_source_ = std::move(source);
}

int ArkFile::Year() const {
  return year_source_ ? year_source_() : CurrentCalendarYear();
}

bool ArkFile::Write(const void* data, std::size_t size) {
  if (!ok()) return false;
  if (!out_.is_open()) return Fail("the file is not open");
  if (buffer_.size() + size > buffer_size_ && !FlushBuffer()) return false;
  if (size >= buffer_size_) {
    if (!out_.Write(data, size)) return false;
  } else {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
  }
  position_ += static_cast<std::int64_t>(size);
  return true;
}

bool ArkFile::WriteZeros(std::size_t size) {
  static constexpr std::array<std::uint8_t, 4096> kZeros{};
  while (size > 0) {
    const std::size_t take = std::min(size, kZeros.size());
    if (!Write(kZeros.data(), take)) return false;
    size -= take;
  }
  return ok();
}

bool ArkFile::SeekTo(std::int64_t position) {
  if (!FlushBuffer() || !out_.SeekTo(position)) return false;
  position_ = position;
  return true;
}

bool ArkFile::FlushBuffer() {
  if (!ok()) return false;
  if (buffer_.empty()) return true;
  const bool written = out_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
  return written;
}

bool ArkFile::Fail(const std::string& reason) {
  if (ok()) error_ = "cannot write " + path() + ": " + reason;
  buffer_.clear();
  return false;
}

// --- Writing ---

ArkLineOffsets WriteArkHeader(ArkFile& file, const arkheaderstruct& header) {
  ArkLineOffsets offsets;
  if (!file.ok()) return offsets;
  const std::int64_t sum = std::int64_t{kArkTimeStampBytes} + header.BlockSizeMisc +
                           header.BlockSizeSerial + header.BlockSizeDevice;
  if (header.BlockSizeMisc != kArkMiscBytes || header.BlockSizeSerial < 0 ||
      header.BlockSizeDevice < 0 || header.BlockSizeTotal != sum) {
    ArkFileAccess::Fail(file, "the header's block sizes do not add up");
    return offsets;
  }
  const int year = file.Year();
  const std::vector<std::string> lines = ArkHeaderLines(header, year);
  const std::string text = ArkHeaderText(header, year);
  if (text.empty()) {
    ArkFileAccess::Fail(file, "the header lines do not fit in 5118 bytes");
    return offsets;
  }
  const std::uint8_t nul = 0;
  if (!ArkFileAccess::SeekTo(file, 0) || !ArkFileAccess::Write(file, text.data(), text.size()) ||
      !ArkFileAccess::Write(file, &nul, 1)) {
    return offsets;
  }
  ArkFileAccess::SerialBytes(file) = header.BlockSizeSerial;
  ArkFileAccess::DeviceBytes(file) = header.BlockSizeDevice;
  ArkFileAccess::TimeLineLength(file) = lines[2].size();
  offsets.start_line = static_cast<std::int64_t>(lines[0].size() + lines[1].size() + 4);
  offsets.stop_line = offsets.start_line + static_cast<std::int64_t>(lines[2].size() + 2);
  offsets.ok = true;
  return offsets;
}

bool WriteArkRecord(ArkFile& file, double time_stamp, std::span<const std::uint16_t> serial_words,
                    std::span<const double> device_values) {
  if (!file.ok()) return false;
  if (file.serial_bytes() < 0) return ArkFileAccess::Fail(file, "record before the header");
  const auto serial_bytes = static_cast<std::size_t>(file.serial_bytes());
  const auto device_bytes = static_cast<std::size_t>(file.device_bytes());
  const std::size_t words = std::min(serial_words.size_bytes(), serial_bytes);
  const std::size_t values = std::min(device_values.size_bytes(), device_bytes);

  // Time stamp, spare 1, spare 2 and run number 0: one 12-byte prefix.
  std::array<std::uint8_t, kArkTimeStampBytes + kArkMiscBytes> prefix{};
  std::memcpy(prefix.data(), &time_stamp, sizeof time_stamp);
  const bool written = ArkFileAccess::Write(file, prefix.data(), prefix.size()) &&
                       ArkFileAccess::Write(file, serial_words.data(), words) &&
                       ArkFileAccess::WriteZeros(file, serial_bytes - words) &&
                       ArkFileAccess::Write(file, device_values.data(), values) &&
                       ArkFileAccess::WriteZeros(file, device_bytes - values);
  if (written) ++ArkFileAccess::Records(file);
  return written;
}

bool LogArkWriteFailure(ArkFile& file) {
  if (!file.TakeFailureToReport()) return false;
  LogError(file.error(), 1, true);
  return true;
}

bool UpdateArkTimes(ArkFile& file, std::int64_t start_offset, double start_time,
                    std::int64_t stop_offset, double stop_time) {
  if (!file.ok() || !file.is_open()) return false;
  const std::size_t length = ArkFileAccess::TimeLineLength(file);
  const int year = file.Year();
  const std::string start_line = ArkStartLine(start_time, year) + "\r\n";
  const std::string stop_line = ArkStopLine(stop_time, year) + "\r\n";
  const auto fits = [&](std::int64_t offset, const std::string& line) {
    return length > 0 && line.size() == length + 2 && offset >= 0 &&
           offset <= kArkFillEnd - static_cast<std::int64_t>(line.size());
  };
  if (!fits(start_offset, start_line) || !fits(stop_offset, stop_line)) return false;
  const std::int64_t resume = file.Position();
  return ArkFileAccess::SeekTo(file, start_offset) &&
         ArkFileAccess::Write(file, start_line.data(), start_line.size()) &&
         ArkFileAccess::SeekTo(file, stop_offset) &&
         ArkFileAccess::Write(file, stop_line.data(), stop_line.size()) &&
         ArkFileAccess::SeekTo(file, resume);
}

}  // namespace tessel
