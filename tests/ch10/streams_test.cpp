#include "ch10/streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace tessel {
namespace {

// A bit sequence built field by field, most significant bit first, and cut into
// 16-bit words the way a recorder packs a PCM stream.
class BitBuilder {
 public:
  void Add(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1U) != 0);
  }
  // The bits so far as whole words; a last partial word is left out.
  std::vector<std::uint16_t> Words() const {
    std::vector<std::uint16_t> words(bits_.size() / 16, 0);
    for (std::size_t w = 0; w < words.size(); ++w)
      for (std::size_t b = 0; b < 16; ++b)
        if (bits_[w * 16 + b]) words[w] = static_cast<std::uint16_t>(words[w] | (0x8000U >> b));
    return words;
  }
  // The value of n bits starting at bit `at`.
  std::uint32_t Value(std::size_t at, int n) const {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 1) | (bits_[at + static_cast<std::size_t>(i)] ? 1U : 0U);
    return v;
  }
  std::size_t size() const { return bits_.size(); }

 private:
  std::vector<bool> bits_;
};

// 200 minor frames of 652 bits: a 32-bit pattern and 62 ten-bit words.
constexpr int kFrameBits = 652;
constexpr std::size_t kChunkWords = kFrameBits / 16;  // 40 words, 640 bits

BitBuilder MakeFrames(int frames) {
  BitBuilder b;
  std::mt19937 rng(1234);
  for (int f = 0; f < frames; ++f) {
    b.Add(0xFE6B2840U, 32);
    for (int w = 0; w < 62; ++w) b.Add(rng() & 0x3FFU, 10);
  }
  return b;
}

std::span<const std::uint16_t> Chunk(const std::vector<std::uint16_t>& words, std::size_t i) {
  return std::span<const std::uint16_t>(words).subspan(i * kChunkWords, kChunkWords);
}

// The synchroniser's pattern: one chunk per call, then whole frames read field by
// field while a frame's worth of bits is there. Frames of 652 bits shift against the
// 640-bit chunks by 12 bits per frame; every field must come out as written.
TEST(BitStream, FramesOf652BitsRoundTripFieldByField) {
  const int frames = 200;
  const BitBuilder ref = MakeFrames(frames);
  const std::vector<std::uint16_t> words = ref.Words();
  ch10bitstreamclass stream(kChunkWords);

  std::size_t at = 0;  // bits read so far
  std::size_t written = 0;
  int frames_read = 0;
  for (std::size_t c = 0; c * kChunkWords < words.size(); ++c) {
    const std::size_t n = std::min(kChunkWords, words.size() - c * kChunkWords);
    ASSERT_TRUE(stream.Write(std::span<const std::uint16_t>(words).subspan(c * kChunkWords, n)));
    written += n * 16;
    while (stream.BitsAvailable() >= kFrameBits) {
      ASSERT_EQ(stream.ReadBits(32), 0xFE6B2840U) << "frame " << frames_read;
      at += 32;
      for (int w = 0; w < 62; ++w, at += 10)
        ASSERT_EQ(stream.ReadBits(10), ref.Value(at, 10))
            << "frame " << frames_read << " word " << w;
      ++frames_read;
    }
    ASSERT_EQ(stream.BitsAvailable(), written - at);
  }
  EXPECT_EQ(frames_read, frames);
  EXPECT_EQ(stream.BitsAvailable(), 0U);
}

// Random read sizes and a random number of chunks written between reads, compared
// with the reference bit by bit; the backlog makes the ring wrap and grow.
TEST(BitStream, RandomReadSizesMatchReference) {
  const BitBuilder ref = MakeFrames(200);
  const std::vector<std::uint16_t> words = ref.Words();
  const std::size_t chunks = words.size() / kChunkWords;
  ch10bitstreamclass stream(kChunkWords);
  std::mt19937 rng(99);

  std::size_t next_chunk = 0;
  std::size_t at = 0;
  while (at < chunks * kChunkWords * 16) {
    const std::size_t writes = std::min<std::size_t>(rng() % 4, chunks - next_chunk);
    for (std::size_t i = 0; i < writes; ++i) ASSERT_TRUE(stream.Write(Chunk(words, next_chunk++)));
    const std::size_t reads = rng() % 120;
    for (std::size_t i = 0; i < reads; ++i) {
      const int n = static_cast<int>(rng() % 32) + 1;
      if (stream.BitsAvailable() < static_cast<std::uint64_t>(n)) break;
      ASSERT_EQ(stream.ReadBits(n), ref.Value(at, n)) << "bit " << at << " n " << n;
      at += static_cast<std::size_t>(n);
    }
    ASSERT_EQ(stream.BitsAvailable(), next_chunk * kChunkWords * 16 - at);
  }
}

struct BitRead {
  int n;
  std::uint32_t expected;
};

struct BitCase {
  const char* name;
  std::vector<std::vector<std::uint16_t>> writes;  // written before the reads
  std::vector<BitRead> reads;
  std::uint64_t left;  // bits available afterwards
};

