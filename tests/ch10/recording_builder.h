// Recordings and payloads built in memory for the reader and packet processor tests,
// on top of the packet builder.
#pragma once

#include <cstdint>
#include <vector>

#include "ch10/packet_builder.h"

namespace tessel::test {

inline void AppendU16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
  PutLe(bytes, value, 2);
}
inline void AppendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  PutLe(bytes, value, 4);
}

// Sets the 48-bit relative time counter from a count of 10 MHz ticks.
inline void SetRtcTicks(PacketParts& spec, std::uint64_t ticks) {
  spec.rtc_low = static_cast<std::uint32_t>(ticks & 0xFFFFFFFFU);
  spec.rtc_high = static_cast<std::uint16_t>((ticks >> 32) & 0xFFFFU);
}

// A payload of little-endian 16-bit words.
inline std::vector<std::uint8_t> WordsPayload(const std::vector<std::uint16_t>& words) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t w : words) AppendU16(bytes, w);
  return bytes;
}

// A recording: packets laid end to end.
class RecordingBuilder {
 public:
  RecordingBuilder& Add(const PacketParts& spec) {
    const auto packet = BuildPacket(spec);
    bytes_.insert(bytes_.end(), packet.begin(), packet.end());
    return *this;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace tessel::test
