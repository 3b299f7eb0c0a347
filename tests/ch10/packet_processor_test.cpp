#include "ch10/packet_processor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "ch10/file_reader.h"
#include "ch10/read_packet.h"
#include "ch10/recording_builder.h"
#include "ch10/streams.h"
#include "common/log_session.h"
#include "common/test_files.h"

namespace tessel {
namespace {

using test::PacketParts;

// A packet as a stream holds it: the record and the payload after the CSDW.
struct HeldPacket {
  ch10pktstruct record;
  std::vector<std::uint8_t> payload;
};

HeldPacket Hold(const PacketParts& spec) {
  const std::vector<std::uint8_t> bytes = test::BuildPacket(spec);
  HeldPacket held;
  DecodeHeader(bytes, held.record.Header);
  const std::size_t body_length = std::min<std::size_t>(
      held.record.Header.PacketLength - kCh10HeaderSize, bytes.size() - kCh10HeaderSize);
  SplitPacketBody(std::span<const std::uint8_t>(bytes).subspan(kCh10HeaderSize, body_length),
                  held.record, held.payload);
  return held;
}

// One processor of each kind sharing the run's IRIG time, in a log session.
class ProcessorTest : public ::testing::Test {
 protected:
  void Feed(ch10pktprocessorclass& processor, const PacketParts& spec) {
    HeldPacket held = Hold(spec);
    processor.Process(held.record, held.payload);
  }

  // Every value the processor will give in chunks, as one list.
  static std::vector<std::uint16_t> Drain(ch10pktprocessorclass& processor) {
    std::vector<std::uint16_t> all;
    std::vector<std::uint16_t> chunk(static_cast<std::size_t>(processor.ChunkLength()));
    while (processor.PopChunk(chunk)) all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
  }

  // True when the log has a line with this code whose message is `message`.
  bool HasLogLine(int code, const std::string& message) const {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%06d  ", code);
    std::istringstream lines(session_.Text());
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      // Code, two blanks, the 19-character time of year, two blanks, the message.
      if (line.rfind(prefix, 0) == 0 && line.size() >= 29 && line.substr(29) == message)
        return true;
    }
    return false;
  }

