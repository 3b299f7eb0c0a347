#include "pcm/archive_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

#include "ch10/byte_reader.h"
#include "support/format.h"

namespace tessel {

namespace {

constexpr std::size_t kFillEnd = static_cast<std::size_t>(kArkFillEnd);
constexpr std::size_t kHeaderText = static_cast<std::size_t>(kArkHeaderTextSize);

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The field name a label gives: the label without its colon and trailing blanks.
std::string_view NameOf(std::string_view label) {
  return TrimRight(label.substr(0, label.find(':')));
}

// The whole text as a decimal integer in int32 range; no blanks, nothing else.
bool ToInt32(std::string_view text, std::int32_t& value) {
  std::int64_t wide = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, wide);
  if (text.empty() || result.ec != std::errc{} || result.ptr != end) return false;
  if (wide < std::numeric_limits<std::int32_t>::min() ||
      wide > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(wide);
  return true;
}

bool ToDouble(std::string_view text, double& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  return !text.empty() && result.ec == std::errc{} && result.ptr == end;
}

std::string Count(std::int64_t n) {
  return std::to_string(n);
}

// Integer fields read into the header record: label, member, needed to find the records.
struct IntField {
  std::string_view label;
  std::int32_t arkheaderstruct::*member;
  bool required;
};

constexpr std::array<IntField, 14> kIntFields = {{
    {kArkVersionLabel, &arkheaderstruct::Version, false},
    {kArkBlockSizeTotalLabel, &arkheaderstruct::BlockSizeTotal, true},
    {kArkBlockSizeMiscLabel, &arkheaderstruct::BlockSizeMisc, true},
    {kArkBlockSizeSerialLabel, &arkheaderstruct::BlockSizeSerial, true},
    {kArkBlockSizeDeviceLabel, &arkheaderstruct::BlockSizeDevice, true},
    {kArkStreamIdLabel, &arkheaderstruct::StreamId, false},
    {kArkWordsPerFrameLabel, &arkheaderstruct::WordsPerFrame, true},
    {kArkNumSubframesLabel, &arkheaderstruct::NumSubframes, false},
    {kArkSubframeIdStartLabel, &arkheaderstruct::SubframeIdStartCount, false},
    {kArkSubframeIdWordLabel, &arkheaderstruct::SubframeIdWord, false},
    {kArkFramesPerInterruptLabel, &arkheaderstruct::FramesPerInterrupt, true},
    {kArkApplicationLabel, &arkheaderstruct::Application, false},
    {kArkCardIndexLabel, &arkheaderstruct::CardIndex, false},
    {kArkBlockSizeTimeStampLabel, nullptr, true},
}};

// Splits the text before the final CR LF into lines and the fill after the last one.
void SplitLines(std::string_view text, ArkHeaderInfo& info) {
  std::size_t pos = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string_view::npos;
       end = text.find("\r\n", pos)) {
    info.lines.emplace_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  const std::string_view fill = text.substr(pos);
  info.fill_bytes = fill.size();
  if (fill.find_first_not_of(kArkFillChar) != std::string_view::npos) {
    info.problems.push_back("the fill holds bytes other than 'A'");
  }
}

// A Start or Stop line's value: time of year, "  YEAR ", year.
void ReadTimeField(const ArkHeaderInfo& info, std::string_view label, double& time, int& year,
                   std::vector<std::string>& problems) {
  const std::string* value = info.Field(NameOf(label));
  const std::string name(NameOf(label));
  if (value == nullptr) {
    problems.push_back("no " + name + " line");
    return;
  }
  const std::size_t at = value->find(kArkYearLabel);
  std::int32_t y = 0;
  if (at == std::string::npos || !ParseArkTimeText(std::string_view(*value).substr(0, at), time) ||
      !ToInt32(std::string_view(*value).substr(at + kArkYearLabel.size()), y)) {
    problems.push_back(name + " is not a time of year and a year");
    return;
  }
  year = y;
}

// The fields and notes of the header lines (after the title).
void ReadFields(ArkHeaderInfo& info) {
  std::size_t i = 1;
  for (; i < info.lines.size() && info.lines[i] != kArkNotesStartLine; ++i) {
    const std::string_view line = info.lines[i];
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      info.problems.push_back("line " + Count(static_cast<std::int64_t>(i + 1)) +
                              " is not a field");
      continue;
    }
    info.fields.push_back(ArkHeaderField{std::string(TrimRight(line.substr(0, colon))),
                                         std::string(TrimRight(line.substr(colon + 1)))});
  }
  if (i >= info.lines.size()) {
    info.problems.push_back("no project notes");
    return;
  }
  std::size_t note = 0;
  for (++i; i < info.lines.size() && info.lines[i] != kArkNotesEndLine; ++i) {
    if (note + 1 < kArkNoteCount) info.header.Notes[note++] = TrimRight(info.lines[i]);
  }
  if (i + 1 < info.lines.size()) {
    info.header.Notes[kArkNoteCount - 1] = info.lines[i + 1];
  } else {
    info.problems.push_back("no description after the project notes");
  }
}

// Reads the typed fields into the header record; false with `error` for a field the
// records cannot be found without.
bool ReadHeaderRecord(ArkHeaderInfo& info, std::string& error) {
  arkheaderstruct& h = info.header;
  for (const IntField& f : kIntFields) {
    const std::string name(NameOf(f.label));
    const std::string* value = info.Field(name);
    std::int32_t number = 0;
    if (value == nullptr || !ToInt32(*value, number)) {
      const std::string what =
          value == nullptr ? "no " + name + " line" : name + " is not a number: " + *value;
      if (f.required) {
        error = what;
        return false;
      }
      info.problems.push_back(what);
      continue;
    }
    if (f.member != nullptr) {
      h.*(f.member) = number;
    } else if (number != kArkTimeStampBytes) {
      error = name + " is not 8";
      return false;
    }
  }
  if (h.BlockSizeMisc != kArkMiscBytes) {
    error = "BlockSizeMisc (bytes) is not 4";
    return false;
  }
  const std::int64_t sum =
      std::int64_t{kArkTimeStampBytes} + h.BlockSizeMisc + h.BlockSizeSerial + h.BlockSizeDevice;
  if (h.BlockSizeSerial < 0 || h.BlockSizeDevice < 0 || h.BlockSizeTotal != sum) {
    error = "the block sizes do not add up: total " + Count(h.BlockSizeTotal) + ", serial " +
            Count(h.BlockSizeSerial) + ", device " + Count(h.BlockSizeDevice);
    return false;
  }

  ReadTimeField(info, kArkStartLabel, h.StartTime, info.start_year, info.problems);
  ReadTimeField(info, kArkStopLabel, h.StopTime, info.stop_year, info.problems);
  if (const std::string* v = info.Field(NameOf(kArkRightAlignedLabel))) {
    h.RightAligned = *v == "YES";
    if (*v != "YES" && *v != "NO") info.problems.push_back("right alignment is not YES or NO");
  }
  if (const std::string* v = info.Field(NameOf(kArkSetupFileLabel))) h.SetupFileName = *v;
  for (const ArkHeaderField& field : info.fields) {
    if (field.name == NameOf(kArkTagNameLabel)) h.StatusTagNames.push_back(field.value);
  }
  const std::string* rate = info.Field(NameOf(kArkFrameRateLabel));
  if (rate == nullptr || !ToDouble(*rate, h.FrameRate)) {
    info.problems.push_back("no frame rate");
  }

  const std::int64_t frame_words = std::int64_t{h.WordsPerFrame} + kArkFrameHeaderWordCount;
  const std::string* header_words = info.Field(NameOf(kArkHeaderWordsLabel));
  info.frames_decodable = header_words != nullptr && *header_words == "5" && h.WordsPerFrame >= 0 &&
                          h.FramesPerInterrupt >= 0 &&
                          frame_words * h.FramesPerInterrupt * 2 == h.BlockSizeSerial;
  if (!info.frames_decodable) {
    info.problems.push_back("the serial block is not " + Count(h.FramesPerInterrupt) +
                            " frames of 5 header words and " + Count(h.WordsPerFrame) + " words");
  }
  if (h.BlockSizeDevice % 8 != 0 ||
      h.StatusTagNames.size() != static_cast<std::size_t>(h.BlockSizeDevice / 8)) {
    info.problems.push_back("the device block does not hold one value per tag name");
  }
  return true;
}

}  // namespace

