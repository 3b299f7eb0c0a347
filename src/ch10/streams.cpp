#include "ch10/streams.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

// The ring starts with room for a few chunks; it may grow to this many chunks (but
// at least to kMinBoundWords) before writes are refused.
constexpr std::size_t kInitialChunks = 4;
constexpr std::size_t kBoundChunks = 64;
constexpr std::size_t kMinInitialWords = 64;
constexpr std::size_t kMinBoundWords = std::size_t{1} << 20;

std::size_t PowerOfTwoAtLeast(std::size_t n) {
  std::size_t p = 1;
  while (p < n) p <<= 1;
  return p;
}

}  // namespace

Ch10WordRing::Ch10WordRing(std::size_t chunk_words) {
  const std::size_t chunk = std::max<std::size_t>(chunk_words, 1);
  bound_ = std::max(chunk * kBoundChunks, kMinBoundWords);
  words_.assign(PowerOfTwoAtLeast(std::max(chunk * kInitialChunks, kMinInitialWords)), 0);
  mask_ = words_.size() - 1;
}

bool Ch10WordRing::Push(std::span<const std::uint16_t> words) {
  const std::size_t n = words.size();
  if (n == 0) return true;
  if (n > bound_ - count_) return false;
  if (count_ + n > words_.size()) Grow(count_ + n);
  // Copy in at most two pieces: up to the end of the storage, then from its start.
  const std::size_t tail = (head_ + count_) & mask_;
  const std::size_t first = std::min(n, words_.size() - tail);
  std::memcpy(words_.data() + tail, words.data(), first * sizeof(std::uint16_t));
  std::memcpy(words_.data(), words.data() + first, (n - first) * sizeof(std::uint16_t));
  count_ += n;
  return true;
}

void Ch10WordRing::Grow(std::size_t needed) {
  std::vector<std::uint16_t> larger(PowerOfTwoAtLeast(needed), 0);
  // Unwrap the unread words to the start of the new storage.
  const std::size_t first = std::min(count_, words_.size() - head_);
  std::memcpy(larger.data(), words_.data() + head_, first * sizeof(std::uint16_t));
  std::memcpy(larger.data() + first, words_.data(), (count_ - first) * sizeof(std::uint16_t));
  words_.swap(larger);
  mask_ = words_.size() - 1;
  head_ = 0;
}

ch10wordstreamclass::ch10wordstreamclass(std::size_t size) : ring_(size), size_(size) {}

ch10bitstreamclass::ch10bitstreamclass(std::size_t size) : ring_(size), size_(size) {}

void ch10bitstreamclass::SkipBits(std::uint64_t n) {
  // Whole words still in the ring are dropped without going through the held bits.
  if (n > held_) {
    std::uint64_t beyond = n - held_;
    held_bits_ = 0;
    held_ = 0;
    while (beyond >= 16 && ring_.size() > 0) {
      ring_.Pop();
      beyond -= 16;
    }
    n = beyond;
  }
  while (n > 0) {
    const int take = static_cast<int>(std::min<std::uint64_t>(n, 32));
    if (BitsAvailable() == 0) return;
    ReadBits(take);
    n -= static_cast<std::uint64_t>(take);
  }
}

}  // namespace tessel
