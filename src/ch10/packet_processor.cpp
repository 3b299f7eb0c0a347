#include "ch10/packet_processor.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "ch10/byte_reader.h"
#include "support/clock.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

namespace {

constexpr std::uint32_t kTimeCsdwMonthYear = std::uint32_t{1} << 9;
// The queue is compacted once this many values at its front have been taken.
constexpr std::size_t kCompactThreshold = 1 << 16;

// BCD digit `index` (0 = bits 3-0) of a word, as a full 4-bit field.
int Digit(std::uint32_t word, int index) {
  return static_cast<int>((word >> (4 * index)) & 0xFU);
}

// The value limited to low..high.
int Limit(int value, int low, int high) {
  return std::clamp(value, low, high);
}

// Payload word k (two bytes from 2k, little-endian); bytes beyond the payload are zero.
std::uint16_t WordAt(std::span<const std::uint8_t> bytes, std::size_t k) {
  std::uint16_t value = 0;
  if (ByteReader(bytes).U16(2 * k, value)) return value;
  return 2 * k < bytes.size() ? bytes[2 * k] : std::uint16_t{0};
}

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::array<std::uint8_t, 4> b{};
  ByteReader(bytes).CopyClamped(offset, b);
  std::uint32_t value = 0;
  ByteReader(b).U32(0, value);
  return value;
}

// The payload bytes the header's data length covers, within what the caller holds.
std::span<const std::uint8_t> DataPayload(const ch10pktheaderstruct& header,
                                          std::span<const std::uint8_t> payload) {
  const std::uint32_t data = header.DataLength;
  const std::size_t claimed = data > kCh10CsdwSize ? data - kCh10CsdwSize : 0;
  return payload.first(std::min(claimed, payload.size()));
}

std::size_t CeilDiv(std::size_t a, std::size_t b) {
  return (a + b - 1) / b;
}

const std::string kSeparator(52, '.');

}  // namespace

double IrigTimeFields::TimeOfYear() const {
  return Day * 86'400.0 + Hours * 3'600.0 + Minutes * 60.0 + Seconds + Milliseconds * 0.001;
}

IrigTimeFields DecodeIrigTime(std::uint32_t csdw, std::span<const std::uint8_t> payload) {
  const std::uint32_t w1 = U32At(payload, 0);
  const std::uint32_t w2 = U32At(payload, 4);
  IrigTimeFields t;
  t.Milliseconds = Limit(Digit(w1, 1) * 100 + Digit(w1, 0) * 10, 0, 999);
  t.Seconds = Limit(Digit(w1, 3) * 10 + Digit(w1, 2), 0, 59);
  t.Minutes = Limit(Digit(w1, 5) * 10 + Digit(w1, 4), 0, 59);
  t.Hours = Limit(Digit(w1, 7) * 10 + Digit(w1, 6), 0, 23);
  int day = 0;
  if ((csdw & kTimeCsdwMonthYear) != 0) {
    const int day_of_month = Digit(w2, 1) * 10 + Digit(w2, 0);
    const int month = Digit(w2, 3) * 10 + Digit(w2, 2);
    const int year = Digit(w2, 7) * 1000 + Digit(w2, 6) * 100 + Digit(w2, 5) * 10 + Digit(w2, 4);
    day = DayOfYear(year, month, day_of_month);
  } else {
    day = Digit(w2, 2) * 100 + Digit(w2, 1) * 10 + Digit(w2, 0);
  }
  t.Day = Limit(day, 0, kMaxIrigDay);
  return t;
}

ch10pktprocessorclass::ch10pktprocessorclass(int stream_index, int kind, IrigTimeState& irig,
                                             const DebugSwitches& debug)
    : stream_index_(stream_index), kind_(kind), irig_(irig), debug_(debug) {}

double ch10pktprocessorclass::ValueTimeFor(int kind, double bit_rate) {
  if (!(bit_rate > 0.0)) return kDefaultValueTime;
  return (kind == kKindVideo ? 8.0 : 16.0) / bit_rate;
}

void ch10pktprocessorclass::Init(int chunk_length, double value_time, double minor_frame_time,
                                 int packet_frame_words) {
  queue_.clear();
  head_ = 0;
  leftover_ = 0;
  chunk_length_ = std::max(chunk_length, 0);
  value_time_ = value_time > 0.0 ? value_time : kDefaultValueTime;
  minor_frame_time_ = minor_frame_time;
  packet_frame_words_ = packet_frame_words > 0 ? packet_frame_words : chunk_length_;
  packet_time_ = 0.0;
  current_time_ = irig_.IrigTimeOffset;
  chunk_time_ = current_time_;
}

