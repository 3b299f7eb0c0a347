// The frame synchroniser's behaviour, checked on both the fast and the reference
// synchroniser with streams built bit by bit.
#include "pcm/frame_sync.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pcm/frame_sync_builder.h"
#include "pcm/frame_sync_reference.h"

namespace tessel {
namespace {

using test::FeedChunks;
using test::MakeSetup;
using test::PcmBits;
using test::SyncCall;

constexpr char kPattern32[] = "11111110011010110010100001000000";  // FE6B2840

template <typename Sync>
class FrameSyncTest : public ::testing::Test {};

using Synchronisers = ::testing::Types<pcmframesyncclass, referenceframesyncclass>;
TYPED_TEST_SUITE(FrameSyncTest, Synchronisers);

// Default frames: 256 sixteen-bit words, FE6B2840 leading, the SFID counter in the low
// six bits of word 3, the other words random.
PcmBits DefaultFrames(int count, int first_id, std::mt19937_64& rng) {
  PcmBits bits;
  for (int f = 0; f < count; ++f) {
    bits.Add(0xFE6B2840U, 32);
    bits.Add(static_cast<std::uint64_t>((first_id + f) % 64), 16);
    bits.AddRandom(16 * 253, rng);
  }
  return bits;
}

// The locked frames of the calls, checked against the stream: each must be the frame
// at its first bit, and the first bits must be `expected_first_bits`.
void ExpectLockedFrames(const std::vector<SyncCall>& calls, const PcmBits& bits,
                        const std::vector<int>& table,
                        const std::vector<std::int64_t>& expected_first_bits) {
  std::vector<std::int64_t> first_bits;
  for (const SyncCall& call : calls) {
    if (!call.locked) continue;
    first_bits.push_back(call.first_bit);
    ASSERT_GE(call.first_bit, 0);
    EXPECT_EQ(call.frame, test::ParseFrame(bits, static_cast<std::size_t>(call.first_bit), table))
        << "frame at bit " << call.first_bit;
  }
  EXPECT_EQ(first_bits, expected_first_bits);
}

TYPED_TEST(FrameSyncTest, AlignedStreamLocksFromTheSecondCall) {
  std::mt19937_64 rng(1);
  const PcmBits bits = DefaultFrames(12, 0, rng);
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *test::DefaultSetup()));
  EXPECT_EQ(sync.chunk_units(), 256);
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  ASSERT_EQ(calls.size(), 12U);
  EXPECT_FALSE(calls[0].locked);
  EXPECT_EQ(calls[0].status, FrameSyncStatus::kShortOfBits);
  EXPECT_EQ(calls[0].consumed, 0U);
  std::vector<std::int64_t> expected;
  for (std::size_t c = 1; c < calls.size(); ++c) {
    EXPECT_TRUE(calls[c].locked) << "call " << c;
    // Found without shifting: each call consumes exactly one frame.
    EXPECT_EQ(calls[c].consumed, 4096U * c);
    expected.push_back(4096 * static_cast<std::int64_t>(c - 1));
  }
  ExpectLockedFrames(calls, bits, test::Words(256, 16), expected);
}

// The pattern 5 bits into the stream, and a 5-bit slip after three frames: each time
// the pattern is found after 5 shifts and the frame continues after it.
TYPED_TEST(FrameSyncTest, PatternFoundAfterFiveShifts) {
  std::mt19937_64 rng(2);
  PcmBits bits;
  bits.Add(0, 5);
  const PcmBits first = DefaultFrames(3, 0, rng);
  const PcmBits second = DefaultFrames(6, 3, rng);
  for (std::size_t i = 0; i < first.size(); ++i) bits.Add(first.Field(i, 1), 1);
  bits.Add(0, 5);
  for (std::size_t i = 0; i < second.size(); ++i) bits.Add(second.Field(i, 1), 1);

  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *test::DefaultSetup()));
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  ASSERT_GE(calls.size(), 2U);
  EXPECT_TRUE(calls[1].locked);
  EXPECT_EQ(calls[1].first_bit, 5);
  EXPECT_EQ(calls[1].consumed, 5U + 4096U);
  for (const SyncCall& call : calls) {
    EXPECT_TRUE(call.locked || call.status == FrameSyncStatus::kShortOfBits)
        << FrameSyncStatusText(call.status);
  }
  ExpectLockedFrames(calls, bits, test::Words(256, 16),
                     {5, 4101, 8197, 12298, 16394, 20490, 24586});
}