const std::string* ArkHeaderInfo::Field(std::string_view name) const {
  for (const ArkHeaderField& field : fields) {
    if (field.name == name) return &field.value;
  }
  return nullptr;
}

bool ParseArkHeader(std::span<const std::uint8_t> bytes, ArkHeaderInfo& info, std::string& error) {
  info = ArkHeaderInfo{};
  error.clear();
  if (bytes.size() < static_cast<std::size_t>(kArkRecordsOffset)) {
    error = "the file holds " + Count(static_cast<std::int64_t>(bytes.size())) +
            " bytes, fewer than the 5121-byte header";
    return false;
  }
  if (bytes[kFillEnd] != '\r' || bytes[kFillEnd + 1] != '\n' || bytes[kHeaderText] != 0) {
    error = "the header is not 5120 bytes of text ended by CR LF and a NUL";
    return false;
  }
  std::string text(kFillEnd, ' ');
  bool control = false;
  for (std::size_t i = 0; i < kFillEnd; ++i) {
    text[i] = static_cast<char>(bytes[i]);
    if (bytes[i] < 0x20 && bytes[i] != '\r' && bytes[i] != '\n') control = true;
  }
  if (control) info.problems.push_back("the header text holds control characters");
  SplitLines(text, info);
  if (info.lines.empty() || info.lines[0] != kArkTitleLine) {
    error = "the first line is not \"" + std::string(kArkTitleLine) + "\"";
    return false;
  }
  ReadFields(info);
  return ReadHeaderRecord(info, error);
}