void ch10pktprocessorclass::Process(ch10pktstruct& packet, std::span<const std::uint8_t> payload) {
  const std::span<const std::uint8_t> data = DataPayload(packet.Header, payload);
  switch (kind_) {
    case kKindPcm:
      ParsePcmPacket(packet, data);
      break;
    case kKindTime:
      ParseTimePacket(packet, data);
      break;
    case kKindVideo:
      ParseVideoPacket(packet, data);
      break;
    default:
      LogMessage("This Type Packet NOT Supported Yet", kind_);
      break;
  }
}

bool ch10pktprocessorclass::PopChunk(std::span<std::uint16_t> words) {
  const std::size_t chunk = static_cast<std::size_t>(chunk_length_);
  if (chunk == 0 || Queued() < chunk || words.size() < chunk) {
    leftover_ = Queued();
    return false;
  }
  chunk_time_ = current_time_;
  current_time_ += chunk_length_ * value_time_;
  leftover_ = 0;
  std::memcpy(words.data(), queue_.data() + head_, chunk * sizeof(std::uint16_t));
  head_ += chunk;
  if (head_ == queue_.size()) {
    queue_.clear();
    head_ = 0;
  }
  return true;
}

void ch10pktprocessorclass::ParseTimePacket(ch10pktstruct& packet,
                                            std::span<const std::uint8_t> payload) {
  WalkPlain(packet, payload);
  const IrigTimeFields fields = DecodeIrigTime(packet.Csdw, payload);
  packet_time_ = RtcSeconds(packet.Header);
  irig_.IrigTime = fields.TimeOfYear();
  irig_.IrigTimeOffset = irig_.IrigTime - packet_time_;

  if (!debug_.DebugMinimalPacketInfo) return;
  const int words32 = static_cast<int>(CeilDiv(payload.size(), 4));
  const int words16 = static_cast<int>(CeilDiv(payload.size(), 2));
  LogMessage("new IRIG packet..(numdatawordsinpacket to left) minorframedt is " +
                 FixedText(15, 6, minor_frame_time_),
             words32);
  LogMessage("new IRIG packet..(numshortdatawordsinpacket to left) sequence number is " +
                 FixedText(10, 0, packet.Header.SequenceNumber),
             words16);
  LogMessage("new IRIG packet..pkt time stamp is " + FixedText(15, 6, packet_time_) + "   " +
                 TimeOfYearText(packet_time_),
             words32);
  LogMessage("new IRIG packet..IrigTime is " + FixedText(15, 6, irig_.IrigTime) + "   " +
                 TimeOfYearText(irig_.IrigTime),
             words32);
  LogMessage(
      "new IRIG packet..delta PktTime & IrigTime is " + FixedText(15, 6, irig_.IrigTimeOffset),
      words32);
  LogMessage(kSeparator, stream_index_);
}

void ch10pktprocessorclass::ParsePcmPacket(ch10pktstruct& packet,
                                           std::span<const std::uint8_t> payload) {
  const PcmF1Csdw csdw = DecodePcmF1Csdw(packet.Csdw);
  const std::size_t queued_before = Queued();
  const bool plain = (csdw.PackedMode || csdw.ThroughputMode) && !csdw.IntraPacketHeaders;
  if (plain) {
    WalkPlain(packet, payload);
    Push(payload);
  } else {
    WalkHeaders(packet, payload, (packet.Csdw & kPcmCsdwAlign32) != 0);
  }
  const double previous = packet_time_;
  StampPacket(packet.Header, queued_before);
  if (debug_.DebugMinimalPacketInfo) LogPacketInfo("PCM", packet.Header, payload.size(), previous);
}

void ch10pktprocessorclass::ParseVideoPacket(ch10pktstruct& packet,
                                             std::span<const std::uint8_t> payload) {
  WalkPlain(packet, payload);
  const std::size_t queued_before = Queued();
  // Each 16-bit word gives two values, its high byte first.
  const std::size_t words = CeilDiv(payload.size(), 2);
  CompactQueue();
  const std::size_t start = queue_.size();
  queue_.resize(start + 2 * words);
  for (std::size_t k = 0; k < words; ++k) {
    const std::uint16_t w = WordAt(payload, k);
    queue_[start + 2 * k] = static_cast<std::uint16_t>(w >> 8);
    queue_[start + 2 * k + 1] = static_cast<std::uint16_t>(w & 0xFFU);
  }
  const double previous = packet_time_;
  StampPacket(packet.Header, queued_before);
  if (debug_.DebugMinimalPacketInfo)
    LogPacketInfo("VIDEO", packet.Header, payload.size(), previous);
}