TYPED_TEST(FrameSyncTest, SubframeIdOutsideFirstToLastFrameIsNotLocked) {
  auto setup = test::DefaultSetup();
  setup->FirstFrame = 1;
  setup->LastFrame = 40;
  setup->NumSubframes = 40;
  struct Case {
    int id;
    bool locked;
  };
  const Case cases[] = {{0, false}, {1, true}, {40, true}, {41, false}, {50, false}};
  std::mt19937_64 rng(3);
  PcmBits bits;
  for (const Case& c : cases) {
    bits.Add(0xFE6B2840U, 32);
    bits.Add(static_cast<std::uint64_t>(0xFFC0 | c.id), 16);  // bits above the field set
    bits.AddRandom(16 * 253, rng);
  }
  bits.AddRandom(4096, rng);
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *setup));
  EXPECT_EQ(sync.sfid_mask(), 0x3F);
  EXPECT_EQ(sync.sfid_shift(), 0);
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  ASSERT_EQ(calls.size(), 6U);
  for (std::size_t i = 0; i < 5; ++i) {
    const SyncCall& call = calls[i + 1];
    EXPECT_EQ(call.locked, cases[i].locked) << "id " << cases[i].id;
    EXPECT_EQ(call.status,
              cases[i].locked ? FrameSyncStatus::kLocked : FrameSyncStatus::kSfidOutOfRange);
    // The frame is returned either way.
    EXPECT_EQ(call.frame[2] & 0x3F, cases[i].id);
  }
}

// Trailing 32-bit pattern in 16-bit words (n = 2): the frame returned is the previous
// read's words 2..W-1 followed by the two pattern words. The first read after the
// search does not follow the previous one and is not locked.
TYPED_TEST(FrameSyncTest, TrailingPatternReassemblesTheFrame) {
  std::mt19937_64 rng(4);
  PcmBits bits;
  for (int f = 0; f < 8; ++f) {
    bits.AddRandom(16 * 14, rng);
    bits.AddPattern(kPattern32);
  }
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *MakeSetup(test::Words(16, 16), kPattern32, 32, false)));
  EXPECT_EQ(sync.layout().pattern_words, 2);
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  ASSERT_EQ(calls.size(), 8U);
  // Found after 224 shifts, then the frame read: 480 bits consumed, 32 left over, so
  // the third call is short of bits.
  const FrameSyncStatus expected_status[] = {
      FrameSyncStatus::kShortOfBits, FrameSyncStatus::kNotContiguous, FrameSyncStatus::kShortOfBits,
      FrameSyncStatus::kLocked,      FrameSyncStatus::kLocked,        FrameSyncStatus::kLocked,
      FrameSyncStatus::kLocked,      FrameSyncStatus::kLocked};
  for (std::size_t c = 0; c < calls.size(); ++c) {
    EXPECT_EQ(calls[c].status, expected_status[c]) << "call " << c;
    if (!calls[c].locked) continue;
    // Words 14 and 15 of the returned frame are the pattern.
    EXPECT_EQ(calls[c].frame[14], 0xFE6B);
    EXPECT_EQ(calls[c].frame[15], 0x2840);
  }
  EXPECT_EQ(calls[1].consumed, 480U);
  const std::vector<std::int64_t> expected = {256, 512, 768, 1024, 1280};
  ExpectLockedFrames(calls, bits, test::Words(16, 16), expected);
}

