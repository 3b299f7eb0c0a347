// Builders for frame synchroniser tests: PCM bit streams assembled field by field,
// decom setups with a given word table and pattern, and a driver that feeds a stream
// chunk by chunk and records every call.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "pcm/frame_sync_setup.h"
#include "setup/decom_setup.h"

namespace tessel::test {

// A bit sequence, most significant bit of each field first, cut into 16-bit words the
// way a recorder packs a PCM stream.
class PcmBits {
 public:
  // Appends the low `bits` bits of value; beyond 64 bits, leading zeros.
  void Add(std::uint64_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) bits_.push_back(i < 64 && ((value >> i) & 1U) != 0);
  }
  void AddRandom(int bits, std::mt19937_64& rng) {
    for (int i = 0; i < bits; ++i) bits_.push_back((rng() & 1U) != 0);
  }
  // Appends a pattern given as binary digits; "X" digits are sent as 0.
  void AddPattern(const std::string& digits) {
    for (char c : digits) bits_.push_back(c == '1');
  }
  void Flip(std::size_t at) { bits_[at] = !bits_[at]; }
  // The whole words so far; a last partial word is left out.
  std::vector<std::uint16_t> Words() const {
    std::vector<std::uint16_t> words(bits_.size() / 16, 0);
    for (std::size_t w = 0; w < words.size(); ++w) {
      for (std::size_t b = 0; b < 16; ++b) {
        if (bits_[w * 16 + b]) words[w] = static_cast<std::uint16_t>(words[w] | (0x8000U >> b));
      }
    }
    return words;
  }
  // The low 16 bits of the n-bit field at bit `at` (bits beyond the end read as 0).
  std::uint16_t Field(std::size_t at, int n) const {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) {
      const std::size_t bit = at + static_cast<std::size_t>(i);
      v = (v << 1) | (bit < bits_.size() && bits_[bit] ? 1U : 0U);
    }
    return static_cast<std::uint16_t>(v & 0xFFFFU);
  }
  std::size_t size() const { return bits_.size(); }

 private:
  std::vector<bool> bits_;
};

// A default decom setup (SetDecomDefaults) on the heap.
inline std::unique_ptr<decomsetupstruct> DefaultSetup() {
  auto setup = std::make_unique<decomsetupstruct>();
  SetDecomDefaults(*setup);
  return setup;
}

// A setup with the given word table and pattern text (binary digits by default),
// without subframe check.
inline std::unique_ptr<decomsetupstruct> MakeSetup(const std::vector<int>& word_bits,
                                                   const std::string& pattern, int pattern_bits,
                                                   bool leads = true,
                                                   std::int32_t radix = kRadixBinary) {
  auto setup = DefaultSetup();
  setup->WordsPerFrame = static_cast<std::int16_t>(word_bits.size());
  setup->WdArrayLength = setup->WordsPerFrame;
  setup->CommonWordLength = static_cast<std::uint8_t>(word_bits.empty() ? 16 : word_bits[0]);
  for (std::size_t j = 0; j < word_bits.size(); ++j) setup->WdArray[j].iWdLen = word_bits[j];
  SetRecordText(setup->FrmSyncPat, pattern);
  setup->FrmSyncPatRadix = radix;
  setup->FrmSyncPatLen = static_cast<std::int16_t>(pattern_bits);
  setup->PatternLeads = leads ? 1 : 0;
  setup->eSyncMethod = kSyncMethodNone;
  setup->NumSubframes = 1;
  return setup;
}

// A word table of `count` words of `bits` bits.
inline std::vector<int> Words(int count, int bits) {
  return std::vector<int>(static_cast<std::size_t>(count), bits);
}

// The words of a frame read from the stream at bit `first` with the given table.
inline std::vector<std::uint16_t> ParseFrame(const PcmBits& bits, std::size_t first,
                                             const std::vector<int>& word_bits) {
  std::vector<std::uint16_t> words;
  for (int length : word_bits) {
    words.push_back(bits.Field(first, length));
    first += static_cast<std::size_t>(length);
  }
  return words;
}

// The word table in the order a trailing pattern's reassembled frame holds it: words
// n..W-1, then words 0..n-1.
inline std::vector<int> ReturnedWordTable(const FrameSyncLayout& layout) {
  std::vector<int> table(layout.word_bits.begin() + layout.pattern_words, layout.word_bits.end());
  table.insert(table.end(), layout.word_bits.begin(),
               layout.word_bits.begin() + layout.pattern_words);
  return layout.leads ? layout.word_bits : table;
}

// What one call returned.
struct SyncCall {
  bool locked = false;
  FrameSyncStatus status = FrameSyncStatus::kInactive;
  std::int64_t first_bit = -1;
  std::uint64_t written = 0;
  std::uint64_t consumed = 0;
  std::vector<std::uint16_t> frame;
};

template <typename Sync>
SyncCall RecordCall(const Sync& sync, bool locked) {
  const auto frame = sync.frame();
  return {locked,
          sync.status(),
          sync.frame_first_bit(),
          sync.bits_written(),
          sync.bits_consumed(),
          std::vector<std::uint16_t>(frame.begin(), frame.end())};
}

// Feeds the stream's whole chunks of chunk_units() words, one per call.
template <typename Sync>
std::vector<SyncCall> FeedChunks(Sync& sync, const std::vector<std::uint16_t>& words) {
  std::vector<SyncCall> calls;
  const auto chunk = static_cast<std::size_t>(sync.chunk_units());
  for (std::size_t at = 0; chunk > 0 && at + chunk <= words.size(); at += chunk) {
    const bool locked = sync.Process(std::span<const std::uint16_t>(words).subspan(at, chunk));
    calls.push_back(RecordCall(sync, locked));
  }
  return calls;
}

}  // namespace tessel::test
