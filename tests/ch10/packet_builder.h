// Builders of Chapter 10 packets and recordings in memory, for the reader and packet
// processor tests.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ch10/byte_reader.h"
#include "ch10/packet.h"

namespace tessel::test {

inline void AppendU16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFFU));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  AppendU16(bytes, static_cast<std::uint16_t>(value & 0xFFFFU));
  AppendU16(bytes, static_cast<std::uint16_t>(value >> 16));
}

// One packet: header, then the CSDW and payload as the body. The packet and data
// lengths follow from the body unless given.
struct PacketSpec {
  std::uint8_t DataType = kDataTypeTimeF1;
  std::uint16_t ChannelId = 1;
  std::uint64_t RtcTicks = 0;  // 10 MHz counts
  std::uint32_t Csdw = 0;
  std::vector<std::uint8_t> Payload;
  std::uint8_t SequenceNumber = 0;
  std::optional<std::uint32_t> PacketLength;
  std::optional<std::uint32_t> DataLength;
};

inline ch10pktheaderstruct HeaderOf(const PacketSpec& spec) {
  const std::uint32_t body = static_cast<std::uint32_t>(kCh10CsdwSize + spec.Payload.size());
  ch10pktheaderstruct header{};
  header.SyncPattern = kCh10SyncPattern;
  header.ChannelId = spec.ChannelId;
  header.PacketLength = spec.PacketLength.value_or(static_cast<std::uint32_t>(kCh10HeaderSize) + body);
  header.DataLength = spec.DataLength.value_or(body);
  header.SequenceNumber = spec.SequenceNumber;
  header.DataType = spec.DataType;
  header.RtcLow = static_cast<std::uint32_t>(spec.RtcTicks & 0xFFFFFFFFU);
  header.RtcHigh = static_cast<std::uint16_t>((spec.RtcTicks >> 32) & 0xFFFFU);
  return header;
}

// The packet's bytes: header, CSDW and payload (whatever the packet length says).
inline std::vector<std::uint8_t> BuildPacket(const PacketSpec& spec) {
  const auto header = EncodeHeader(HeaderOf(spec));
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  AppendU32(bytes, spec.Csdw);
  bytes.insert(bytes.end(), spec.Payload.begin(), spec.Payload.end());
  return bytes;
}

// A recording: packets laid end to end.
class RecordingBuilder {
 public:
  RecordingBuilder& Add(const PacketSpec& spec) {
    const auto packet = BuildPacket(spec);
    bytes_.insert(bytes_.end(), packet.begin(), packet.end());
    return *this;
  }
  RecordingBuilder& AddBytes(const std::vector<std::uint8_t>& raw) {
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return *this;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Time Data Format 1 payload in the day-of-year layout from decimal fields.
inline std::vector<std::uint8_t> TimePayload(int day, int hours, int minutes, int seconds, int ms) {
  auto digit = [](int value, int place) { return static_cast<std::uint32_t>((value / place) % 10); };
  const std::uint32_t word1 = digit(ms, 10) | digit(ms, 100) << 4 | digit(seconds, 1) << 8 |
                              digit(seconds, 10) << 12 | digit(minutes, 1) << 16 |
                              digit(minutes, 10) << 20 | digit(hours, 1) << 24 | digit(hours, 10) << 28;
  const std::uint32_t word2 = digit(day, 1) | digit(day, 10) << 4 | digit(day, 100) << 8;
  std::vector<std::uint8_t> bytes;
  AppendU32(bytes, word1);
  AppendU32(bytes, word2);
  return bytes;
}

// A payload of little-endian 16-bit words.
inline std::vector<std::uint8_t> WordsPayload(const std::vector<std::uint16_t>& words) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t w : words) AppendU16(bytes, w);
  return bytes;
}

}  // namespace tessel::test
