// Word and bit streams between the PCM chunks of a recording and the frame
// synchroniser.
//
// The synchroniser is handed one chunk of 16-bit words per call but consumes the
// stream at its own pace: bit by bit while it searches for the synchronisation
// pattern, word by word or field by field once it has found it. Both streams are
// first-in first-out: `Write` appends a chunk, the reads take the oldest unread data,
// most significant bit first within each 16-bit word and words in the order written.
// No bit is overwritten before it is read and none is read twice, so minor frames
// whose length is not a multiple of 16 bits pass through unchanged.
//
// Storage is a ring of words that starts at a few chunks and grows only while the
// reader lags behind; once it would exceed its bound a `Write` is refused (returns
// false, nothing written), so a reader that stops reading cannot exhaust memory.
// Reads beyond the unread data give zero bits and consume nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// A growable ring of 16-bit words; the storage both streams share.
class Ch10WordRing {
 public:
  // `chunk_words`: the usual size of one write; sets the initial capacity and bound.
  explicit Ch10WordRing(std::size_t chunk_words);

  // Appends the words; false (nothing appended) when they would exceed the bound.
  bool Push(std::span<const std::uint16_t> words);
  // Removes and returns the oldest word; 0 when empty.
  std::uint16_t Pop() {
    if (count_ == 0) return 0;
    const std::uint16_t word = words_[head_];
    head_ = (head_ + 1) & mask_;
    --count_;
    return word;
  }
  std::size_t size() const { return count_; }
  std::size_t capacity() const { return words_.size(); }
  // Largest number of words the ring will ever hold.
  std::size_t bound() const { return bound_; }

 private:
  void Grow(std::size_t needed);

  std::vector<std::uint16_t> words_;  // power-of-two length
  std::size_t mask_ = 0;
  std::size_t head_ = 0;   // index of the oldest word
  std::size_t count_ = 0;  // unread words
  std::size_t bound_ = 0;
};

// Hands out whole 16-bit words in the order they were written.
class ch10wordstreamclass {
 public:
  // `size`: words per chunk (the synchroniser's chunk length).
  explicit ch10wordstreamclass(std::size_t size);

  // Appends a chunk; false when the stream is full (see the file comment).
  bool Write(std::span<const std::uint16_t> chunk) { return ring_.Push(chunk); }
  // The oldest unread word; 0 (nothing consumed) when none is left.
  std::uint16_t ReadWord() {
    last_word_ = ring_.Pop();
    return last_word_;
  }
  // Words written and not yet read.
  std::size_t WordsAvailable() const { return ring_.size(); }
  std::size_t size() const { return size_; }
  std::uint16_t last_word() const { return last_word_; }

 private:
  Ch10WordRing ring_;
  std::size_t size_;
  std::uint16_t last_word_ = 0;
};

// Hands out any number of bits, most significant first within each written word.
class ch10bitstreamclass {
 public:
  // `size`: words per chunk (the frame's bit count / 16).
  explicit ch10bitstreamclass(std::size_t size);

  // Appends a chunk; false when the stream is full (see the file comment).
  bool Write(std::span<const std::uint16_t> chunk) { return ring_.Push(chunk); }

  // The next n bits as an unsigned number, the first bit read most significant.
  // n <= 0 reads nothing and gives 0; n > 32 consumes n bits and gives the last 32.
  // Bits missing at the end of the stream read as 0 and are not consumed.
  std::uint32_t ReadBits(int n) {
    if (n <= 0) return 0;
    if (n > 32) {
      SkipBits(static_cast<std::uint64_t>(n - 32));
      n = 32;
    }
    const unsigned un = static_cast<unsigned>(n);
    if (held_ < un) Refill();
    const std::uint32_t value = static_cast<std::uint32_t>(held_bits_ >> (64U - un));
    if (held_ >= un) {
      held_bits_ <<= un;
      held_ -= un;
    } else {  // underflow: the missing low bits are zero
      held_bits_ = 0;
      held_ = 0;
    }
    return value;
  }
  // Consumes n bits (as far as there are any).
  void SkipBits(std::uint64_t n);
  // The oldest unread word, taking its 16 bits whatever the bit alignment.
  std::uint16_t ReadWord() { return static_cast<std::uint16_t>(ReadBits(16)); }

  // Bits written and not yet read.
  std::uint64_t BitsAvailable() const {
    return static_cast<std::uint64_t>(held_) + 16U * static_cast<std::uint64_t>(ring_.size());
  }
  std::size_t size() const { return size_; }

 private:
  // Moves whole words from the ring into the held bits while at least 16 bits fit.
  void Refill() {
    while (held_ <= 48 && ring_.size() > 0) {
      held_bits_ |= static_cast<std::uint64_t>(ring_.Pop()) << (48U - held_);
      held_ += 16;
    }
  }

  Ch10WordRing ring_;
  std::size_t size_;
  std::uint64_t held_bits_ = 0;  // unread bits taken from the ring, left-aligned
  unsigned held_ = 0;            // how many of them there are (0..64)
};

}  // namespace tessel
