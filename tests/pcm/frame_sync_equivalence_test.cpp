// The fast synchroniser against the step-by-step one on random streams: random
// patterns of 8 to 64 bits with don't-care digits, dense or sparse data, word tables of 8-, 10-,
// 12- and 16-bit words or mixed lengths, frames of any bit count, leading and trailing patterns,
// SFID checks, G mode, bit offsets, bit errors, slips and garbage, chunks of the usual and of odd
// sizes. Every call must give the same lock result, status, frame, first bit and consumed bits; and
// every locked frame must be the stream's bits at its first bit, which holds the pattern.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pcm/frame_sync.h"
#include "pcm/frame_sync_builder.h"
#include "pcm/frame_sync_reference.h"
#include "setup/pattern_text.h"

namespace tessel {
namespace {

using test::PcmBits;

int Uniform(std::mt19937_64& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}
bool Chance(std::mt19937_64& rng, double p) {
  return std::bernoulli_distribution(p)(rng);
}

// A random pattern text of `bits` bits in binary or hexadecimal, with some "X" digits.
// With `sparse`, binary digits are mostly 0, like the data of a sparse stream: many
// positions then pass the search's screen on the first pattern bits.
std::string RandomPatternText(std::mt19937_64& rng, int bits, bool sparse, std::int32_t& radix) {
  radix = !sparse && Chance(rng, 0.3) ? kRadixHex : kRadixBinary;
  const int digits = radix == kRadixBinary ? bits : (bits + 3) / 4;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < digits; ++i) {
    if (Chance(rng, 0.08)) {
      text += 'X';
    } else {
      const bool one = sparse ? Chance(rng, 0.1) : (rng() & 1U) != 0;
      text += radix == kRadixBinary ? (one ? '1' : '0') : kHex[rng() & 15U];
    }
  }
  return text;
}

std::vector<int> RandomWordTable(std::mt19937_64& rng, int min_bits) {
  const int target = std::max(min_bits, Uniform(rng, 16, 900));
  const int kind = Uniform(rng, 0, 5);
  const int uniform_lengths[] = {8, 10, 12, 16};
  std::vector<int> table;
  int total = 0;
  while (total < target || total < 16) {
    int length = 0;
    if (kind < 4) {
      length = uniform_lengths[kind];
    } else if (kind == 4) {
      length = Uniform(rng, 4, 24);
    } else {
      length = Chance(rng, 0.1) ? Uniform(rng, 33, 64) : Uniform(rng, 1, 32);
    }
    table.push_back(length);
    total += length;
  }
  return table;
}

struct RandomCase {
  std::unique_ptr<decomsetupstruct> setup;
  FrameSyncLayout layout;
  PcmBits bits;
  std::vector<std::size_t> chunks;  // words per call
};

RandomCase MakeRandomCase(std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  RandomCase c;
  const int pattern_bits = Uniform(rng, 8, 64);
  std::int32_t radix = kRadixBinary;
  const bool sparse = Chance(rng, 0.2);
  const std::string text = RandomPatternText(rng, pattern_bits, sparse, radix);
  const std::vector<int> table = RandomWordTable(rng, pattern_bits);
  c.setup = test::MakeSetup(table, text, pattern_bits, Chance(rng, 0.5), radix);
  c.setup->CommonWordLength = static_cast<std::uint8_t>(table[0]);
  c.setup->bGMode = Chance(rng, 0.1) ? 1 : 0;
  if (Chance(rng, 0.35)) {
    c.setup->eSyncMethod = kSyncMethodSfid;
    c.setup->NumSubframes = Uniform(rng, 2, 64);
    c.setup->SubFrameIdWord =
        static_cast<std::int16_t>(Uniform(rng, 1, static_cast<int>(table.size())));
    c.setup->SubFrameIdStartBitLsb = static_cast<std::int16_t>(Uniform(rng, 0, 15));
    c.setup->FirstFrame = static_cast<std::int16_t>(Uniform(rng, 0, 3));
    c.setup->LastFrame = static_cast<std::int16_t>(Uniform(rng, 1, 63));
  }
  c.layout = MakeFrameSyncLayout(true, *c.setup);
  if (!c.layout.ok) return c;

  // The pattern as sent: its last L binary digits, "X" sent as 0.
  const std::string sent =
      c.layout.pattern_text.substr(static_cast<std::size_t>(64 - pattern_bits));
  const int frame_bits = c.layout.frame_bits;
  auto add_data = [&](int bits) {
    if (!sparse) return c.bits.AddRandom(bits, rng);
    for (int i = 0; i < bits; ++i) c.bits.Add(Chance(rng, 0.05) ? 1 : 0, 1);
  };
  add_data(Uniform(rng, 0, 2 * frame_bits));
  const int frames = Uniform(rng, 10, 40);
  for (int f = 0; f < frames; ++f) {
    const std::size_t start = c.bits.size();
    if (c.layout.leads) c.bits.AddPattern(sent);
    add_data(frame_bits - pattern_bits);
    if (!c.layout.leads) c.bits.AddPattern(sent);
    if (Chance(rng, 0.05))
      c.bits.Flip(start + static_cast<std::size_t>(Uniform(rng, 0, frame_bits - 1)));
    if (Chance(rng, 0.04)) add_data(Uniform(rng, 1, 20));                       // slip
    if (Chance(rng, 0.02)) add_data(Uniform(rng, frame_bits, 3 * frame_bits));  // garbage
  }
  const std::size_t words = c.bits.size() / 16;
  const auto chunk = static_cast<std::size_t>(c.layout.chunk_units);
  const bool odd_chunks = Chance(rng, 0.15);
  for (std::size_t at = 0; at < words;) {
    std::size_t size =
        odd_chunks ? static_cast<std::size_t>(Uniform(rng, 0, 3 * static_cast<int>(chunk))) : chunk;
    size = std::min(size, words - at);
    c.chunks.push_back(size);
    at += size;
  }
  return c;
}

// A locked frame must be the stream's bits at its first bit, in the order the frame
// holds its words, and the pattern must be where the frame says.
void CheckAgainstStream(const RandomCase& c, const pcmframesyncclass& sync) {
  const FrameSyncLayout& layout = c.layout;
  const std::int64_t first = sync.frame_first_bit();
  ASSERT_GE(first, 0);
  const auto table = test::ReturnedWordTable(layout);
  const auto frame = sync.frame();
  EXPECT_EQ(std::vector<std::uint16_t>(frame.begin(), frame.end()),
            test::ParseFrame(c.bits, static_cast<std::size_t>(first), table));
  if (layout.g_mode) return;
  const std::int64_t pattern_at =
      layout.leads ? first : first + layout.frame_bits - layout.pattern_word_bits;
  for (int i = 0; i < layout.pattern_bits; ++i) {
    const char digit = layout.pattern_text[static_cast<std::size_t>(64 - layout.pattern_bits + i)];
    ASSERT_EQ(c.bits.Field(static_cast<std::size_t>(pattern_at + i), 1), digit == '1' ? 1 : 0)
        << "pattern bit " << i;
  }
}

TEST(FrameSyncEquivalence, FastMatchesReferenceOnRandomStreams) {
  int cases_run = 0;
  std::map<FrameSyncStatus, int> statuses;
  for (std::uint64_t seed = 1; seed <= 160; ++seed) {
    RandomCase c = MakeRandomCase(seed);
    if (!c.layout.ok) continue;
    SCOPED_TRACE("seed " + std::to_string(seed) + ": L " + std::to_string(c.layout.pattern_bits) +
                 ", F " + std::to_string(c.layout.frame_bits) + ", W " +
                 std::to_string(c.layout.words_per_frame) +
                 (c.layout.leads ? ", leads" : ", trails") + (c.layout.g_mode ? ", G mode" : "") +
                 (c.layout.sfid_check ? ", SFID" : ""));
    pcmframesyncclass fast;
    referenceframesyncclass reference;
    ASSERT_TRUE(fast.Setup(true, *c.setup));
    ASSERT_TRUE(reference.Setup(true, *c.setup));
    const std::vector<std::uint16_t> words = c.bits.Words();
    std::size_t at = 0;
    int case_locked = 0;
    for (std::size_t call = 0; call < c.chunks.size(); ++call) {
      const auto chunk = std::span<const std::uint16_t>(words).subspan(at, c.chunks[call]);
      at += c.chunks[call];
      const bool fast_locked = fast.Process(chunk);
      const bool reference_locked = reference.Process(chunk);
      const test::SyncCall a = test::RecordCall(fast, fast_locked);
      const test::SyncCall b = test::RecordCall(reference, reference_locked);
      ASSERT_EQ(a.locked, b.locked) << "call " << call;
      ASSERT_EQ(a.status, b.status) << "call " << call << ": " << FrameSyncStatusText(a.status)
                                    << " / " << FrameSyncStatusText(b.status);
      ASSERT_EQ(a.first_bit, b.first_bit) << "call " << call;
      ASSERT_EQ(a.written, b.written) << "call " << call;
      ASSERT_EQ(a.consumed, b.consumed) << "call " << call;
      ASSERT_EQ(a.frame, b.frame) << "call " << call;
      // G mode with a trailing pattern takes its first frame from a read that did not
      // happen; every other locked frame must come from the stream.
      const bool checkable = !(c.layout.g_mode && !c.layout.leads && case_locked == 0);
      if (a.locked && checkable) {
        CheckAgainstStream(c, fast);
        if (::testing::Test::HasFatalFailure()) return;
      }
      ++statuses[a.status];
      case_locked += a.locked ? 1 : 0;
    }
    ++cases_run;
  }
  // The random cases must reach every outcome.
  EXPECT_GT(cases_run, 120);
  for (FrameSyncStatus status :
       {FrameSyncStatus::kLocked, FrameSyncStatus::kShortOfBits, FrameSyncStatus::kNoPattern,
        FrameSyncStatus::kNotContiguous, FrameSyncStatus::kSfidOutOfRange}) {
    EXPECT_GT(statuses[status], 100) << FrameSyncStatusText(status);
  }
}

}  // namespace
}  // namespace tessel
