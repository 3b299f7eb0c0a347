#include "ch10/synthetic_sources.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessel::synth {

namespace {

std::int64_t RoundUp(std::int64_t value, std::int64_t unit) {
  return (value + unit - 1) / unit * unit;
}

// Bits of the stream within the recording's duration.
std::int64_t StreamBits(double seconds, std::int64_t bit_rate) {
  return static_cast<std::int64_t>(std::floor(seconds * static_cast<double>(bit_rate)));
}

// The payload bits one packet of `packet_ms` carries, whole 32-bit words, within the limit.
std::int64_t PacketBits(const SynthOptions& options, std::int64_t bit_rate) {
  const auto wanted = static_cast<std::int64_t>(
      std::floor(static_cast<double>(bit_rate) * options.packet_ms / 1000.0));
  const std::int64_t limit = static_cast<std::int64_t>(options.max_payload_bytes) / 4 * 32;
  return std::clamp<std::int64_t>(wanted / 32 * 32, 32, limit);
}

int BitWidthOf(std::uint32_t value) {
  int width = 0;
  while (value != 0) {
    ++width;
    value >>= 1;
  }
  return width;
}

}  // namespace

std::uint64_t Mix64(std::uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

std::uint64_t Random::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  return Mix64(state_);
}

std::uint64_t Random::Below(std::uint64_t bound) {
  return Next() % bound;
}