TEST(BitStream, EdgeCases) {
  const std::vector<BitCase> cases = {
      {"fields across word boundaries",
       {{0xABCD, 0x1234}},
       {{4, 0xA}, {8, 0xBC}, {8, 0xD1}, {12, 0x234}},
       0},
      {"two writes without a read keep both",
       {{0x1111, 0x2222}, {0x3333, 0x4444}},
       {{16, 0x1111}, {16, 0x2222}, {16, 0x3333}, {16, 0x4444}},
       0},
      {"16 bits on a word boundary are the whole word", {{0x8001, 0xFFFF}}, {{16, 0x8001}}, 16},
      {"32 bits with the top bit set", {{0xFE6B, 0x2840}}, {{32, 0xFE6B2840U}}, 0},
      {"32 bits straddling three words",
       {{0x0FE6, 0xB284, 0x0ABC}},
       {{4, 0x0}, {32, 0xFE6B2840U}, {12, 0xABC}},
       0},
      {"zero bits read nothing", {{0xC000}}, {{0, 0}, {-3, 0}, {2, 0x3}}, 14},
      {"more than 32 bits give the last 32",
       {{0xFFFF, 0x1234, 0x5678}},
       {{40, 0xFF123456U}, {8, 0x78}},
       0},
      {"reading past the end gives zero bits", {{0xF0F0}}, {{12, 0xF0F}, {8, 0x00}, {1, 0}}, 0},
      {"reading an empty stream gives 0", {}, {{16, 0}, {1, 0}}, 0},
  };
  for (const BitCase& c : cases) {
    SCOPED_TRACE(c.name);
    ch10bitstreamclass stream(2);
    for (const auto& w : c.writes) ASSERT_TRUE(stream.Write(w));
    for (const BitRead& r : c.reads) EXPECT_EQ(stream.ReadBits(r.n), r.expected) << "n " << r.n;
    EXPECT_EQ(stream.BitsAvailable(), c.left);
  }
}

// A read past the end consumes only the bits that were there: data written later is
// read from its first bit.
TEST(BitStream, WriteAfterUnderflowIsReadWhole) {
  ch10bitstreamclass stream(1);
  ASSERT_TRUE(stream.Write(std::vector<std::uint16_t>{0xABCD}));
  EXPECT_EQ(stream.ReadBits(20), 0xABCD0U);
  ASSERT_TRUE(stream.Write(std::vector<std::uint16_t>{0x1234}));
  EXPECT_EQ(stream.BitsAvailable(), 16U);
  EXPECT_EQ(stream.ReadBits(16), 0x1234U);
}

TEST(BitStream, ReadWordTakesSixteenBitsAtAnyAlignment) {
  ch10bitstreamclass stream(2);
  ASSERT_TRUE(stream.Write(std::vector<std::uint16_t>{0x1234, 0x5678}));
  EXPECT_EQ(stream.ReadBits(4), 0x1U);
  EXPECT_EQ(stream.ReadWord(), 0x2345);
  EXPECT_EQ(stream.BitsAvailable(), 12U);
}

TEST(BitStream, SkipBitsDropsExactlyThatMany) {
  const BitBuilder ref = MakeFrames(20);
  const std::vector<std::uint16_t> words = ref.Words();
  ch10bitstreamclass stream(kChunkWords);
  for (std::size_t c = 0; c < 5; ++c) ASSERT_TRUE(stream.Write(Chunk(words, c)));
  stream.SkipBits(5);
  EXPECT_EQ(stream.ReadBits(7), ref.Value(5, 7));
  stream.SkipBits(1000);  // through held bits and whole words of the ring
  EXPECT_EQ(stream.ReadBits(32), ref.Value(1012, 32));
  stream.SkipBits(1'000'000);
  EXPECT_EQ(stream.BitsAvailable(), 0U);
}

TEST(WordStream, WordsComeOutInWriteOrder) {
  ch10wordstreamclass stream(4);
  ASSERT_TRUE(stream.Write(std::vector<std::uint16_t>{1, 2, 3, 4}));
  ASSERT_TRUE(stream.Write(std::vector<std::uint16_t>{5, 6, 7, 8}));
  EXPECT_EQ(stream.WordsAvailable(), 8U);
  for (std::uint16_t expected = 1; expected <= 8; ++expected)
    EXPECT_EQ(stream.ReadWord(), expected);
  EXPECT_EQ(stream.ReadWord(), 0);  // empty: 0, nothing consumed
  EXPECT_EQ(stream.WordsAvailable(), 0U);
  ASSERT_TRUE(stream.Write(std::vector<std::uint16_t>{9, 10, 11, 12}));
  EXPECT_EQ(stream.ReadWord(), 9);
  EXPECT_EQ(stream.last_word(), 9);
}

// A reader that lags by a varying number of chunks: the ring wraps and grows, and
// every word still comes out once, in order.
TEST(WordStream, LaggingReaderSeesEveryWordOnce) {
  ch10wordstreamclass stream(7);
  std::mt19937 rng(5);
  std::uint16_t next_written = 0;
  std::uint16_t next_read = 0;
  for (int round = 0; round < 2000; ++round) {
    const auto writes = rng() % 3;
    for (std::uint32_t w = 0; w < writes; ++w) {
      std::vector<std::uint16_t> chunk(7);
      for (auto& v : chunk) v = next_written++;
      ASSERT_TRUE(stream.Write(chunk));
    }
    const auto reads = rng() % 20;
    for (std::uint32_t r = 0; r < reads && stream.WordsAvailable() > 0; ++r)
      ASSERT_EQ(stream.ReadWord(), next_read++);
  }
  EXPECT_EQ(static_cast<std::uint16_t>(next_written - next_read), stream.WordsAvailable());
}

// A reader that never reads cannot make the stream grow without limit: once the
// bound is reached a write is refused whole, and accepted again after reading.
TEST(WordRing, WritesBeyondTheBoundAreRefusedWhole) {
  Ch10WordRing ring(40);
  const std::vector<std::uint16_t> chunk(40, 0x5555);
  std::size_t pushed = 0;
  while (ring.Push(chunk)) pushed += chunk.size();
  EXPECT_EQ(ring.size(), pushed);
  EXPECT_LE(pushed, ring.bound());
  EXPECT_GT(pushed + chunk.size(), ring.bound());
  for (int i = 0; i < 40; ++i) ring.Pop();
  EXPECT_TRUE(ring.Push(chunk));
  EXPECT_EQ(ring.size(), pushed);
}

}  // namespace
}  // namespace tessel