// Bytes with a 24-bit trailing pattern: n = 4, so the returned frame runs from the
// second data byte of one frame to the first data byte of the next.
TYPED_TEST(FrameSyncTest, TrailingPatternInBytesMovesFourWords) {
  const std::string pattern = "111110101111001100100000";  // FAF320
  std::mt19937_64 rng(5);
  PcmBits bits;
  for (int f = 0; f < 8; ++f) {
    bits.AddRandom(8 * 17, rng);
    bits.AddPattern(pattern);
  }
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *MakeSetup(test::Words(20, 8), pattern, 24, false)));
  EXPECT_EQ(sync.layout().pattern_words, 4);
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  ExpectLockedFrames(calls, bits, test::Words(20, 8), {168, 328, 488, 648, 808});
}

// G mode: every call with two frames' worth of bits returns locked, the frame starting
// where the previous one ended, whatever the data.
TYPED_TEST(FrameSyncTest, GModeTakesConsecutiveFrames) {
  std::mt19937_64 rng(6);
  PcmBits bits;
  bits.AddRandom(652 * 20, rng);
  std::vector<int> table(2, 16);
  table.insert(table.end(), 62, 10);
  auto setup = MakeSetup(table, kPattern32, 32);
  setup->bGMode = 1;
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *setup));
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  std::vector<std::int64_t> expected;
  for (const SyncCall& call : calls) {
    if (call.locked) {
      expected.push_back(652 * static_cast<std::int64_t>(expected.size()));
    } else {
      EXPECT_EQ(call.status, FrameSyncStatus::kShortOfBits);
    }
  }
  EXPECT_GE(expected.size(), 17U);
  ExpectLockedFrames(calls, bits, table, expected);
}

// A don't-care digit of the pattern text must be 0 in the data.
TYPED_TEST(FrameSyncTest, DontCareDigitMustBeZero) {
  struct Case {
    std::uint32_t sent;
    bool locks;
  };
  for (const Case c : {Case{0xFE6B2840U, true}, Case{0xFE6B2845U, false}}) {
    std::mt19937_64 rng(7);
    PcmBits bits;
    for (int f = 0; f < 6; ++f) {
      bits.Add(c.sent, 32);
      bits.Add(0, 16 * 30);  // no pattern can start inside the data
    }
    TypeParam sync;
    ASSERT_TRUE(sync.Setup(true, *MakeSetup(test::Words(32, 16), "FE6B284X", 32, true, kRadixHex)));
    const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
    ASSERT_EQ(calls.size(), 6U);
    for (std::size_t i = 1; i < calls.size(); ++i) {
      if (c.locks) {
        EXPECT_TRUE(calls[i].locked) << "call " << i;
      } else {
        EXPECT_FALSE(calls[i].locked) << "call " << i;
        EXPECT_NE(calls[i].status, FrameSyncStatus::kLocked);
      }
    }
    if (!c.locks) {
      EXPECT_EQ(calls[1].status, FrameSyncStatus::kNoPattern);
    }
  }
}

// Frames of 8-, 10- and 12-bit words, some with a pattern that ends inside a word.
struct ShortWordCase {
  const char* name;
  std::vector<int> table;
  std::string pattern;  // binary digits
};