bool ParseArkTimeText(std::string_view text, double& seconds) {
  // DDD:HH:MM:SS.ffffff
  if (text.size() != 19 || text[3] != ':' || text[6] != ':' || text[9] != ':') return false;
  std::int32_t day = 0;
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  double secs = 0.0;
  if (!ToInt32(text.substr(0, 3), day) || !ToInt32(text.substr(4, 2), hours) ||
      !ToInt32(text.substr(7, 2), minutes) || !ToDouble(text.substr(10), secs) || day < 0 ||
      hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || secs < 0.0 || secs >= 60.0) {
    return false;
  }
  seconds = day * 86'400.0 + hours * 3'600.0 + minutes * 60.0 + secs;
  return true;
}

// --- Records ---

double ArkFrameHeader::TimeOfYear() const {
  return time.day * 86'400.0 + time.hours * 3'600.0 + time.minutes * 60.0 + time.seconds +
         time.microseconds / 1'000'000.0;
}

ArkFrameHeader DecodeArkFrameHeader(
    std::span<const std::uint16_t, kArkFrameHeaderWordCount> words) {
  ArkFrameHeader header;
  std::copy(words.begin(), words.end(), header.words.begin());
  std::array<int, 16> d{};  // the 16 nibbles of words 1 to 4, most significant first
  for (std::size_t w = 0; w < 4; ++w) {
    const std::uint16_t bcd = SwapBytes16(words[w]);
    for (std::size_t n = 0; n < 4; ++n) d[w * 4 + n] = (bcd >> (12 - 4 * n)) & 0xF;
  }
  header.time_is_bcd = d[0] == 0 && std::all_of(d.begin(), d.end(), [](int v) { return v <= 9; });
  header.time.day = d[1] * 100 + d[2] * 10 + d[3];
  header.time.hours = d[4] * 10 + d[5];
  header.time.minutes = d[6] * 10 + d[7];
  header.time.seconds = d[8] * 10 + d[9];
  header.time.microseconds =
      d[10] * 100'000 + d[11] * 10'000 + d[12] * 1'000 + d[13] * 100 + d[14] * 10 + d[15];
  header.subframe_id = words[4] & 0x3FF;
  header.marker_ok = (words[4] & 0xFC00) == 0x7000;
  return header;
}

