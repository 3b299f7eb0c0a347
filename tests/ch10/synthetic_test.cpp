// The synthetic recording generator, checked by walking its output with a small packet
// parser of the test's own: packet lengths and checksums, TMATS attributes, time packets,
// the PCM bit stream (pattern spacing, subframe counter, data words, junk and noise) in
// every packing mode, and the video transport stream.
#include "ch10/synthetic.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ch10/packet.h"
#include "ch10/read_packet.h"
#include "common/log_session.h"
#include "common/test_files.h"
#include "support/files.h"
#include "tmats/tmats_reader.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {
namespace {

struct Packet {
  std::uint16_t channel = 0;
  std::uint8_t type = 0;
  std::uint8_t sequence = 0;
  std::uint8_t flags = 0;
  std::uint64_t rtc = 0;
  std::uint32_t csdw = 0;
  std::vector<std::uint8_t> payload;  // after the CSDW, data length - 4 bytes
};

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | b.at(at + static_cast<std::size_t>(i));
  return value;
}

// Walks the packets and checks what every packet must satisfy.
std::vector<Packet> Walk(const std::vector<std::uint8_t>& bytes) {
  std::vector<Packet> packets;
  std::size_t at = 0;
  while (at < bytes.size()) {
    EXPECT_LE(at + 24, bytes.size());
    if (at + 24 > bytes.size()) break;
    EXPECT_EQ(Le(bytes, at, 2), 0xEB25u);
    const std::uint32_t length = Le(bytes, at + 4, 4);
    const std::uint32_t data_length = Le(bytes, at + 8, 4);
    EXPECT_EQ(length % 4, 0u);
    EXPECT_GE(data_length, 4u);
    EXPECT_LE(24 + data_length, length);
    EXPECT_LT(length - 24 - data_length, 4u) << "filler only up to a 32-bit boundary";
    EXPECT_LE(at + length, bytes.size());
    if (at + length > bytes.size() || data_length < 4 || 24 + data_length > length) break;
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 22; i += 2) sum += Le(bytes, at + i, 2);
    EXPECT_EQ(sum & 0xFFFF, Le(bytes, at + 22, 2)) << "header checksum";
    Packet p;
    p.channel = static_cast<std::uint16_t>(Le(bytes, at + 2, 2));
    p.sequence = bytes[at + 13];
    p.flags = bytes[at + 14];
    p.type = bytes[at + 15];
    p.rtc = Le(bytes, at + 16, 4) | (std::uint64_t{Le(bytes, at + 20, 2)} << 32);
    p.csdw = Le(bytes, at + 24, 4);
    p.payload.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + 28),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + 24 + data_length));
    packets.push_back(std::move(p));
    at += length;
  }
  return packets;
}

std::vector<Packet> OfChannel(const std::vector<Packet>& packets, std::uint16_t channel) {
  std::vector<Packet> out;
  for (const Packet& p : packets) {
    if (p.channel == channel) out.push_back(p);
  }
  return out;
}

// The payload as a bit stream: 16-bit little-endian words, most significant bit first.
void AppendBits(const std::vector<std::uint8_t>& payload, std::size_t from, std::size_t to,
                std::vector<std::uint8_t>& bits) {
  for (std::size_t i = from; i + 1 < to; i += 2) {
    const std::uint32_t word = payload[i] | (std::uint32_t{payload[i + 1]} << 8);
    for (int b = 15; b >= 0; --b) bits.push_back(static_cast<std::uint8_t>((word >> b) & 1));
  }
}

std::uint64_t ReadBits(const std::vector<std::uint8_t>& bits, std::size_t at, int count) {
  std::uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 1) | bits.at(at + static_cast<std::size_t>(i));
  return value;
}

std::vector<std::size_t> FindPattern(const std::vector<std::uint8_t>& bits, std::uint64_t pattern,
                                     int length) {
  std::vector<std::size_t> found;
  for (std::size_t at = 0; at + static_cast<std::size_t>(length) <= bits.size(); ++at) {
    if (ReadBits(bits, at, length) == pattern) found.push_back(at);
  }
  return found;
}