TYPED_TEST(FrameSyncTest, ShortWordFramesLockWithTheRightData) {
  std::vector<int> ten(2, 16);
  ten.insert(ten.end(), 62, 10);  // 652 bits: 32-bit pattern and 62 ten-bit words
  const ShortWordCase cases[] = {
      {"10-bit words, 652-bit frames", ten, kPattern32},
      {"8-bit words, 24-bit pattern", test::Words(50, 8), "111110101111001100100000"},
      {"12-bit words, 24-bit pattern", test::Words(41, 12), "111110101111001100100000"},
      {"12-bit words, 32-bit pattern ends inside word 3", test::Words(41, 12), kPattern32},
      {"10-bit words, 32-bit pattern ends inside word 4", test::Words(65, 10), kPattern32},
  };
  for (const ShortWordCase& c : cases) {
    SCOPED_TRACE(c.name);
    int frame_bits = 0;
    for (int length : c.table) frame_bits += length;
    std::mt19937_64 rng(8);
    PcmBits bits;
    for (int f = 0; f < 203; ++f) {
      bits.AddPattern(c.pattern);
      bits.AddRandom(frame_bits - static_cast<int>(c.pattern.size()), rng);
    }
    TypeParam sync;
    ASSERT_TRUE(
        sync.Setup(true, *MakeSetup(c.table, c.pattern, static_cast<int>(c.pattern.size()))));
    const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
    // Chunks are a little shorter than frames: now and then a call waits for bits.
    std::vector<SyncCall> first_frames;
    std::vector<std::int64_t> expected;
    for (const SyncCall& call : calls) {
      if (!call.locked) {
        EXPECT_EQ(call.status, FrameSyncStatus::kShortOfBits);
      }
      if (call.locked && first_frames.size() < 200) {
        first_frames.push_back(call);
        expected.push_back(frame_bits * static_cast<std::int64_t>(expected.size()));
      }
    }
    ASSERT_EQ(first_frames.size(), 200U);
    ExpectLockedFrames(first_frames, bits, c.table, expected);
  }
}

// A stream without the pattern never locks, and the unread bits stay bounded: each
// failed search consumes L + F bits, more than a chunk.
TYPED_TEST(FrameSyncTest, StreamWithoutPatternNeverLocks) {
  std::mt19937_64 rng(9);
  PcmBits bits;
  for (int i = 0; i < 40 * 4096; ++i) bits.Add(i % 7 == 0 ? 1 : 0, 1);
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *test::DefaultSetup()));
  const std::vector<SyncCall> calls = FeedChunks(sync, bits.Words());
  ASSERT_EQ(calls.size(), 40U);
  for (std::size_t c = 1; c < calls.size(); ++c) {
    EXPECT_FALSE(calls[c].locked);
    EXPECT_TRUE(calls[c].status == FrameSyncStatus::kNoPattern ||
                calls[c].status == FrameSyncStatus::kShortOfBits);
    EXPECT_EQ(calls[c].first_bit, -1);
    EXPECT_LT(calls[c].written - calls[c].consumed, 3U * 4096U);
  }
  EXPECT_EQ(calls[1].status, FrameSyncStatus::kNoPattern);
  EXPECT_EQ(calls[1].consumed, 4096U + 32U);
}

// Raw streams are not synchronised; the chunk is the frame's words.
TYPED_TEST(FrameSyncTest, WordModeSynchronisesNothing) {
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(false, *test::DefaultSetup()));
  EXPECT_EQ(sync.chunk_units(), 256);
  const std::vector<std::uint16_t> chunk(256, 0xFE6B);
  EXPECT_FALSE(sync.Process(chunk));
  EXPECT_EQ(sync.status(), FrameSyncStatus::kRawStream);
}

// A chunk larger than the stream's bound is refused and nothing is taken.
TYPED_TEST(FrameSyncTest, ChunkBeyondTheStreamBoundIsRefused) {
  TypeParam sync;
  ASSERT_TRUE(sync.Setup(true, *test::DefaultSetup()));
  const std::vector<std::uint16_t> huge(std::size_t{1} << 21, 0);
  EXPECT_FALSE(sync.Process(huge));
  EXPECT_EQ(sync.status(), FrameSyncStatus::kChunkRefused);
  EXPECT_EQ(sync.bits_written(), 0U);
}

TYPED_TEST(FrameSyncTest, ProcessBeforeSetupIsInactive) {
  TypeParam sync;
  const std::vector<std::uint16_t> chunk(4, 0);
  EXPECT_FALSE(sync.Process(chunk));
  EXPECT_EQ(sync.status(), FrameSyncStatus::kInactive);
  EXPECT_TRUE(sync.frame().empty());
}

}  // namespace
}  // namespace tessel