bool DecodeArkRecord(std::span<const std::uint8_t> bytes, const ArkHeaderInfo& info,
                     ArkRecord& record) {
  const arkheaderstruct& h = info.header;
  record = ArkRecord{};
  if (h.BlockSizeTotal <= 0 || bytes.size() < static_cast<std::size_t>(h.BlockSizeTotal)) {
    return false;
  }
  const ByteReader in(bytes.first(static_cast<std::size_t>(h.BlockSizeTotal)));
  std::array<std::uint8_t, 8> stamp{};
  std::uint8_t spare1 = 0;
  std::uint8_t spare2 = 0;
  if (!in.Copy(0, stamp) || !in.U8(8, spare1) || !in.U8(9, spare2) ||
      !in.U16(10, record.run_number)) {
    return false;
  }
  std::memcpy(&record.time_stamp, stamp.data(), stamp.size());
  record.spare1 = static_cast<std::int8_t>(spare1);
  record.spare2 = static_cast<std::int8_t>(spare2);

  std::size_t offset = static_cast<std::size_t>(kArkTimeStampBytes + kArkMiscBytes);
  const auto read_word = [&](std::uint16_t& word) {
    const bool got = in.U16(offset, word);
    offset += 2;
    return got;
  };
  if (info.frames_decodable) {
    const auto frame_words = static_cast<std::size_t>(h.WordsPerFrame);
    record.frames.resize(static_cast<std::size_t>(h.FramesPerInterrupt));
    for (ArkFrame& frame : record.frames) {
      std::array<std::uint16_t, kArkFrameHeaderWordCount> words{};
      for (std::uint16_t& w : words) {
        if (!read_word(w)) return false;
      }
      frame.header = DecodeArkFrameHeader(words);
      frame.words.resize(frame_words);
      for (std::uint16_t& w : frame.words) {
        if (!read_word(w)) return false;
      }
    }
  }
  offset = static_cast<std::size_t>(kArkTimeStampBytes + kArkMiscBytes + h.BlockSizeSerial);
  record.device_values.resize(static_cast<std::size_t>(h.BlockSizeDevice / 8));
  for (double& value : record.device_values) {
    std::array<std::uint8_t, 8> raw{};
    if (!in.Copy(offset, raw)) return false;
    std::memcpy(&value, raw.data(), raw.size());
    offset += raw.size();
  }
  return true;
}

// --- ArkReader ---

bool ArkReader::Open(const std::string& path) {
  info_ = ArkHeaderInfo{};
  error_.clear();
  file_size_ = record_size_ = record_count_ = trailing_bytes_ = 0;
  if (!file_.Open(path)) {
    error_ = file_.error();
    return false;
  }
  file_size_ = file_.Size();
  if (file_size_ < 0) {
    error_ = "cannot read " + path + ": " + SystemErrorText(file_.last_errno());
    return false;
  }
  std::vector<std::uint8_t> head(
      static_cast<std::size_t>(std::min<std::int64_t>(file_size_, kArkRecordsOffset)));
  if (!ReadAt(0, head)) {
    error_ = "cannot read " + path + ": " + SystemErrorText(file_.last_errno());
    return false;
  }
  std::string reason;
  if (!ParseArkHeader(head, info_, reason)) {
    error_ = path + ": " + reason;
    return false;
  }
  record_size_ = info_.header.BlockSizeTotal;
  const std::int64_t body = file_size_ - kArkRecordsOffset;
  record_count_ = body / record_size_;
  trailing_bytes_ = body % record_size_;
  return true;
}

std::string ArkReader::LayoutError() const {
  if (trailing_bytes_ == 0) return {};
  return path() + ": " + Count(file_size_) + " bytes are not the 5121-byte header and whole " +
         "records of " + Count(record_size_) + " bytes (" + Count(trailing_bytes_) +
         " bytes left over)";
}

bool ArkReader::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) {
  return file_.Seek(SeekOrigin::Begin, offset) == offset &&
         file_.Read(out.data(), out.size()) == static_cast<std::int64_t>(out.size());
}

bool ArkReader::ReadTimeStamp(std::int64_t index, double& time_stamp) {
  if (index < 0 || index >= record_count_) return false;
  std::array<std::uint8_t, 8> raw{};
  if (!ReadAt(kArkRecordsOffset + index * record_size_, raw)) return false;
  std::memcpy(&time_stamp, raw.data(), raw.size());
  return true;
}

bool ArkReader::ReadRecord(std::int64_t index, ArkRecord& record) {
  if (index < 0 || index >= record_count_) return false;
  // The file holds the whole record, so the buffer is never larger than the file.
  buffer_.resize(static_cast<std::size_t>(record_size_));
  return ReadAt(kArkRecordsOffset + index * record_size_, buffer_) &&
         DecodeArkRecord(buffer_, info_, record);
}

}  // namespace tessel
