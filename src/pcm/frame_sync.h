// The PCM frame synchroniser: finds minor frames in the bit stream of one PCM channel.
//
// The stream processor hands it one chunk per call (the frame's whole 16-bit words,
// frame bits / 16) and gets back the words of one minor frame and whether it is in
// lock. Every call is judged alone; the caller counts frames and lost frames.
//
// One call: append the chunk to the first-in first-out bit stream; with fewer than two
// frames' worth of bits buffered, return (not locked, nothing consumed). Otherwise take
// L new bits as the window (L = pattern bits) and search: up to F positions (F = frame
// bits), moving one bit at a time, for the window to equal the pattern exactly (a
// don't-care digit must be 0). A failed search has consumed L + F bits. Once found the
// frame is read: every word that starts inside the pattern takes its bits from the
// window (a word running past the pattern's end takes the rest from the stream), the
// other words come from the stream, each assembled most significant bit first and kept
// to its low 16 bits. A word that cannot be read whole ends the frame as not locked.
//
// Trailing patterns (the pattern closes its frame): the returned frame is the previous
// read's words n..W-1 followed by this read's words 0..n-1, n being the pattern's word
// count (16-bit words, bytes when the common word length is 8 bits or less). It is
// locked only when the previous read ended exactly where this pattern starts; otherwise
// the previous words are not the data this pattern closes.
//
// Then the subframe-ID check, when the setup asks for it: the ID field of the returned
// frame must lie in FirstFrame..LastFrame. G mode takes the window where it is, without
// search or checks, and returns every frame read as locked.
//
// Time stamps: frame_first_bit() is the stream bit index of the returned frame's first
// bit (the pattern's first bit for leading patterns and G mode; for trailing patterns
// F minus the bits of the n pattern words before it). Bit b of the stream lies in the
// chunk holding written bit b; bits_written() and bits_consumed() count from Setup.
//
// Speed: the search keeps the last bits read in one 64-bit register and takes 32
// positions per step: the pattern's first bits are compared across all 32 positions at
// once (one shift, XOR and AND per pattern bit), and only the positions that survive
// are compared with the whole pattern under a mask. Words are cut from a 64-bit bit
// cache filled from the stream 32 bits at a time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ch10/streams.h"
#include "pcm/frame_sync_setup.h"
#include "setup/decom_setup.h"

namespace tessel {

class pcmframesyncclass {
 public:
  // Inactive until Setup succeeds.
  pcmframesyncclass() = default;

  // Takes the layout of `setup` and starts with an empty stream. Bit mode synchronises;
  // word mode (raw streams) only reports chunk_units() = WordsPerFrame and synchronises
  // nothing. A refused setup is logged with its reason; returns false, stays inactive.
  bool Setup(bool bit_mode, const decomsetupstruct& setup);

  // Appends one chunk (normally chunk_units() words; any length is taken) and tries to
  // read one minor frame. True when the returned frame is locked; status() says why not.
  bool Process(std::span<const std::uint16_t> chunk);

  // The frame of the last call, words_per_frame() words; valid until the next call.
  // Empty while inactive.
  std::span<const std::uint16_t> frame() const;
  // The result of the last call and its reason.
  bool locked() const { return locked_; }
  FrameSyncStatus status() const { return status_; }
  // Stream bit index of the returned frame's first bit; -1 when the call read no frame.
  std::int64_t frame_first_bit() const { return first_bit_; }
  // Bits taken into the stream since Setup, and bits consumed from it.
  std::uint64_t bits_written() const { return bits_written_; }
  std::uint64_t bits_consumed() const { return bits_written_ - Available(); }

  // Whether the setup was taken, and why not.
  bool ok() const { return layout_.ok; }
  const std::string& error() const { return layout_.error; }
  const FrameSyncLayout& layout() const { return layout_; }
  // Where the subframe ID sits in its word (for the minor frames' header words).
  int sfid_mask() const { return layout_.sfid_mask; }
  int sfid_shift() const { return layout_.sfid_shift; }
  // Words per chunk: frame bits / 16 in bit mode, WordsPerFrame in word mode.
  int chunk_units() const { return layout_.chunk_units; }
  int frame_bits() const { return layout_.frame_bits; }
  int words_per_frame() const { return layout_.words_per_frame; }

 private:
  // Bits written and not yet consumed: the stream's and the cache's.
  std::uint64_t Available() const { return stream_ ? stream_->BitsAvailable() + cached_ : 0; }
  // Moves up to 32 bits from the stream into the cache while it holds 32 or fewer.
  void Refill() {
    if (cached_ > 32) return;
    const std::uint64_t in_stream = stream_->BitsAvailable();
    const unsigned take = in_stream < 32 ? static_cast<unsigned>(in_stream) : 32U;
    if (take == 0) return;
    cache_ |= static_cast<std::uint64_t>(stream_->ReadBits(static_cast<int>(take)))
              << (64U - cached_ - take);
    cached_ += take;
  }
  // The next n bits (1..32); the caller has checked that they are there.
  std::uint64_t Take(unsigned n) {
    if (cached_ < n) Refill();
    const std::uint64_t value = cache_ >> (64U - n);
    cache_ <<= n;
    cached_ -= n;
    return value;
  }
  // Drops n bits (as far as there are any).
  void Skip(std::uint64_t n);
  // The low 16 bits of the next n-bit field (1..64).
  std::uint16_t TakeWord(unsigned n);

  enum class SearchResult { kFound, kNotFound, kOutOfBits };
  // Searches from the window; when found, the window holds the pattern.
  SearchResult Search();
  // Reads the frame's words into current_; returns how many were read (fewer than
  // the frame's when one could not be read whole).
  int ReadFrame();
  // Reads words j..W-1 from the stream; all their bits are there and none is longer
  // than 32 bits.
  void ReadWordsUnchecked(int j, std::uint16_t* out);

  FrameSyncLayout layout_;
  std::unique_ptr<ch10bitstreamclass> stream_;
  std::uint64_t cache_ = 0;   // bits taken from the stream, left-aligned
  unsigned cached_ = 0;       // how many (0..64)
  std::uint64_t window_ = 0;  // the last bits read; the low L are the window
  std::uint64_t pattern_mask_ = 0;
  // Leading pattern bits the search screens positions on, and their XOR words.
  static constexpr unsigned kFilterBits = 12;
  unsigned filter_bits_ = 0;
  unsigned filter_high_bits_ = 0;  // of them, those taken from the window alone
  std::array<std::uint32_t, kFilterBits> filter_flip_{};
  std::vector<std::uint64_t> suffix_bits_;  // bits of words j..W-1, for j = 0..W
  bool long_words_ = false;                 // some word is longer than 32 bits
  std::vector<std::uint16_t> current_;
  std::vector<std::uint16_t> previous_;  // trailing patterns only
  std::vector<std::uint16_t> output_;    // trailing patterns only
  bool locked_ = false;
  FrameSyncStatus status_ = FrameSyncStatus::kInactive;
  std::int64_t first_bit_ = -1;
  std::uint64_t bits_written_ = 0;
  // Where the last complete frame read ended; -1 when the last read was cut short.
  std::int64_t last_read_end_ = -1;
};

}  // namespace tessel