double Random::Unit() {
  return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

void BitPacker::Reserve(std::size_t bytes) {
  if (buffer_.size() < used_ + bytes + 8) buffer_.resize(used_ + bytes + 8);
}

void BitPacker::PutRandom(Random& random, std::int64_t count) {
  Reserve(static_cast<std::size_t>(count / 8 + 8));
  while (count > 0) {
    const std::uint64_t bits = random.Next();
    const int take = static_cast<int>(std::min<std::int64_t>(count, 32));
    Put(static_cast<std::uint32_t>(bits), take);
    count -= take;
  }
}

void BitPacker::PadTo(int boundary) {
  const std::int64_t fill = RoundUp(bits(), boundary) - bits();
  Reserve(static_cast<std::size_t>(fill / 8 + 8));
  if (fill > 0) Put(0, static_cast<int>(fill));
}

void BitPacker::PutBytes(const std::uint8_t* data, std::size_t size) {
  Reserve(size);
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
}

void BitPacker::Consume(std::size_t bytes) {
  bytes = std::min(bytes, used_);
  std::memmove(buffer_.data(), buffer_.data() + bytes, used_ - bytes);
  used_ -= bytes;
}

void BitPacker::Clear() {
  used_ = 0;
  acc_ = 0;
  pending_ = 0;
}

void PutLe16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

void SealPacket(std::vector<std::uint8_t>& packet, const PacketFields& fields) {
  const auto data_length = static_cast<std::uint32_t>(packet.size() - kHeaderBytes);
  packet.resize((packet.size() + 3) / 4 * 4, 0);  // filler to a 32-bit boundary
  std::uint8_t* h = packet.data();
  PutLe16(h + 0, kSyncPattern);
  PutLe16(h + 2, fields.channel_id);
  PutLe32(h + 4, static_cast<std::uint32_t>(packet.size()));
  PutLe32(h + 8, data_length);
  h[12] = 0x06;  // data type version of IRIG 106-13
  h[13] = fields.sequence;
  h[14] = 0x00;  // no secondary header, no data checksum
  h[15] = fields.data_type;
  const std::uint64_t rtc = fields.rtc & kRtcMask;
  PutLe32(h + 16, static_cast<std::uint32_t>(rtc & 0xFFFF'FFFFu));
  PutLe16(h + 20, static_cast<std::uint16_t>(rtc >> 32));
  std::uint16_t sum = 0;
  for (int i = 0; i < 22; i += 2) {
    sum = static_cast<std::uint16_t>(sum + (h[i] | (h[i + 1] << 8)));
  }
  PutLe16(h + 22, sum);
  PutLe32(h + 24, fields.csdw);
}

std::int64_t BitTicks(std::int64_t bits, std::int64_t bit_rate) {
  // Split so that the products stay far inside 64 bits for any recording length.
  return bits / bit_rate * kTicksPerSecond + bits % bit_rate * kTicksPerSecond / bit_rate;
}

// --- Time ---

TimeSource::TimeSource(const SynthOptions& options, std::int64_t count)
    : options_(options), count_(count) {}

void TimeSource::Emit(std::vector<std::uint8_t>& packet) {
  const std::int64_t start_ms = std::llround(options_.start_seconds * 1000.0);
  const std::int64_t ms_total = start_ms + next_ * 1000;
  std::int64_t day = options_.start_day + ms_total / 86'400'000;
  day = (day - 1) % 366 + 1;  // a new year after day 366
  const std::int64_t ms_of_day = ms_total % 86'400'000;
  const auto ms = static_cast<std::uint32_t>(ms_of_day % 1000);
  const auto s = static_cast<std::uint32_t>(ms_of_day / 1000 % 60);
  const auto m = static_cast<std::uint32_t>(ms_of_day / 60'000 % 60);
  const auto hr = static_cast<std::uint32_t>(ms_of_day / 3'600'000);
  const std::uint32_t word1 = (ms / 10 % 10) | (ms / 100 << 4) | (s % 10 << 8) | (s / 10 << 12) |
                              (m % 10 << 16) | (m / 10 << 20) | (hr % 10 << 24) | (hr / 10 << 28);
  const auto d = static_cast<std::uint32_t>(day);
  const std::uint32_t word2 = (d % 10) | (d / 10 % 10 << 4) | (d / 100 << 8);

  packet.assign(kHeaderBytes + 4 + 8, 0);
  PutLe32(packet.data() + 28, word1);
  PutLe32(packet.data() + 32, word2);
  PacketFields fields;
  fields.channel_id = options_.time_channel_id;
  fields.data_type = kTypeTime;
  fields.sequence = static_cast<std::uint8_t>(next_ & 0xFF);
  fields.rtc = options_.start_rtc + static_cast<std::uint64_t>(NextEnd());
  fields.csdw = 0x0000'0001;  // external time present, IRIG-B, day-of-year format
  SealPacket(packet, fields);
  ++next_;
}

// --- PCM ---

FrameLayout MakeFrameLayout(const SynthPcmStream& stream) {
  FrameLayout layout;
  layout.words = stream.words_per_frame;
  layout.word_length = stream.word_length;
  const int wl = stream.word_length;
  layout.pattern_words = (stream.pattern_length + wl - 1) / wl;
  layout.pattern_first = stream.pattern_leads ? 0 : layout.words - layout.pattern_words;
  if (stream.subframes > 1) {
    layout.sfid_word = layout.pattern_words;
    layout.sfid_bits = BitWidthOf(static_cast<std::uint32_t>(stream.subframes - 1));
  }
  layout.frame_bits = layout.words * wl;
  // The pattern's bits, most significant first, then zeros up to whole words.
  for (int i = 0; i < layout.pattern_words; ++i) {
    std::uint32_t word = 0;
    for (int b = 0; b < wl; ++b) {
      const int bit = i * wl + b;  // index into the pattern, 0 = most significant
      std::uint32_t value = 0;
      if (bit < stream.pattern_length) {
        value =
            static_cast<std::uint32_t>((stream.pattern >> (stream.pattern_length - 1 - bit)) & 1);
      }
      word = (word << 1) | value;
    }
    layout.pattern.push_back(word);
  }
  return layout;
}

PcmSource::PcmSource(const SynthOptions& options, int index, std::uint16_t channel_id,
                     SynthStreamReport& report)
    : options_(options),
      stream_(options.pcm[static_cast<std::size_t>(index)]),
      index_(index),
      channel_id_(channel_id),
      report_(report),
      layout_(MakeFrameLayout(stream_)),
      random_(Mix64(options.seed) ^ Mix64(static_cast<std::uint64_t>(index) + 1)) {
  const std::int64_t stream_bits = StreamBits(options.duration_seconds, stream_.bit_rate);
  const std::int64_t target = PacketBits(options, stream_.bit_rate);
  if (stream_.packing == SynthPacking::Throughput) {
    total_bits_ = stream_bits;
    packet_bits_ = target;
    burst_chance_ = std::min(1.0, stream_.noise_bursts_per_second * layout_.frame_bits /
                                      static_cast<double>(stream_.bit_rate));
    stage_.PutRandom(random_, stream_.bit_offset);
  } else {
    total_frames_ = stream_bits / layout_.frame_bits;
    const int slot = stream_.align32 ? 32 : 16;
    const std::int64_t header = stream_.align32 ? 12 : 10;
    const std::int64_t frame_payload = stream_.packing == SynthPacking::Packed
                                           ? RoundUp(layout_.frame_bits, slot) / 8
                                           : static_cast<std::int64_t>(layout_.words) * slot / 8;
    const std::int64_t limit = options.max_payload_bytes / (header + frame_payload);
    frames_per_packet_ =
        std::clamp<std::int64_t>(target / layout_.frame_bits, 1, std::max<std::int64_t>(limit, 1));
  }
  report_.pattern_words = layout_.pattern_words;
  report_.frame_bits = layout_.frame_bits;
}

bool PcmSource::Done() const {
  if (stream_.packing == SynthPacking::Throughput) return emitted_bits_ >= total_bits_;
  return next_frame_ >= total_frames_;
}

std::int64_t PcmSource::ThroughputBits() const {
  return std::min(packet_bits_, RoundUp(total_bits_ - emitted_bits_, 32));
}

std::int64_t PcmSource::StartTicks(std::int64_t bit) const {
  return BitTicks(bit, stream_.bit_rate);
}

std::int64_t PcmSource::NextEnd() const {
  if (stream_.packing == SynthPacking::Throughput) {
    return StartTicks(emitted_bits_ + ThroughputBits());
  }
  const std::int64_t count = std::min(frames_per_packet_, total_frames_ - next_frame_);
  return StartTicks((next_frame_ + count) * layout_.frame_bits);
}

void PcmSource::Emit(std::vector<std::uint8_t>& packet) {
  if (stream_.packing == SynthPacking::Throughput) {
    EmitThroughput(packet);
  } else {
    EmitFramed(packet);
  }
  ++report_.packets;
  ++sequence_;
}

void PcmSource::AppendFrame(BitPacker& out, std::int64_t frame, int slot_bits) {
  const int wl = layout_.word_length;
  const int fill = slot_bits > 0 ? slot_bits - wl : 0;
  out.Reserve(static_cast<std::size_t>(layout_.words) * static_cast<std::size_t>(wl + fill) / 8 +
              8);
  const int pattern_end = layout_.pattern_first + layout_.pattern_words;
  for (int j = 0; j < layout_.words; ++j) {
    std::uint32_t value;
    if (j >= layout_.pattern_first && j < pattern_end) {
      value = layout_.pattern[static_cast<std::size_t>(j - layout_.pattern_first)];
    } else if (j == layout_.sfid_word) {
      value = static_cast<std::uint32_t>(frame % stream_.subframes);
    } else {
      value = SyntheticWordValue(index_, frame, j, wl);
    }
    out.Put(value, wl);
    if (fill > 0) out.Put(0, fill);
  }
}

void PcmSource::EmitThroughput(std::vector<std::uint8_t>& packet) {
  const std::int64_t bits = ThroughputBits();
  const auto bytes = static_cast<std::size_t>(bits / 8);
  // Generate frames (and the noise between them) until the packet's bits are staged.
  while (stage_.bits() < bits) {
    if (next_frame_ > 0 && burst_chance_ > 0 && random_.Unit() < burst_chance_) {
      const auto burst = static_cast<std::int64_t>(
          16 + random_.Below(static_cast<std::uint64_t>(layout_.frame_bits)));
      stage_.PutRandom(random_, burst);
      ++report_.noise_bursts;
      report_.noise_bits += burst;
    }
    AppendFrame(stage_, next_frame_++, 0);
    frame_ends_.push_back(emitted_bits_ + stage_.bits());
  }
  packet.resize(kHeaderBytes + 4 + bytes);
  std::memcpy(packet.data() + kHeaderBytes + 4, stage_.data(), bytes);
  stage_.Consume(bytes);

  PacketFields fields;
  fields.channel_id = channel_id_;
  fields.data_type = kTypePcm;
  fields.sequence = sequence_;
  fields.rtc = options_.start_rtc + static_cast<std::uint64_t>(StartTicks(emitted_bits_));
  fields.csdw = 1u << 20;  // throughput mode
  SealPacket(packet, fields);

  emitted_bits_ += bits;
  report_.bits = emitted_bits_;
  while (!frame_ends_.empty() && frame_ends_.front() <= emitted_bits_) {
    frame_ends_.pop_front();
    ++report_.frames;
  }
}

void PcmSource::EmitFramed(std::vector<std::uint8_t>& packet) {
  const std::int64_t first = next_frame_;
  const std::int64_t count = std::min(frames_per_packet_, total_frames_ - next_frame_);
  const int slot = stream_.align32 ? 32 : 16;
  const bool unpacked = stream_.packing == SynthPacking::Unpacked;
  const bool major = stream_.subframes > 1;
  framed_.Clear();
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t frame = next_frame_++;
    // Intra-packet header: the frame's 48-bit time stamp in 8 bytes, then the data
    // header with minor (and major) frame lock, padded to 4 bytes in 32-bit alignment.
    std::uint8_t header[12] = {};
    const std::uint64_t rtc =
        (options_.start_rtc + static_cast<std::uint64_t>(StartTicks(frame * layout_.frame_bits))) &
        kRtcMask;
    PutLe32(header, static_cast<std::uint32_t>(rtc & 0xFFFF'FFFFu));
    PutLe32(header + 4, static_cast<std::uint32_t>(rtc >> 32));
    PutLe16(header + 8, major ? 0xF000 : 0xC000);
    framed_.PutBytes(header, stream_.align32 ? 12 : 10);
    AppendFrame(framed_, frame, unpacked ? slot : 0);
    framed_.PadTo(slot);
  }
  packet.resize(kHeaderBytes + 4 + framed_.size());
  std::memcpy(packet.data() + kHeaderBytes + 4, framed_.data(), framed_.size());

  PacketFields fields;
  fields.channel_id = channel_id_;
  fields.data_type = kTypePcm;
  fields.sequence = sequence_;
  fields.rtc =
      options_.start_rtc + static_cast<std::uint64_t>(StartTicks(first * layout_.frame_bits));
  std::uint32_t csdw = unpacked ? 1u << 18 : 1u << 19;
  csdw |= 1u << 30;             // intra-packet headers
  csdw |= 1u << 28;             // the packet starts with a minor frame
  csdw |= 3u << 26;             // minor frame lock
  if (major) csdw |= 3u << 24;  // major frame lock
  if (major && first % stream_.subframes == 0) csdw |= 1u << 29;  // starts a major frame
  if (stream_.align32) csdw |= 1u << 21;
  fields.csdw = csdw;
  SealPacket(packet, fields);

  report_.frames += count;
  report_.bits = next_frame_ * layout_.frame_bits;
}

// --- Video ---

VideoSource::VideoSource(const SynthOptions& options, int index, std::uint16_t channel_id,
                         SynthStreamReport& report)
    : options_(options),
      index_(index),
      channel_id_(channel_id),
      report_(report),
      bit_rate_(options.video[static_cast<std::size_t>(index)].bit_rate) {
  constexpr std::int64_t kTsBits = kTsPacketBytes * 8;
  total_ = StreamBits(options.duration_seconds, bit_rate_) / kTsBits;
  const std::int64_t limit = options.max_payload_bytes / static_cast<std::int64_t>(kTsPacketBytes);
  per_packet_ = std::clamp<std::int64_t>(PacketBits(options, bit_rate_) / kTsBits, 1,
                                         std::max<std::int64_t>(limit, 1));
}

std::int64_t VideoSource::NextEnd() const {
  const std::int64_t count = std::min(per_packet_, total_ - next_);
  return BitTicks((next_ + count) * static_cast<std::int64_t>(kTsPacketBytes) * 8, bit_rate_);
}

void VideoSource::Emit(std::vector<std::uint8_t>& packet) {
  const std::int64_t first = next_;
  const std::int64_t count = std::min(per_packet_, total_ - next_);
  packet.assign(kHeaderBytes + 4 + static_cast<std::size_t>(count) * kTsPacketBytes, 0);
  std::uint8_t ts[kTsPacketBytes];
  std::uint8_t* out = packet.data() + kHeaderBytes + 4;
  for (std::int64_t k = 0; k < count; ++k) {
    SyntheticTsPacket(index_, next_++, ts);
    // Transport stream bytes in 16-bit little-endian words: the first byte of each
    // pair is the word's high byte.
    for (std::size_t i = 0; i < kTsPacketBytes; i += 2) {
      out[i] = ts[i + 1];
      out[i + 1] = ts[i];
    }
    out += kTsPacketBytes;
  }
  PacketFields fields;
  fields.channel_id = channel_id_;
  fields.data_type = kTypeVideo;
  fields.sequence = sequence_++;
  fields.rtc =
      options_.start_rtc + static_cast<std::uint64_t>(BitTicks(
                               first * static_cast<std::int64_t>(kTsPacketBytes) * 8, bit_rate_));
  fields.csdw = 0;
  SealPacket(packet, fields);
  ++report_.packets;
  report_.ts_packets = next_;
  report_.bits = next_ * static_cast<std::int64_t>(kTsPacketBytes) * 8;
}

}  // namespace tessel::synth