SynthOptions OnePcm(double seconds = 1.0) {
  SynthOptions options;
  options.duration_seconds = seconds;
  options.pcm[0].bit_rate = 200'000;
  options.pcm[0].words_per_frame = 40;
  return options;
}

std::vector<std::uint8_t> Generate(const SynthOptions& options, SynthResult* out = nullptr) {
  std::vector<std::uint8_t> bytes;
  SynthResult result = GenerateSyntheticRecording(options, bytes);
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.bytes, static_cast<std::int64_t>(bytes.size()));
  if (out != nullptr) *out = result;
  return bytes;
}

TEST(SyntheticRecording, SameSeedSameBytesOtherSeedOtherNoise) {
  SynthOptions options = OnePcm();
  options.pcm[0].noise_bursts_per_second = 20;
  options.pcm[0].bit_offset = 13;
  const std::vector<std::uint8_t> first = Generate(options);
  EXPECT_EQ(Generate(options), first);
  options.seed = 2;
  const std::vector<std::uint8_t> other = Generate(options);
  ASSERT_EQ(Walk(other).size(), Walk(first).size());
  EXPECT_NE(Walk(other).back().payload, Walk(first).back().payload);
}

TEST(SyntheticRecording, FileHoldsTheSameBytesAsMemory) {
  test::TempDir dir;
  SynthOptions options = OnePcm();
  options.video.push_back({});
  const std::string path = dir.File("synthetic.c10");
  const SynthResult result = WriteSyntheticRecording(options, path);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(test::ReadWholeFile(path), Generate(options));
}

TEST(SyntheticRecording, PacketsComeInTimeOrderAfterSetupAndTime) {
  SynthOptions options = OnePcm(3.0);
  options.pcm.push_back(options.pcm[0]);
  options.pcm[1].bit_rate = 1'000'000;
  options.video.push_back({});
  SynthResult result;
  const std::vector<Packet> packets = Walk(Generate(options, &result));
  ASSERT_GT(packets.size(), 3u);
  EXPECT_EQ(packets[0].type, 0x01);
  EXPECT_EQ(packets[0].channel, 0);
  EXPECT_EQ(packets[1].type, 0x11) << "a time packet precedes all data";
  EXPECT_EQ(result.packets, static_cast<std::int64_t>(packets.size()));

  std::map<std::uint16_t, std::uint8_t> sequence;
  std::map<std::uint16_t, std::uint64_t> last_rtc;
  for (std::size_t i = 1; i < packets.size(); ++i) {
    const Packet& p = packets[i];
    EXPECT_EQ(p.flags, 0) << "no secondary header, no data checksum";
    if (sequence.count(p.channel) != 0) {
      EXPECT_EQ(p.sequence, static_cast<std::uint8_t>(sequence[p.channel] + 1));
      EXPECT_GT(p.rtc, last_rtc[p.channel]);
    }
    sequence[p.channel] = p.sequence;
    last_rtc[p.channel] = p.rtc;
    EXPECT_LE(p.payload.size(), static_cast<std::size_t>(options.max_payload_bytes));
  }
  const std::map<std::uint16_t, std::uint8_t> types{{1, 0x11}, {2, 0x09}, {3, 0x09}, {10, 0x40}};
  for (const auto& [channel, type] : types) {
    const std::vector<Packet> own = OfChannel(packets, channel);
    ASSERT_FALSE(own.empty()) << channel;
    for (const Packet& p : own) EXPECT_EQ(p.type, type) << channel;
  }
  // About 10 ms of data per packet.
  EXPECT_NEAR(static_cast<double>(OfChannel(packets, 3).size()), 300.0, 3.0);
}

