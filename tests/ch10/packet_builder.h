// Builds Chapter 10 packets in memory for the tests: header fields, an optional
// secondary header, CSDW, payload and trailer bytes. Lengths are computed from the
// parts unless a test overrides them to make a damaged packet. Bytes are laid out by
// hand here, independently of the encoders under test.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tessel::test {

struct PacketParts {
  std::uint16_t sync = 0xEB25;
  std::uint16_t channel = 1;
  std::uint8_t version = 6;
  std::uint8_t sequence = 0;
  std::uint8_t flags = 0;
  std::uint8_t data_type = 0x09;
  std::uint32_t rtc_low = 0;
  std::uint16_t rtc_high = 0;
  std::optional<std::uint16_t> checksum;               // default: the correct sum
  std::optional<std::vector<std::uint8_t>> secondary;  // placed before the CSDW
  std::uint32_t csdw = 0;
  std::vector<std::uint8_t> payload;
  std::vector<std::uint8_t> trailer;           // filler and checksum bytes
  std::optional<std::uint32_t> packet_length;  // default: all parts
  std::optional<std::uint32_t> data_length;    // default: CSDW + payload
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

inline std::vector<std::uint8_t> BuildPacket(const PacketParts& parts) {
  const std::size_t secondary_size = parts.secondary ? parts.secondary->size() : 0;
  const auto data_length =
      parts.data_length.value_or(static_cast<std::uint32_t>(4 + parts.payload.size()));
  const auto packet_length = parts.packet_length.value_or(static_cast<std::uint32_t>(
      24 + secondary_size + 4 + parts.payload.size() + parts.trailer.size()));
  std::vector<std::uint8_t> bytes;
  PutLe(bytes, parts.sync, 2);
  PutLe(bytes, parts.channel, 2);
  PutLe(bytes, packet_length, 4);
  PutLe(bytes, data_length, 4);
  bytes.push_back(parts.version);
  bytes.push_back(parts.sequence);
  bytes.push_back(parts.flags);
  bytes.push_back(parts.data_type);
  PutLe(bytes, parts.rtc_low, 4);
  PutLe(bytes, parts.rtc_high, 2);
  PutLe(bytes, parts.checksum.value_or(SumOfHeaderWords(bytes.data())), 2);
  if (parts.secondary) bytes.insert(bytes.end(), parts.secondary->begin(), parts.secondary->end());
  PutLe(bytes, parts.csdw, 4);
  bytes.insert(bytes.end(), parts.payload.begin(), parts.payload.end());
  bytes.insert(bytes.end(), parts.trailer.begin(), parts.trailer.end());
  return bytes;
}

// Bytes 1, 2, 3, ... (wrapping), so that any misplaced copy shows.
inline std::vector<std::uint8_t> CountingBytes(std::size_t count, std::uint8_t first = 1) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

}  // namespace tessel::test