void ch10pktprocessorclass::WalkPlain(ch10pktstruct& packet,
                                      std::span<const std::uint8_t> payload) {
  const std::size_t entries = CeilDiv(payload.size(), 4);
  packet.Entries.assign(entries, ch10pktentrystruct{});
  for (std::size_t i = 0; i < entries; ++i) {
    packet.Entries[i].Word1 = WordAt(payload, 2 * i);
    packet.Entries[i].Word2 = WordAt(payload, 2 * i + 1);
  }
}

std::size_t ch10pktprocessorclass::WalkHeaders(ch10pktstruct& packet,
                                               std::span<const std::uint8_t> payload,
                                               bool align32) {
  packet.Entries.clear();
  const std::size_t frame_words = static_cast<std::size_t>(packet_frame_words_);
  if (frame_words == 0) return 0;
  const std::size_t header = align32 ? kIntraPacketHeader32 : kIntraPacketHeader16;
  const std::size_t frame_bytes = 2 * frame_words;
  const ByteReader reader(payload);
  std::size_t queued = 0;
  // Whole minor frames only: a header and all the frame's data words must be there.
  for (std::size_t c = 0; reader.Contains(c, header + frame_bytes);) {
    ch10pktentrystruct first{};
    reader.U32(c, first.TimeStampLow);
    reader.U32(c + 4, first.TimeStampHigh);
    reader.U16(c + 8, first.DataHeader);
    c += header;
    const std::span<const std::uint8_t> frame = payload.subspan(c, frame_bytes);
    for (std::size_t k = 0; k < frame_words; k += 2) {
      ch10pktentrystruct entry = k == 0 ? first : ch10pktentrystruct{};
      entry.Word1 = WordAt(frame, k);
      entry.Word2 = k + 1 < frame_words ? WordAt(frame, k + 1) : std::uint16_t{0};
      packet.Entries.push_back(entry);
    }
    Push(frame);
    queued += frame_words;
    c += frame_bytes;
    if (align32) c = (c + 3) & ~std::size_t{3};
  }
  return queued;
}

void ch10pktprocessorclass::StampPacket(const ch10pktheaderstruct& header,
                                        std::size_t queued_before) {
  // The packet's time stamp is the time of its first value; the values queued before
  // it are older by their count times the value time.
  packet_time_ = RtcSeconds(header);
  current_time_ =
      packet_time_ + irig_.IrigTimeOffset - static_cast<double>(queued_before) * value_time_;
}

void ch10pktprocessorclass::LogPacketInfo(const char* label, const ch10pktheaderstruct& header,
                                          std::size_t payload_bytes, double previous_time) const {
  const std::string prefix = std::string("new ") + label + " packet..";
  const int words32 = static_cast<int>(CeilDiv(payload_bytes, 4));
  const int words16 = static_cast<int>(CeilDiv(payload_bytes, 2));
  LogMessage(prefix + "(numdatawordsinpacket to left) minorframedt is " +
                 FixedText(15, 6, minor_frame_time_),
             words32);
  LogMessage(prefix + "(numshortdatawordsinpacket to left) sequence number is " +
                 FixedText(10, 0, header.SequenceNumber),
             words16);
  LogMessage(prefix + "time stamp is " + FixedText(15, 6, packet_time_) + "   " +
                 TimeOfYearText(packet_time_),
             words32);
  LogMessage(prefix + "delta last time stamp is " + FixedText(15, 6, packet_time_ - previous_time),
             words32);
  LogMessage(kSeparator, stream_index_);
}

void ch10pktprocessorclass::Push(std::span<const std::uint8_t> little_endian_words) {
  if (little_endian_words.empty()) return;
  CompactQueue();
  // A last odd byte makes a word whose missing high byte reads as zero.
  const std::size_t words = CeilDiv(little_endian_words.size(), 2);
  const std::size_t start = queue_.size();
  queue_.resize(start + words, 0);
  static_assert(std::endian::native == std::endian::little);
  std::memcpy(queue_.data() + start, little_endian_words.data(), little_endian_words.size());
}

void ch10pktprocessorclass::CompactQueue() {
  // Drop the values already taken once they are many and at least half the storage.
  if (head_ < kCompactThreshold || head_ < queue_.size() / 2) return;
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
  head_ = 0;
}

}  // namespace tessel