TEST(SyntheticRecording, TmatsDescribesEveryChannel) {
  SynthOptions options = OnePcm();
  options.pcm.push_back(options.pcm[0]);
  options.pcm[1].channel_id = 33;
  options.pcm[1].word_length = 12;
  options.pcm[1].subframes = 1;
  options.pcm[1].pattern = 0xFAF320;
  options.pcm[1].pattern_length = 24;
  options.pcm[1].packing = SynthPacking::Packed;
  options.video.push_back({});
  const std::vector<Packet> packets = Walk(Generate(options));
  ASSERT_FALSE(packets.empty());
  const std::string text(packets[0].payload.begin(), packets[0].payload.end());
  EXPECT_EQ(text, SyntheticTmatsText(options));
  for (const char* line :
       {"R-1\\N:4;\r\n", "R-1\\TK1-1:1;\r\n", "R-1\\CHE-1:T;\r\n", "R-1\\CDT-1:TIMEIN;\r\n",
        "R-1\\TK1-2:2;\r\n", "R-1\\CDT-2:PCMIN;\r\n", "R-1\\CDLN-2:PCM1;\r\n", "R-1\\PDP-2:TM;\r\n",
        "R-1\\TK1-3:33;\r\n", "R-1\\PDP-3:PFS;\r\n", "R-1\\TK1-4:10;\r\n", "R-1\\CDT-4:VIDIN;\r\n",
        "M-1\\ID:PCM1;\r\n", "M-1\\BB\\DLN:PCM1-FORMAT;\r\n", "M-2\\ID:PCM2;\r\n",
        "P-1\\DLN:PCM1-FORMAT;\r\n", "P-1\\D2:200000;\r\n", "P-1\\F1:16;\r\n", "P-1\\F2:M;\r\n",
        "P-1\\MF\\N:4;\r\n",
        // 40 words of which the 32-bit pattern takes two, counted as one by TMATS.
        "P-1\\MF1:39;\r\n", "P-1\\MF2:640;\r\n", "P-1\\MF4:32;\r\n",
        "P-1\\MF5:11111110011010110010100001000000;\r\n", "P-1\\ISF2-1:ID;\r\n",
        "P-1\\IDC1-1:1;\r\n", "P-1\\IDC3-1:1;\r\n", "P-1\\IDC8-1:3;\r\n", "P-1\\IDC10-1:INC;\r\n",
        "P-2\\F1:12;\r\n", "P-2\\MF\\N:1;\r\n", "P-2\\MF1:39;\r\n", "P-2\\MF2:480;\r\n",
        "P-2\\MF4:24;\r\n", "P-2\\MF5:111110101111001100100000;\r\n", "P-2\\ISF\\N:0;\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(text.find("P-2\\IDC"), std::string::npos) << "no counter without subframes";
  // The M group of a stream comes before its P group, its ID and BSG1 before its DLN.
  EXPECT_LT(text.find("M-1\\BSG1"), text.find("M-1\\BB\\DLN"));
  EXPECT_LT(text.find("M-2\\BB\\DLN"), text.find("P-1\\DLN"));
}

int Bcd(std::uint32_t word, int shift, int digits) {
  int value = 0;
  for (int d = digits - 1; d >= 0; --d)
    value = value * 10 + static_cast<int>((word >> (shift + 4 * d)) & 0xF);
  return value;
}

TEST(SyntheticRecording, TimePacketsEverySecondInBcdAcrossTheYearEnd) {
  SynthOptions options = OnePcm(3.5);
  options.start_day = 366;
  options.start_seconds = 86'398.25;      // 23:59:58.250
  options.start_rtc = 0x12'FFF0'0000ull;  // the counter's low word wraps after 0.1 s
  SynthResult result;
  const std::vector<Packet> times = OfChannel(Walk(Generate(options, &result)), 1);
  ASSERT_EQ(times.size(), 4u);
  EXPECT_EQ(result.time_packets, 4);
  const int expected[4][5] = {
      {366, 23, 59, 58, 250}, {366, 23, 59, 59, 250}, {1, 0, 0, 0, 250}, {1, 0, 0, 1, 250}};
  for (std::size_t k = 0; k < times.size(); ++k) {
    const Packet& p = times[k];
    EXPECT_EQ(p.rtc, options.start_rtc + k * 10'000'000);
    EXPECT_EQ(p.csdw & 0x2F0u, 0u) << "IRIG-B, day-of-year format";
    ASSERT_EQ(p.payload.size(), 8u);
    const std::uint32_t w1 = Le(p.payload, 0, 4);
    const std::uint32_t w2 = Le(p.payload, 4, 4);
    EXPECT_EQ(Bcd(w2, 0, 3), expected[k][0]);
    EXPECT_EQ(Bcd(w1, 24, 2), expected[k][1]);
    EXPECT_EQ(Bcd(w1, 16, 2), expected[k][2]);
    EXPECT_EQ(Bcd(w1, 8, 2), expected[k][3]);
    EXPECT_EQ(Bcd(w1, 0, 2) * 10, expected[k][4]);
  }
}

// Concatenated throughput payload bits of a channel; checks CSDW and packet times.
std::vector<std::uint8_t> ThroughputBits(const std::vector<Packet>& packets, std::uint16_t channel,
                                         const SynthOptions& options, std::int64_t rate) {
  std::vector<std::uint8_t> bits;
  for (const Packet& p : OfChannel(packets, channel)) {
    EXPECT_EQ(p.csdw, 1u << 20) << "throughput mode only";
    EXPECT_EQ(p.payload.size() % 4, 0u);
    const auto before = static_cast<std::uint64_t>(bits.size());
    EXPECT_EQ(p.rtc, options.start_rtc + before * 10'000'000 / static_cast<std::uint64_t>(rate));
    AppendBits(p.payload, 0, p.payload.size(), bits);
  }
  return bits;
}

// Checks minor frame `frame` whose first bit is at `at` (pattern leading or trailing).
void ExpectFrame(const std::vector<std::uint8_t>& bits, std::size_t at, std::int64_t frame,
                 const SynthPcmStream& s, int stream) {
  const int wl = s.word_length;
  const int n = (s.pattern_length + wl - 1) / wl;
  const int first_pattern = s.pattern_leads ? 0 : s.words_per_frame - n;
  for (int j = 0; j < s.words_per_frame; ++j) {
    const std::uint64_t value = ReadBits(bits, at + static_cast<std::size_t>(j * wl), wl);
    if (j >= first_pattern && j < first_pattern + n) continue;
    if (s.subframes > 1 && j == n) {
      ASSERT_EQ(value, static_cast<std::uint64_t>(frame % s.subframes)) << "frame " << frame;
    } else {
      ASSERT_EQ(value, SyntheticWordValue(stream, frame, j, wl))
          << "frame " << frame << " word " << j;
    }
  }
}

struct LayoutCase {
  int words;
  int word_length;
  int subframes;
  std::uint64_t pattern;
  int pattern_length;
  bool leads;
  std::int64_t offset;
};

class ThroughputLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(ThroughputLayout, PatternRepeatsEveryFrameWithCounterAndData) {
  const LayoutCase& c = GetParam();
  SynthOptions options = OnePcm(0.5);
  SynthPcmStream& s = options.pcm[0];
  s.words_per_frame = c.words;
  s.word_length = c.word_length;
  s.subframes = c.subframes;
  s.pattern = c.pattern;
  s.pattern_length = c.pattern_length;
  s.pattern_leads = c.leads;
  s.bit_offset = c.offset;
  SynthResult result;
  const std::vector<Packet> packets = Walk(Generate(options, &result));
  const std::vector<std::uint8_t> bits = ThroughputBits(packets, 2, options, s.bit_rate);
  ASSERT_GE(bits.size(), 100'000u);
  EXPECT_EQ(result.streams.at(0).bits, static_cast<std::int64_t>(bits.size()));

  const auto frame_bits = static_cast<std::size_t>(c.words * c.word_length);
  const int n = (c.pattern_length + c.word_length - 1) / c.word_length;
  const std::size_t pattern_at =
      static_cast<std::size_t>(c.offset) +
      (c.leads ? 0 : static_cast<std::size_t>((c.words - n) * c.word_length));
  const std::size_t frames = (bits.size() - static_cast<std::size_t>(c.offset)) / frame_bits;
  EXPECT_EQ(result.streams[0].frames, static_cast<std::int64_t>(frames));
  for (std::size_t k = 0; k < frames; ++k) {
    ASSERT_EQ(ReadBits(bits, pattern_at + k * frame_bits, c.pattern_length), c.pattern) << k;
  }
  for (std::size_t k = 0; k < frames; ++k) {
    ExpectFrame(bits, static_cast<std::size_t>(c.offset) + k * frame_bits,
                static_cast<std::int64_t>(k), s, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ThroughputLayout,
    testing::Values(LayoutCase{40, 16, 4, 0xFE6B2840, 32, true, 0},
                    LayoutCase{40, 16, 4, 0xFE6B2840, 32, true, 5},
                    LayoutCase{33, 12, 16, 0xFE6B2840, 32, false, 0},  // 4 fill bits
                    LayoutCase{64, 8, 64, 0xFAF320, 24, true, 1001},
                    LayoutCase{20, 10, 1, 0x3F, 7, false, 3},
                    LayoutCase{12, 16, 2, 0xFE6B28401A2B3C4Dull, 64, true, 16}));

TEST(SyntheticRecording, NoiseBurstsShiftTheFramesByTheirLength) {
  SynthOptions options = OnePcm(2.0);
  SynthPcmStream& s = options.pcm[0];
  s.noise_bursts_per_second = 10;
  SynthResult result;
  const std::vector<std::uint8_t> bits =
      ThroughputBits(Walk(Generate(options, &result)), 2, options, s.bit_rate);
  const SynthStreamReport& report = result.streams.at(0);
  EXPECT_GT(report.noise_bursts, 5);
  EXPECT_LT(report.noise_bursts, 40);
  // Frames sit one frame apart except after a burst; the gaps add up to the noise bits.
  const std::vector<std::size_t> found = FindPattern(bits, s.pattern, s.pattern_length);
  const std::size_t frame_bits = 40 * 16;
  std::int64_t bursts = 0;
  std::int64_t extra = 0;
  for (std::size_t i = 1; i < found.size(); ++i) {
    const std::size_t gap = found[i] - found[i - 1];
    ASSERT_GE(gap, frame_bits) << "a pattern inside a frame";
    if (gap != frame_bits) {
      ++bursts;
      extra += static_cast<std::int64_t>(gap - frame_bits);
    }
  }
  EXPECT_EQ(bursts, report.noise_bursts);
  EXPECT_EQ(extra, report.noise_bits);
  // The frames keep counting across the bursts.
  for (std::size_t k = 0; k + 1 < found.size(); k += 37)
    ExpectFrame(bits, found[k], static_cast<std::int64_t>(k), s, 0);
}

struct FramedCase {
  SynthPacking packing;
  bool align32;
  int word_length;
};

class FramedPacking : public testing::TestWithParam<FramedCase> {};

TEST_P(FramedPacking, EachFrameFollowsItsIntraPacketHeader) {
  const FramedCase& c = GetParam();
  SynthOptions options = OnePcm(0.3);
  SynthPcmStream& s = options.pcm[0];
  s.packing = c.packing;
  s.align32 = c.align32;
  s.word_length = c.word_length;
  s.words_per_frame = 41;
  SynthResult result;
  const std::vector<Packet> packets = OfChannel(Walk(Generate(options, &result)), 2);
  ASSERT_FALSE(packets.empty());
  const bool unpacked = c.packing == SynthPacking::Unpacked;
  const std::size_t header = c.align32 ? 12 : 10;
  const std::size_t slot = c.align32 ? 32 : 16;
  const std::size_t frame_bits = static_cast<std::size_t>(41 * c.word_length);
  const std::size_t frame_bytes =
      unpacked ? 41 * slot / 8 : (frame_bits + slot - 1) / slot * slot / 8;
  std::int64_t frame = 0;
  for (const Packet& p : packets) {
    EXPECT_EQ((p.csdw >> 18) & 7u, unpacked ? 1u : 2u) << "mode bits";
    EXPECT_EQ((p.csdw >> 30) & 1u, 1u) << "intra-packet headers";
    EXPECT_EQ((p.csdw >> 21) & 1u, c.align32 ? 1u : 0u) << "alignment";
    EXPECT_EQ((p.csdw >> 29) & 1u, frame % 4 == 0 ? 1u : 0u) << "major frame start";
    ASSERT_EQ(p.payload.size() % (header + frame_bytes), 0u);
    const std::uint64_t packet_rtc =
        options.start_rtc + static_cast<std::uint64_t>(frame) * frame_bits * 10'000'000 / 200'000;
    EXPECT_EQ(p.rtc, packet_rtc);
    for (std::size_t at = 0; at < p.payload.size(); at += header + frame_bytes, ++frame) {
      const std::uint64_t stamp =
          Le(p.payload, at, 4) | (std::uint64_t{Le(p.payload, at + 4, 4)} << 32);
      EXPECT_EQ(stamp, options.start_rtc +
                           static_cast<std::uint64_t>(frame) * frame_bits * 10'000'000 / 200'000);
      EXPECT_EQ(Le(p.payload, at + 8, 2), 0xF000u) << "minor and major frame lock";
      std::vector<std::uint8_t> bits;
      AppendBits(p.payload, at + header, at + header + frame_bytes, bits);
      if (unpacked) {
        // One word per slot, first; the rest of the slot is zero.
        std::vector<std::uint8_t> packed;
        for (std::size_t w = 0; w < 41; ++w) {
          for (std::size_t b = 0; b < slot; ++b) {
            if (b < static_cast<std::size_t>(c.word_length)) {
              packed.push_back(bits[w * slot + b]);
            } else {
              ASSERT_EQ(bits[w * slot + b], 0) << "fill bit";
            }
          }
        }
        bits = packed;
      }
      ASSERT_EQ(ReadBits(bits, 0, 32), s.pattern);
      ExpectFrame(bits, 0, frame, s, 0);
    }
  }
  EXPECT_EQ(result.streams[0].frames, frame);
  EXPECT_EQ(frame,
            static_cast<std::int64_t>(0.3 * 200'000) / static_cast<std::int64_t>(frame_bits));
}

INSTANTIATE_TEST_SUITE_P(Modes, FramedPacking,
                         testing::Values(FramedCase{SynthPacking::Packed, false, 16},
                                         FramedCase{SynthPacking::Packed, true, 16},
                                         FramedCase{SynthPacking::Packed, false, 12},
                                         FramedCase{SynthPacking::Unpacked, false, 12},
                                         FramedCase{SynthPacking::Unpacked, true, 10}));

TEST(SyntheticRecording, VideoCarriesTransportStreamPacketsHighByteFirst) {
  SynthOptions options = OnePcm(0.5);
  options.pcm.clear();
  options.video.push_back({});
  options.video.push_back({33, 4'000'000});
  SynthResult result;
  const std::vector<Packet> packets = Walk(Generate(options, &result));
  for (int channel : {10, 33}) {
    const int stream = channel == 10 ? 0 : 1;
    std::int64_t ts = 0;
    for (const Packet& p : OfChannel(packets, static_cast<std::uint16_t>(channel))) {
      EXPECT_EQ(p.type, 0x40);
      ASSERT_EQ(p.payload.size() % 188, 0u);
      for (std::size_t at = 0; at < p.payload.size(); at += 188, ++ts) {
        std::uint8_t expected[188];
        SyntheticTsPacket(stream, ts, expected);
        EXPECT_EQ(p.payload[at + 1], 0x47) << "sync byte is the first word's high byte";
        for (std::size_t i = 0; i < 188; i += 2) {
          ASSERT_EQ(Le(p.payload, at + i, 2), (expected[i] << 8u) | expected[i + 1]);
        }
      }
    }
    EXPECT_EQ(ts, result.streams.at(static_cast<std::size_t>(stream)).ts_packets);
    EXPECT_EQ(ts, static_cast<std::int64_t>(0.5 * (stream == 0 ? 2e6 : 4e6)) / 1504);
  }
}

TEST(SyntheticRecording, PacketSizeFollowsPacketTimeAndLimit) {
  SynthOptions options = OnePcm(0.2);
  options.pcm[0].bit_rate = 20'000'000;
  options.max_payload_bytes = 4096;
  for (const Packet& p : OfChannel(Walk(Generate(options)), 2)) EXPECT_LE(p.payload.size(), 4096u);
  options.max_payload_bytes = 65'536;
  options.packet_ms = 1.0;
  const std::vector<Packet> packets = OfChannel(Walk(Generate(options)), 2);
  EXPECT_EQ(packets.front().payload.size(), 20'000u / 8);
  EXPECT_EQ(packets.size(), 200u);
}

struct BadCase {
  const char* what;
  void (*change)(SynthOptions&);
  const char* message;
};

TEST(SyntheticRecording, RefusesOptionsItCannotWrite) {
  const BadCase cases[] = {
      {"zero duration", [](SynthOptions& o) { o.duration_seconds = 0; }, "duration"},
      {"nine streams", [](SynthOptions& o) { o.pcm.resize(9); }, "at most 8 PCM"},
      {"no streams", [](SynthOptions& o) { o.pcm.clear(); }, "no PCM or video"},
      {"word of 17 bits", [](SynthOptions& o) { o.pcm[0].word_length = 17; }, "word length"},
      {"pattern wider than its length", [](SynthOptions& o) { o.pcm[0].pattern_length = 24; },
       "more than 24 bits"},
      {"frame of pattern only", [](SynthOptions& o) { o.pcm[0].words_per_frame = 3; },
       "words per minor frame"},
      {"counter wider than a word",
       [](SynthOptions& o) {
         o.pcm[0].word_length = 5;
         o.pcm[0].pattern = 0x1F;
         o.pcm[0].pattern_length = 5;
         o.pcm[0].subframes = 64;
       },
       "counter"},
      {"noise when packed",
       [](SynthOptions& o) {
         o.pcm[0].packing = SynthPacking::Packed;
         o.pcm[0].noise_bursts_per_second = 1;
       },
       "throughput"},
      {"channel twice", [](SynthOptions& o) { o.pcm[0].channel_id = 1; }, "used twice"},
      {"day 367", [](SynthOptions& o) { o.start_day = 367; }, "start day"},
      {"counter beyond 48 bits", [](SynthOptions& o) { o.start_rtc = 1ull << 48; }, "48 bits"},
      {"video too slow",
       [](SynthOptions& o) {
         o.video.push_back({0, 1000});
       },
       "video stream 1"},
  };
  test::TempDir dir;
  for (const BadCase& c : cases) {
    SynthOptions options = OnePcm();
    c.change(options);
    const std::string error = CheckSynthOptions(options);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    const SynthResult result = WriteSyntheticRecording(options, dir.File("bad.c10"));
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_EQ(result.error, error) << c.what;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.c10"))) << "nothing written for bad options";
}

TEST(SyntheticRecording, ReportsAFileItCannotCreate) {
  test::TempDir dir;
  const SynthResult result = WriteSyntheticRecording(OnePcm(), dir.File("missing/x.c10"));
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
}

// The project's packet reader and the test's own walk agree on every packet.
TEST(SyntheticRecording, PacketReaderReadsEveryPacket) {
  SynthOptions options = OnePcm(1.5);
  options.pcm.push_back(options.pcm[0]);
  options.pcm[1].packing = SynthPacking::Unpacked;
  options.video.push_back({});
  const std::vector<std::uint8_t> bytes = Generate(options);
  const std::vector<Packet> walked = Walk(bytes);
  ch10pktstruct record;
  std::vector<std::uint8_t> body;
  std::vector<std::uint8_t> payload;
  std::size_t position = 0;
  std::size_t count = 0;
  while (position < bytes.size()) {
    ASSERT_TRUE(ReadPacket(bytes, position, record, body, payload)) << "packet " << count;
    ASSERT_LT(count, walked.size());
    const Packet& p = walked[count++];
    EXPECT_EQ(record.Header.ChannelId, p.channel);
    EXPECT_EQ(record.Header.DataType, p.type);
    EXPECT_EQ(HeaderChecksum(record.Header), record.Header.Checksum);
    EXPECT_FALSE(HasSecondaryHeader(record.Header));
    EXPECT_DOUBLE_EQ(RtcSeconds(record.Header), static_cast<double>(p.rtc) * 1e-7);
    EXPECT_EQ(record.Csdw, p.csdw);
    EXPECT_EQ(payload, p.payload);
    EXPECT_EQ(record.Trailer.ChecksumSize, 0);
  }
  EXPECT_EQ(count, walked.size());
}

// The project's TMATS reader finds every channel and links each PCM format to its channel.
TEST(SyntheticRecording, TmatsReaderFindsChannelsAndLinks) {
  test::LogSession log;
  SynthOptions options = OnePcm();
  options.pcm.push_back(options.pcm[0]);
  options.pcm[1].channel_id = 33;
  options.pcm[1].packing = SynthPacking::Unpacked;
  options.video.push_back({});
  const std::string path = log.dir().File("tmats.c10");
  ASSERT_TRUE(WriteSyntheticRecording(options, path).ok);
  TmatsTables tables;
  const TmatsReadResult read = ReadTmatsFromRecording(path, false, tables);
  EXPECT_EQ(read.status, TmatsRecordStatus::Whole);
  EXPECT_FALSE(tables.r.fallback);
  EXPECT_EQ(tables.r.recorder.NumTracks, 4);
  ASSERT_EQ(tables.r.channels.size(), 4u);
  const int tracks[] = {1, 2, 33, 10};
  const int types[] = {kTmatsChannelTime, kTmatsChannelPcm, kTmatsChannelPcm, kTmatsChannelVideo};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(tables.r.channels[i].TrackNumChannelId, tracks[i]) << i;
    EXPECT_EQ(tables.r.channels[i].ChannelDataType, types[i]) << i;
  }
  EXPECT_EQ(tables.r.channels[1].DataPackMode, kTmatsPackingThroughput);
  EXPECT_EQ(tables.r.channels[2].DataPackMode, 0) << "UN";
  ASSERT_EQ(tables.m.groups.size(), 2u);
  EXPECT_EQ(tables.m.groups[0].TrackChannelId, 2);
  EXPECT_EQ(tables.m.groups[0].DataLinkName, "PCM1-FORMAT");
  EXPECT_EQ(tables.m.groups[1].TrackChannelId, 33);
  EXPECT_EQ(tables.m.groups[1].RGroupIndex, 2);
}

TEST(SyntheticRecording, ReportsADiskThatFillsUp) {
  struct FaultGuard {
    FaultGuard() { SetWriteFaultForTesting(10'000, ENOSPC); }
    ~FaultGuard() { SetWriteFaultForTesting(-1, 0); }
  };
  test::TempDir dir;
  const std::string path = dir.File("full.c10");
  SynthResult result;
  {
    FaultGuard guard;
    result = WriteSyntheticRecording(OnePcm(), path);
  }
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error.rfind("cannot write " + path + ": ", 0), 0u) << result.error;
}

}  // namespace
}  // namespace tessel
