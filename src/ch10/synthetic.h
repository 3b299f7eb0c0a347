// Synthetic Chapter 10 recordings for tests, benchmarks and the demo.
//
// A recording holds, in this order of time: a TMATS setup record (data type 0x01) that
// describes every channel in R, M and P groups; one Time Data Format 1 packet (0x11,
// day-of-year BCD) per second; PCM Data Format 1 packets (0x09) per PCM stream, in
// throughput, packed or unpacked mode; and optionally MPEG-2 transport stream packets
// (Video Data Format 0, 0x40). Packets of all channels are interleaved in the order a
// recorder completes them, and every time stamp comes from one 10 MHz relative time
// counter, so a reader can check times against the bit rate.
//
// PCM minor frames as a decommutator sees them: `words_per_frame` words of
// `word_length` bits; the sync pattern fills the first ceil(pattern_length /
// word_length) words (zero-filled after the pattern) when it leads, the last ones when
// it trails; with subframes the word right after the pattern words (decom index n,
// counted from 0) holds the subframe counter (frame number modulo subframes) in its low
// bits; every other word j of frame k holds SyntheticWordValue(stream, k, j, length).
// Throughput streams may start with junk bits and carry bursts of random bits between
// minor frames, which cost a synchroniser its lock.
//
// The same options and seed give the same bytes on every machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

// How a PCM stream is laid into its packets.
enum class SynthPacking { Throughput, Packed, Unpacked };

// One PCM stream. Channel ID 0 means "the default": 2 + the stream's index.
struct SynthPcmStream {
  std::uint16_t channel_id = 0;
  std::int64_t bit_rate = 1'000'000;   // bits per second, 100 .. 50 000 000
  int words_per_frame = 128;           // pattern words included, as a decommutator counts
  int word_length = 16;                // bits, 3 .. 16
  int subframes = 4;                   // minor frames per major frame, 1 .. 1024
  std::uint64_t pattern = 0xFE6B2840;  // sync pattern: its low `pattern_length` bits
  int pattern_length = 32;             // bits, 3 .. 64
  bool pattern_leads = true;           // false: the pattern ends each minor frame
  std::int64_t bit_offset = 0;         // random junk bits before the first frame, <= 10^6
  double noise_bursts_per_second = 0;  // bursts of random bits between minor frames
  SynthPacking packing = SynthPacking::Throughput;
  bool align32 = false;  // packed/unpacked: 32-bit alignment (CSDW bit 21)
};

// One MPEG-2 video stream. Channel ID 0 means "the default": 10 + the stream's index.
struct SynthVideoStream {
  std::uint16_t channel_id = 0;
  std::int64_t bit_rate = 2'000'000;  // transport stream bits per second, 15 040 .. 50 000 000
};

struct SynthOptions {
  double duration_seconds = 10.0;                     // recording time, > 0 and at most 100 000 s
  std::vector<SynthPcmStream> pcm{SynthPcmStream{}};  // 0 .. 8 PCM streams
  std::vector<SynthVideoStream> video;                // 0 .. 8 video streams
  std::uint16_t time_channel_id = 1;
  int start_day = 1;           // day of year of the first time packet, 1 .. 366
  double start_seconds = 0.0;  // its time of day in seconds, 0 .. < 86 400 (ms kept)
  // Relative time counter (10 MHz) at the start; the default makes its low 32-bit word
  // wrap about 4.5 s into the recording, so readers must combine both halves.
  std::uint64_t start_rtc = 4'250'000'000;
  std::uint64_t seed = 1;          // drives junk and noise bits
  double packet_ms = 10.0;         // time covered by one data packet, 0.1 .. 1000 ms
  int max_payload_bytes = 65'536;  // payload limit of one data packet, 256 .. 524 288
};

// What was written for one stream.
struct SynthStreamReport {
  bool video = false;
  int index = 0;  // 0-based within the PCM or the video streams
  std::uint16_t channel_id = 0;
  std::int64_t bit_rate = 0;
  std::int64_t packets = 0;
  std::int64_t bits = 0;  // serial stream bits carried (junk and noise included)
  // PCM only.
  int pattern_words = 0;    // words the sync pattern fills
  int frame_bits = 0;       // bits of one minor frame
  std::int64_t frames = 0;  // whole minor frames carried
  std::int64_t noise_bursts = 0;
  std::int64_t noise_bits = 0;
  // Video only.
  std::int64_t ts_packets = 0;
};

struct SynthResult {
  bool ok = false;
  std::string error;  // why nothing (or not everything) was written
  std::int64_t bytes = 0;
  std::int64_t packets = 0;  // all packets, the TMATS record included
  std::int64_t time_packets = 0;
  std::vector<SynthStreamReport> streams;  // PCM streams first, then video streams
};

// Checks the options; an empty text when they can be generated, else why not.
std::string CheckSynthOptions(const SynthOptions& options);

// The TMATS text of the setup record (CR LF line ends).
std::string SyntheticTmatsText(const SynthOptions& options);

// Writes the recording to `path` through the project's output writer.
SynthResult WriteSyntheticRecording(const SynthOptions& options, const std::string& path);
// The same bytes, in memory (for tests that build input without a file).
SynthResult GenerateSyntheticRecording(const SynthOptions& options,
                                       std::vector<std::uint8_t>& bytes);

// The value of word `word` (decom index, from 0) of minor frame `frame` (from 0) of PCM
// stream `stream` (index from 0), `word_length` bits wide.
std::uint32_t SyntheticWordValue(int stream, std::int64_t frame, int word, int word_length);
// The 188 bytes of transport stream packet `packet` (from 0) of video stream `stream`.
void SyntheticTsPacket(int stream, std::int64_t packet, std::uint8_t* out188);

}  // namespace tessel
