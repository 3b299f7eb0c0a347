// Decodes the packets of one stream into queued 16-bit values and hands them back in
// chunks of one minor frame's length, each with the time of its first value.
//
// Three payloads are decoded: PCM Data Format 1 (kind 0), Time Data Format 1 (kind 3)
// and Video Data Format 0 (kind 4). A time packet queues nothing: it sets the run's
// IRIG time and the offset between the recorder's relative time counter and IRIG
// time, which every later PCM and video packet of the run uses to stamp its values.
// The IRIG time and offset live in one IrigTimeState per run, shared by reference by
// all packet processors of that run.
//
// Payload bytes are read through bounds checks; bytes a packet does not hold read as
// zero, so nothing of an earlier packet ever reaches the queue. The queue holds every
// value of a packet however large.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ch10/packet.h"
#include "support/debug_switches.h"

namespace tessel {

// The run's IRIG time, as decoded from the last time packet, and its offset against
// the relative time counter of that packet. Zero until a time packet comes.
struct IrigTimeState {
  double IrigTime = 0.0;        // seconds of the year (day of year x 86 400 + time of day)
  double IrigTimeOffset = 0.0;  // IrigTime - RtcSeconds of that time packet
  void Reset() { *this = IrigTimeState{}; }
};

// PCM CSDW bit 21: intra-packet headers and minor frames aligned on 32 bits.
inline constexpr std::uint32_t kPcmCsdwAlign32 = std::uint32_t{1} << 21;
// Intra-packet header sizes: 8-byte time stamp plus a 2- or 4-byte data header.
inline constexpr std::size_t kIntraPacketHeader16 = 10;
inline constexpr std::size_t kIntraPacketHeader32 = 12;
// Value time used when no positive bit rate is known, seconds.
inline constexpr double kDefaultValueTime = 1e-6;
// Days of the year a time packet may give (day 366 exists in leap years).
inline constexpr int kMaxIrigDay = 366;

// The fields of a Time Data Format 1 packet, each limited to its range.
struct IrigTimeFields {
  int Day = 0;  // day of the year, 0..366
  int Hours = 0;
  int Minutes = 0;
  int Seconds = 0;
  int Milliseconds = 0;
  // Seconds of the year: Day x 86 400 + time of day.
  double TimeOfYear() const;
};

// Decodes a Time Data Format 1 payload (the bytes after the CSDW): BCD digits, each a
// full 4-bit field, limited to their ranges. With CSDW bit 9 set the second word holds
// day of month, month and year, and the day of year follows from them; otherwise it
// holds the day of year. Missing bytes read as zero.
IrigTimeFields DecodeIrigTime(std::uint32_t csdw, std::span<const std::uint8_t> payload);

class ch10pktprocessorclass {
 public:
  // `stream_index`: 0..7, or -1 for the time stream (the code of the separator log
  // line); `kind`: 0 PCM, 3 time, 4 video. `irig` and `debug` belong to the run and
  // must outlive the processor.
  ch10pktprocessorclass(int stream_index, int kind, IrigTimeState& irig,
                        const DebugSwitches& debug);

  // Seconds per queued value: 16 bits per value for PCM, 8 for video (one byte per
  // value); kDefaultValueTime when the bit rate is not positive.
  static double ValueTimeFor(int kind, double bit_rate);

  // Empties the queue and sets the chunk length (values per chunk), the value time
  // (kDefaultValueTime when not positive), the minor frame time (only printed) and the
  // 16-bit words one minor frame occupies after its intra-packet header in packed and
  // unpacked PCM packets (0: the chunk length). Current time := the IRIG time offset.
  void Init(int chunk_length, double value_time, double minor_frame_time,
            int packet_frame_words = 0);

  // Decodes one packet of the stream: `packet` is its record (the entry table is
  // filled here), `payload` the bytes after its CSDW. By kind: PCM and video queue
  // their values, time sets the run's IRIG time; other kinds are logged and ignored.
  void Process(ch10pktstruct& packet, std::span<const std::uint8_t> payload);

  // Moves the chunk length oldest values into `words` (at least that long) and
  // advances the current time by their duration. False, taking nothing, when fewer are
  // queued (leftover then holds their count) or `words` is too short.
  bool PopChunk(std::span<std::uint16_t> words);

  int StreamIndex() const { return stream_index_; }
  int Kind() const { return kind_; }
  // Values waiting in the queue.
  std::size_t Queued() const { return queue_.size() - head_; }
  // Values that were queued when the last PopChunk found too few.
  std::size_t Leftover() const { return leftover_; }
  // RtcSeconds of the last PCM, video or time packet processed.
  double PacketTime() const { return packet_time_; }
  // Time of year of the oldest queued value.
  double CurrentTime() const { return current_time_; }
  // Time of year of the first value of the chunk last popped.
  double ChunkTime() const { return chunk_time_; }
  int ChunkLength() const { return chunk_length_; }
  double ValueTime() const { return value_time_; }
  double MinorFrameTime() const { return minor_frame_time_; }
  int PacketFrameWords() const { return packet_frame_words_; }

 private:
  void ParseTimePacket(ch10pktstruct& packet, std::span<const std::uint8_t> payload);
  void ParsePcmPacket(ch10pktstruct& packet, std::span<const std::uint8_t> payload);
  void ParseVideoPacket(ch10pktstruct& packet, std::span<const std::uint8_t> payload);
  // Fills the entry table two words per entry from the whole payload.
  static void WalkPlain(ch10pktstruct& packet, std::span<const std::uint8_t> payload);
  // Fills the entry table from the complete minor frames behind intra-packet headers
  // and queues their data words; returns the number of words queued.
  std::size_t WalkHeaders(ch10pktstruct& packet, std::span<const std::uint8_t> payload,
                          bool align32);
  // Times after a PCM or video packet whose values follow `queued_before` older ones.
  void StampPacket(const ch10pktheaderstruct& header, std::size_t queued_before);
  void LogPacketInfo(const char* label, const ch10pktheaderstruct& header,
                     std::size_t payload_bytes, double previous_time) const;
  void Push(std::span<const std::uint8_t> little_endian_words);
  void CompactQueue();

  int stream_index_;
  int kind_;
  IrigTimeState& irig_;
  const DebugSwitches& debug_;

  // The queue: values from head_ to the end of queue_, oldest first.
  std::vector<std::uint16_t> queue_;
  std::size_t head_ = 0;
  std::size_t leftover_ = 0;

  double packet_time_ = 0.0;
  double current_time_ = 0.0;
  double chunk_time_ = 0.0;
  int chunk_length_ = 0;
  double minor_frame_time_ = 0.0;
  double value_time_ = kDefaultValueTime;
  int packet_frame_words_ = 0;
};

}  // namespace tessel
