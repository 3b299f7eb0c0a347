// Builds Chapter 10 packets in memory for the tests: header fields, an optional
// secondary header, CSDW, payload and trailer bytes. Lengths are computed from the
// parts unless a test overrides them to make a damaged packet. Bytes are laid out by
// hand here, independently of the encoders under test.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tessel::test {

struct PacketSpec {
  std::uint16_t sync = 0xEB25;
  std::uint16_t channel = 1;
  std::uint8_t version = 6;
  std::uint8_t sequence = 0;
  std::uint8_t flags = 0;
  std::uint8_t data_type = 0x09;
  std::uint32_t rtc_low = 0;
  std::uint16_t rtc_high = 0;
  std::optional<std::uint16_t> checksum;           // default: the correct sum
  std::optional<std::vector<std::uint8_t>> secondary;  // placed before the CSDW
  std::uint32_t csdw = 0;
  std::vector<std::uint8_t> payload;
  std::vector<std::uint8_t> trailer;                // filler and checksum bytes
  std::optional<std::uint32_t> packet_length;       // default: all parts
  std::optional<std::uint32_t> data_length;         // default: CSDW + payload
};

inline void PutLe(std::vector<std::uint8_t>& bytes, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Sum of the first 22 bytes as eleven little-endian 16-bit words.
inline std::uint16_t SumOfHeaderWords(const std::uint8_t* header) {
  unsigned sum = 0;
  for (int i = 0; i < 22; i += 2) sum += header[i] + 256U * header[i + 1];
  return static_cast<std::uint16_t>(sum);
}

inline std::vector<std::uint8_t> BuildPacket(const PacketSpec& spec) {
  const std::size_t secondary_size = spec.secondary ? spec.secondary->size() : 0;
  const auto data_length =
      spec.data_length.value_or(static_cast<std::uint32_t>(4 + spec.payload.size()));
  const auto packet_length = spec.packet_length.value_or(static_cast<std::uint32_t>(
      24 + secondary_size + 4 + spec.payload.size() + spec.trailer.size()));
  std::vector<std::uint8_t> bytes;
  PutLe(bytes, spec.sync, 2);
  PutLe(bytes, spec.channel, 2);
  PutLe(bytes, packet_length, 4);
  PutLe(bytes, data_length, 4);
  bytes.push_back(spec.version);
  bytes.push_back(spec.sequence);
  bytes.push_back(spec.flags);
  bytes.push_back(spec.data_type);
  PutLe(bytes, spec.rtc_low, 4);
  PutLe(bytes, spec.rtc_high, 2);
  PutLe(bytes, spec.checksum.value_or(SumOfHeaderWords(bytes.data())), 2);
  if (spec.secondary) bytes.insert(bytes.end(), spec.secondary->begin(), spec.secondary->end());
  PutLe(bytes, spec.csdw, 4);
  bytes.insert(bytes.end(), spec.payload.begin(), spec.payload.end());
  bytes.insert(bytes.end(), spec.trailer.begin(), spec.trailer.end());
  return bytes;
}

// Bytes 1, 2, 3, ... (wrapping), so that any misplaced copy shows.
inline std::vector<std::uint8_t> CountingBytes(std::size_t count, std::uint8_t first = 1) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

}  // namespace tessel::test
