// The packet sources behind the synthetic recording generator: a bit packer that lays a
// serial bit stream into 16-bit little-endian words most significant bit first (the way
// Chapter 10 stores PCM), a reproducible random generator, and one source per channel
// (time, PCM, video) that builds its packets one at a time in the order of their
// completion time. Internal to synthetic.cpp and its tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "ch10/synthetic.h"

namespace tessel::synth {

inline constexpr std::uint16_t kSyncPattern = 0xEB25;
inline constexpr std::uint8_t kTypeTmats = 0x01;
inline constexpr std::uint8_t kTypePcm = 0x09;
inline constexpr std::uint8_t kTypeTime = 0x11;
inline constexpr std::uint8_t kTypeVideo = 0x40;
inline constexpr std::size_t kHeaderBytes = 24;
inline constexpr std::size_t kTsPacketBytes = 188;
inline constexpr std::int64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kRtcMask = 0xFFFF'FFFF'FFFFull;  // 48 bits

// splitmix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // Uniform in 0 .. bound - 1 (bound > 0).
  std::uint64_t Below(std::uint64_t bound);
  // Uniform in [0, 1).
  double Unit();

 private:
  std::uint64_t state_;
};

// The 64-bit mixing step of splitmix64.
std::uint64_t Mix64(std::uint64_t value);

// Appends bits most significant first into 16-bit little-endian words.
class BitPacker {
 public:
  // Makes room for `bytes` more output bytes; Put and PutBytes never grow the buffer.
  void Reserve(std::size_t bytes);
  // Appends the low `bits` (1..32) bits of `value`.
  void Put(std::uint32_t value, int bits) {
    acc_ = (acc_ << bits) | (value & ((std::uint64_t{1} << bits) - 1));
    pending_ += bits;
    while (pending_ >= 16) {
      pending_ -= 16;
      const auto word = static_cast<std::uint16_t>(acc_ >> pending_);
      buffer_[used_++] = static_cast<std::uint8_t>(word & 0xFF);
      buffer_[used_++] = static_cast<std::uint8_t>(word >> 8);
    }
  }
  // Appends `count` random bits.
  void PutRandom(Random& random, std::int64_t count);
  // Zero bits up to the next multiple of `boundary` bits (16 or 32) of the packer.
  void PadTo(int boundary);
  // Appends raw bytes; the packer must be on a 16-bit boundary.
  void PutBytes(const std::uint8_t* data, std::size_t size);
  // Complete bytes so far (whole 16-bit words).
  std::size_t size() const { return used_; }
  // Bits appended and not yet consumed, pending ones included.
  std::int64_t bits() const { return static_cast<std::int64_t>(used_) * 8 + pending_; }
  const std::uint8_t* data() const { return buffer_.data(); }
  // Drops the first `bytes` complete bytes.
  void Consume(std::size_t bytes);
  void Clear();

 private:
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  std::uint64_t acc_ = 0;
  int pending_ = 0;
};

// Lengths, header fields and checksum of a packet whose body (CSDW and payload) follows
// its 24 header bytes in `packet`; pads the packet to a multiple of 4 bytes.
struct PacketFields {
  std::uint16_t channel_id = 0;
  std::uint8_t data_type = 0;
  std::uint8_t sequence = 0;
  std::uint64_t rtc = 0;
  std::uint32_t csdw = 0;
};
void SealPacket(std::vector<std::uint8_t>& packet, const PacketFields& fields);
void PutLe16(std::uint8_t* at, std::uint16_t value);
void PutLe32(std::uint8_t* at, std::uint32_t value);

// Ticks of the relative time counter after `bits` bits at `bit_rate`.
std::int64_t BitTicks(std::int64_t bits, std::int64_t bit_rate);

// One channel's packets in completion order.
class Source {
 public:
  virtual ~Source() = default;
  virtual bool Done() const = 0;
  // Counter ticks since the start at which the next packet is complete.
  virtual std::int64_t NextEnd() const = 0;
  // Builds the next packet into `packet` (replacing its contents).
  virtual void Emit(std::vector<std::uint8_t>& packet) = 0;
};

class TimeSource final : public Source {
 public:
  TimeSource(const SynthOptions& options, std::int64_t count);
  bool Done() const override { return next_ >= count_; }
  std::int64_t NextEnd() const override { return next_ * kTicksPerSecond; }
  void Emit(std::vector<std::uint8_t>& packet) override;

 private:
  const SynthOptions& options_;
  std::int64_t count_;
  std::int64_t next_ = 0;
};

// Minor-frame geometry shared by the PCM source and the TMATS text.
struct FrameLayout {
  int words = 0;
  int word_length = 0;
  int pattern_words = 0;  // n
  int pattern_first = 0;  // decom index of the first pattern word
  int sfid_word = -1;     // decom index of the subframe counter, -1 without
  int sfid_bits = 0;      // bits of the counter
  int frame_bits = 0;
  std::vector<std::uint32_t> pattern;  // the n pattern words
};
FrameLayout MakeFrameLayout(const SynthPcmStream& stream);

class PcmSource final : public Source {
 public:
  PcmSource(const SynthOptions& options, int index, std::uint16_t channel_id,
            SynthStreamReport& report);
  bool Done() const override;
  std::int64_t NextEnd() const override;
  void Emit(std::vector<std::uint8_t>& packet) override;

 private:
  void AppendFrame(BitPacker& out, std::int64_t frame, int slot_bits);
  void EmitThroughput(std::vector<std::uint8_t>& packet);
  void EmitFramed(std::vector<std::uint8_t>& packet);
  std::int64_t ThroughputBits() const;
  std::int64_t StartTicks(std::int64_t bit) const;

  const SynthOptions& options_;
  const SynthPcmStream& stream_;
  int index_;
  std::uint16_t channel_id_;
  SynthStreamReport& report_;
  FrameLayout layout_;
  Random random_;
  std::uint8_t sequence_ = 0;
  std::int64_t total_bits_ = 0;          // throughput: stream bits within the duration
  std::int64_t packet_bits_ = 0;         // throughput: bits per full packet
  std::int64_t emitted_bits_ = 0;        // throughput: bits already in packets
  BitPacker stage_;                      // throughput: generated, not yet emitted bits
  std::deque<std::int64_t> frame_ends_;  // throughput: end bits of staged frames
  std::int64_t next_frame_ = 0;          // next minor frame to generate
  std::int64_t total_frames_ = 0;        // packed/unpacked: frames within the duration
  std::int64_t frames_per_packet_ = 0;
  double burst_chance_ = 0;  // per minor frame
  BitPacker framed_;         // packed/unpacked payload under construction
};

class VideoSource final : public Source {
 public:
  VideoSource(const SynthOptions& options, int index, std::uint16_t channel_id,
              SynthStreamReport& report);
  bool Done() const override { return next_ >= total_; }
  std::int64_t NextEnd() const override;
  void Emit(std::vector<std::uint8_t>& packet) override;

 private:
  const SynthOptions& options_;
  int index_;
  std::uint16_t channel_id_;
  SynthStreamReport& report_;
  std::int64_t bit_rate_;
  std::int64_t total_ = 0;
  std::int64_t per_packet_ = 0;
  std::int64_t next_ = 0;
  std::uint8_t sequence_ = 0;
};

}  // namespace tessel::synth