  test::LogSession session_;
  IrigTimeState irig_;
  DebugSwitches debug_;
  ch10pktprocessorclass time_{-1, kKindTime, irig_, debug_};
  ch10pktprocessorclass pcm_{0, kKindPcm, irig_, debug_};
  ch10pktprocessorclass video_{1, kKindVideo, irig_, debug_};
};

PacketParts TimeSpec(std::uint32_t csdw, std::uint32_t word1, std::uint32_t word2,
                    std::uint64_t ticks) {
  PacketParts spec;
  spec.data_type = kDataTypeTimeF1;
  spec.csdw = csdw;
  test::SetRtcTicks(spec, ticks);
  test::AppendU32(spec.payload, word1);
  test::AppendU32(spec.payload, word2);
  return spec;
}

PacketParts PcmSpec(std::uint32_t csdw, std::vector<std::uint8_t> payload, std::uint64_t ticks) {
  PacketParts spec;
  spec.data_type = kDataTypePcmF1;
  spec.channel = 3;
  spec.csdw = csdw;
  test::SetRtcTicks(spec, ticks);
  spec.payload = std::move(payload);
  return spec;
}

constexpr std::uint32_t kThroughput = std::uint32_t{1} << 20;
constexpr std::uint32_t kPacked = std::uint32_t{1} << 19;
constexpr std::uint32_t kUnpacked = std::uint32_t{1} << 18;
constexpr std::uint32_t kHeaders = std::uint32_t{1} << 30;
constexpr std::uint32_t kMonthYear = std::uint32_t{1} << 9;

struct TimeCase {
  const char* name;
  std::uint32_t csdw;
  std::uint32_t word1;
  std::uint32_t word2;
  std::size_t payload_bytes;  // of the 8
  IrigTimeFields expected;
};

TEST_F(ProcessorTest, TimePacketsInBothDateFormats) {
  const std::vector<TimeCase> cases = {
      {"day of year", 0, 0x12345678, 0x00000123, 8, {123, 12, 34, 56, 780}},
      {"day 366 of a leap year", 0, 0, 0x366, 8, {366, 0, 0, 0, 0}},
      {"day beyond 366", 0, 0, 0x367, 8, {366, 0, 0, 0, 0}},
      {"seconds 75 and minutes 99", 0, 0x00997500, 0, 8, {0, 0, 59, 59, 0}},
      {"invalid BCD digits", 0, 0xFFFFFFFF, 0x00000FFF, 8, {366, 23, 59, 59, 999}},
      {"only the first word", 0, 0x01020300, 0x00000123, 4, {0, 1, 2, 3, 0}},
      {"no payload", 0, 0x12345678, 0x123, 0, {0, 0, 0, 0, 0}},
      {"month and year", kMonthYear, 0x22192200, 0x20181017, 8, {290, 22, 19, 22, 0}},
      {"31 December of a leap year", kMonthYear, 0, 0x20201231, 8, {366, 0, 0, 0, 0}},
      {"31 December of a common year", kMonthYear, 0, 0x20211231, 8, {365, 0, 0, 0, 0}},
      {"29 February", kMonthYear, 0, 0x20240229, 8, {60, 0, 0, 0, 0}},
      {"invalid month and day count as the first", kMonthYear, 0, 0x20211F9F, 8, {1, 0, 0, 0, 0}},
      {"day digits ignored in month and year format",
       kMonthYear,
       0,
       0x20210201,
       8,
       {32, 0, 0, 0, 0}},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(c.name);
    PacketParts spec = TimeSpec(c.csdw, c.word1, c.word2, 20'000'000);
    spec.payload.resize(c.payload_bytes);
    Feed(time_, spec);
    const IrigTimeFields& e = c.expected;
    const double expected =
        e.Day * 86400.0 + e.Hours * 3600.0 + e.Minutes * 60.0 + e.Seconds + e.Milliseconds * 0.001;
    EXPECT_DOUBLE_EQ(irig_.IrigTime, expected);
    EXPECT_DOUBLE_EQ(irig_.IrigTimeOffset, expected - 2.0);
    EXPECT_DOUBLE_EQ(time_.PacketTime(), 2.0);
    EXPECT_EQ(time_.Queued(), 0U);
  }
  EXPECT_DOUBLE_EQ(IrigTimeFields({123, 12, 34, 56, 780}).TimeOfYear(), 10'672'496.78);
}

// A time packet whose data length covers only part of its second word: the bytes
// after the data (filler, checksum) must not reach the day digits.
TEST_F(ProcessorTest, TimeBytesBeyondTheDataLengthReadAsZero) {
  PacketParts spec = TimeSpec(0, 0x12345678, 0x99990343, 0);
  spec.data_length = 10;  // CSDW + 6 bytes: the day's low 16 bits only
  Feed(time_, spec);
  EXPECT_DOUBLE_EQ(irig_.IrigTime, 343 * 86400.0 + 45296.78);
}

TEST_F(ProcessorTest, ThroughputPacketsQueueEveryWordWithTimes) {
  irig_.IrigTimeOffset = 1000.0;
  pcm_.Init(4, 0.5, 2.0);
  EXPECT_DOUBLE_EQ(pcm_.CurrentTime(), 1000.0);
  // 2.5 chunks: two pops, then half a chunk left over.
  Feed(pcm_,
       PcmSpec(kThroughput, test::WordsPayload({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 100'000'000));
  std::vector<std::uint16_t> chunk(4);
  ASSERT_TRUE(pcm_.PopChunk(chunk));
  EXPECT_EQ(chunk, (std::vector<std::uint16_t>{1, 2, 3, 4}));
  EXPECT_DOUBLE_EQ(pcm_.ChunkTime(), 1010.0);
  ASSERT_TRUE(pcm_.PopChunk(chunk));
  EXPECT_DOUBLE_EQ(pcm_.ChunkTime(), 1012.0);
  EXPECT_DOUBLE_EQ(pcm_.CurrentTime(), 1014.0);
  EXPECT_FALSE(pcm_.PopChunk(chunk));
  EXPECT_EQ(pcm_.Leftover(), 2U);
  // The next packet's time is that of its first value; the two left over are older.
  Feed(pcm_, PcmSpec(kThroughput, test::WordsPayload({11, 12, 13, 14, 15, 16}), 200'000'000));
  EXPECT_DOUBLE_EQ(pcm_.CurrentTime(), 1020.0 - 2 * 0.5);
  ASSERT_TRUE(pcm_.PopChunk(chunk));
  EXPECT_EQ(chunk, (std::vector<std::uint16_t>{9, 10, 11, 12}));
  EXPECT_DOUBLE_EQ(pcm_.ChunkTime(), 1019.0);
}

// Values still queued because the taker stopped early (the last PopChunk succeeded)
// are older than the next packet too.
TEST_F(ProcessorTest, UntakenValuesMakeTheNextPacketStartLater) {
  pcm_.Init(2, 0.25, 0.5);
  Feed(pcm_, PcmSpec(kThroughput, test::WordsPayload({1, 2, 3, 4, 5, 6}), 0));
  std::vector<std::uint16_t> chunk(2);
  ASSERT_TRUE(pcm_.PopChunk(chunk));
  Feed(pcm_, PcmSpec(kThroughput, test::WordsPayload({7, 8}), 40'000'000));
  EXPECT_DOUBLE_EQ(pcm_.CurrentTime(), 4.0 - 4 * 0.25);
}

TEST_F(ProcessorTest, WithoutTimePacketsTimesAreRtcSeconds) {
  pcm_.Init(2, 0.0, 0.0);
  EXPECT_DOUBLE_EQ(pcm_.ValueTime(), kDefaultValueTime);
  Feed(pcm_, PcmSpec(kThroughput, test::WordsPayload({1, 2}), 12'345'678));
  EXPECT_DOUBLE_EQ(pcm_.CurrentTime(), 1.2345678);
}

TEST_F(ProcessorTest, TimePacketsSetTheOffsetEveryProcessorUses) {
  Feed(time_, TimeSpec(0, 0x00000000, 0x001, 50'000'000));  // day 1, 0 h, RTC 5 s
  EXPECT_DOUBLE_EQ(irig_.IrigTimeOffset, 86400.0 - 5.0);
  pcm_.Init(2, 0.001, 0.002);
  Feed(pcm_, PcmSpec(kThroughput, test::WordsPayload({1, 2}), 70'000'000));
  EXPECT_DOUBLE_EQ(pcm_.CurrentTime(), 86402.0);
}

// Minor frames behind intra-packet headers: only their data words are queued, in
// stream order, for 10-byte headers (16-bit alignment) and 12-byte headers with each
// frame padded to 4 bytes; an incomplete last frame is not queued.
struct HeaderWalkCase {
  const char* name;
  std::uint32_t csdw;
  bool align32;
  int frame_words;
};

std::vector<std::uint8_t> FramesPayload(int frames, int frame_words, bool align32,
                                        std::uint16_t first, int partial_bytes) {
  std::vector<std::uint8_t> payload;
  std::uint16_t value = first;
  for (int f = 0; f <= frames; ++f) {
    std::vector<std::uint8_t> frame;
    test::AppendU32(frame, 0xA0000000U + static_cast<std::uint32_t>(f));  // time stamp
    test::AppendU32(frame, 0xB0000000U);
    test::AppendU16(frame, 0xC000);  // data header
    if (align32) test::AppendU16(frame, 0xD000);
    for (int w = 0; w < frame_words; ++w) test::AppendU16(frame, value++);
    if (align32) frame.resize((frame.size() + 3) & ~std::size_t{3}, 0xEE);
    if (f == frames) frame.resize(static_cast<std::size_t>(partial_bytes));  // the cut frame
    payload.insert(payload.end(), frame.begin(), frame.end());
  }
  return payload;
}

TEST_F(ProcessorTest, HeaderWalksQueueTheDataWordsOfWholeFrames) {
  const std::vector<HeaderWalkCase> cases = {
      {"packed, 10-byte headers", kPacked | kHeaders, false, 5},
      {"packed, 12-byte headers, padded frames", kPacked | kHeaders | kPcmCsdwAlign32, true, 5},
      {"unpacked, 10-byte headers", kUnpacked | kHeaders, false, 6},
      {"unpacked without the header flag still has headers", kUnpacked, false, 3},
      {"unpacked, 12-byte headers", kUnpacked | kHeaders | kPcmCsdwAlign32, true, 7},
      {"throughput with headers", kThroughput | kHeaders, false, 4},
  };
  for (const HeaderWalkCase& c : cases) {
    for (int partial : {0, 11, 10 + 2 * c.frame_words - 1}) {
      SCOPED_TRACE(std::string(c.name) + ", cut frame of " + std::to_string(partial) + " bytes");
      pcm_.Init(c.frame_words, 1e-3, 1e-2);
      HeldPacket held =
          Hold(PcmSpec(c.csdw, FramesPayload(3, c.frame_words, c.align32, 100, partial), 0));
      pcm_.Process(held.record, held.payload);
      std::vector<std::uint16_t> expected(static_cast<std::size_t>(3 * c.frame_words));
      for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<std::uint16_t>(100 + i);
      EXPECT_EQ(pcm_.Queued(), expected.size());
      EXPECT_EQ(Drain(pcm_), expected);
      // Each frame's first entry carries its intra-packet header.
      const std::size_t per_frame = static_cast<std::size_t>((c.frame_words + 1) / 2);
      ASSERT_EQ(held.record.Entries.size(), 3 * per_frame);
      EXPECT_EQ(held.record.Entries[per_frame].TimeStampLow, 0xA0000001U);
      EXPECT_EQ(held.record.Entries[per_frame].DataHeader, 0xC000);
      EXPECT_EQ(held.record.Entries[per_frame].Word1, 100 + c.frame_words);
    }
  }
}

TEST_F(ProcessorTest, PackedFramesOccupyTheirOwnWordCount) {
  // 652-bit frames: chunks of 40 words, but each packed frame fills 41 words.
  pcm_.Init(40, 16.0 / 1e6, 652.0 / 1e6, 41);
  Feed(pcm_, PcmSpec(kPacked | kHeaders, FramesPayload(2, 41, false, 0, 0), 0));
  EXPECT_EQ(pcm_.Queued(), 82U);
}

TEST_F(ProcessorTest, VideoQueuesHighByteThenLowByte) {
  video_.Init(188, ch10pktprocessorclass::ValueTimeFor(kKindVideo, 8e6), 188e-6);
  EXPECT_DOUBLE_EQ(video_.ValueTime(), 1e-6);
  EXPECT_DOUBLE_EQ(ch10pktprocessorclass::ValueTimeFor(kKindPcm, 8e6), 2e-6);
  EXPECT_DOUBLE_EQ(ch10pktprocessorclass::ValueTimeFor(kKindPcm, 0.0), kDefaultValueTime);
  PacketParts spec = PcmSpec(0, test::WordsPayload({0x47AB, 0x1234}), 0);
  spec.data_type = kDataTypeVideoF0;
  Feed(video_, spec);
  EXPECT_EQ(video_.Queued(), 4U);
  video_.Init(4, 0.0, 0.0);
  Feed(video_, spec);
  EXPECT_EQ(Drain(video_), (std::vector<std::uint16_t>{0x47, 0xAB, 0x12, 0x34}));
}

// Far more than 65 536 entries' worth: every word is queued.
TEST_F(ProcessorTest, LargestPacketsQueueEveryWord) {
  const std::size_t words = (kCh10MaxBodySize - kCh10CsdwSize) / 2;
  std::vector<std::uint16_t> values(words);
  for (std::size_t i = 0; i < words; ++i) values[i] = static_cast<std::uint16_t>(i * 31);
  pcm_.Init(1024, 1e-6, 1e-3);
  Feed(pcm_, PcmSpec(kThroughput, test::WordsPayload(values), 0));
  EXPECT_EQ(pcm_.Queued(), words);
  const std::vector<std::uint16_t> all = Drain(pcm_);
  ASSERT_EQ(all.size(), words / 1024 * 1024);
  EXPECT_TRUE(std::equal(all.begin(), all.end(), values.begin()));
}

// Only the bytes of the data length are payload, and bytes a packet does not hold read
// as zero: nothing left from a larger earlier packet reaches the queue.
TEST_F(ProcessorTest, NoStaleBytesReachTheQueue) {
  pcm_.Init(1, 1e-6, 1e-6);
  PacketParts shorter = PcmSpec(kThroughput, test::WordsPayload({1, 2, 3, 4}), 0);
  shorter.data_length = 4 + 5;  // two words and one byte of a third
  HeldPacket held = Hold(shorter);
  held.payload.resize(64, 0x77);  // a larger buffer with old contents behind the data
  pcm_.Process(held.record, held.payload);
  EXPECT_EQ(Drain(pcm_), (std::vector<std::uint16_t>{1, 2, 3}));

  PacketParts longer = PcmSpec(kThroughput, test::WordsPayload({5, 6}), 0);
  longer.data_length = 4 + 8;  // claims two words more than the packet holds
  Feed(pcm_, longer);
  EXPECT_EQ(Drain(pcm_), (std::vector<std::uint16_t>{5, 6, 0, 0}));
}

TEST_F(ProcessorTest, MinimalPacketInfoLines) {
  debug_.DebugMinimalPacketInfo = true;
  Feed(time_, TimeSpec(0, 0x00000100, 0x001, 10'000'000));  // day 1 00:00:01, RTC 1 s
  pcm_.Init(2, 0.5, 1.0);
  PacketParts spec = PcmSpec(kThroughput, test::WordsPayload({1, 2, 3, 4, 5}), 30'000'000);
  spec.sequence = 7;
  Feed(pcm_, spec);
  EXPECT_TRUE(
      HasLogLine(2, "new IRIG packet..(numdatawordsinpacket to left) minorframedt is 0.000000"));
  EXPECT_TRUE(
      HasLogLine(4, "new IRIG packet..(numshortdatawordsinpacket to left) sequence number is 0"));
  EXPECT_TRUE(HasLogLine(2, "new IRIG packet..pkt time stamp is 1.000000   000:00:00:01.000000"));
  EXPECT_TRUE(HasLogLine(2, "new IRIG packet..IrigTime is 86401.000000   001:00:00:01.000000"));
  EXPECT_TRUE(HasLogLine(2, "new IRIG packet..delta PktTime & IrigTime is 86400.000000"));
  EXPECT_TRUE(HasLogLine(-1, std::string(52, '.')));
  EXPECT_TRUE(
      HasLogLine(3, "new PCM packet..(numdatawordsinpacket to left) minorframedt is 1.000000"));
  EXPECT_TRUE(
      HasLogLine(5, "new PCM packet..(numshortdatawordsinpacket to left) sequence number is 7"));
  EXPECT_TRUE(HasLogLine(3, "new PCM packet..time stamp is 3.000000   000:00:00:03.000000"));
  EXPECT_TRUE(HasLogLine(3, "new PCM packet..delta last time stamp is 3.000000"));
  EXPECT_TRUE(HasLogLine(0, std::string(52, '.')));
}

TEST_F(ProcessorTest, UnsupportedKindsAreLoggedAndQueueNothing) {
  ch10pktprocessorclass analog(2, kKindAnalog, irig_, debug_);
  analog.Init(2, 1e-6, 1e-6);
  Feed(analog, PcmSpec(kThroughput, test::WordsPayload({1, 2}), 0));
  EXPECT_EQ(analog.Queued(), 0U);
  EXPECT_TRUE(HasLogLine(kKindAnalog, "This Type Packet NOT Supported Yet"));
}

// Throughput PCM of 652-bit minor frames through the packet processor and the bit
// stream: every frame comes out exactly, although no chunk ends on a frame boundary.
TEST_F(ProcessorTest, ThroughputFramesRoundTripThroughTheBitStream) {
  std::vector<bool> bits;
  auto add = [&bits](std::uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) bits.push_back(((v >> i) & 1U) != 0);
  };
  std::vector<std::uint16_t> data_words;
  for (int f = 0; f < 64; ++f) {
    add(0xFE6B2840U, 32);
    for (int w = 0; w < 62; ++w) add(static_cast<std::uint32_t>((f * 62 + w) & 0x3FF), 10);
  }
  std::vector<std::uint16_t> words(bits.size() / 16);
  for (std::size_t i = 0; i < words.size() * 16; ++i)
    if (bits[i]) words[i / 16] = static_cast<std::uint16_t>(words[i / 16] | (0x8000U >> (i % 16)));

  pcm_.Init(40, ch10pktprocessorclass::ValueTimeFor(kKindPcm, 1e6), 652e-6);
  ch10bitstreamclass stream(40);
  std::vector<std::uint16_t> chunk(40);
  int frames = 0;
  for (std::size_t at = 0; at < words.size(); at += 300) {
    const std::size_t n = std::min<std::size_t>(300, words.size() - at);
    Feed(pcm_, PcmSpec(kThroughput,
                       test::WordsPayload({words.begin() + static_cast<std::ptrdiff_t>(at),
                                           words.begin() + static_cast<std::ptrdiff_t>(at + n)}),
                       at));
    while (pcm_.PopChunk(chunk)) {
      ASSERT_TRUE(stream.Write(chunk));
      while (stream.BitsAvailable() >= 652) {
        ASSERT_EQ(stream.ReadBits(32), 0xFE6B2840U);
        for (int w = 0; w < 62; ++w)
          ASSERT_EQ(stream.ReadBits(10), static_cast<std::uint32_t>((frames * 62 + w) & 0x3FF));
        ++frames;
      }
    }
  }
  // Only whole chunks are taken: the last 8 words stay queued.
  EXPECT_EQ(frames, static_cast<int>(words.size() / 40 * 40 * 16 / 652));
  EXPECT_EQ(pcm_.Queued(), words.size() % 40);
}

// The Ethernet sample records its time in the month-and-year format.
TEST_F(ProcessorTest, SampleRecordingTimeInMonthAndYearFormat) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  filereaderclass reader;
  ASSERT_TRUE(reader.Open(test::RecordingPath("ethernet.c10")));
  std::uint32_t length = 0;
  int kind = 0;
  while (!reader.NextPacket(length, kind) && kind != kKindTime) {
  }
  ASSERT_EQ(kind, kKindTime);
  HeldPacket held;
  DecodeHeader(reader.Packet(), held.record.Header);
  SplitPacketBody(reader.Packet().subspan(kCh10HeaderSize), held.record, held.payload);
  time_.Process(held.record, held.payload);
  // 17 October 2018 (day 290), 22:19:22.00.
  EXPECT_DOUBLE_EQ(irig_.IrigTime, 290 * 86400.0 + 22 * 3600.0 + 19 * 60.0 + 22.0);
  EXPECT_DOUBLE_EQ(irig_.IrigTimeOffset, irig_.IrigTime - RtcSeconds(held.record.Header));
}

}  // namespace
}  // namespace tessel
