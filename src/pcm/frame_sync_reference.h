// A straightforward PCM frame synchroniser: the yardstick for `pcmframesyncclass`.
//
// It follows the algorithm one step at a time, with the data kept as the algorithm
// names it: the pattern and the window as arrays of single bits compared element by
// element, the stream read one bit at a time while searching, each frame word read
// with one `ReadBits`, the previous frame kept word by word. It is slow (about F x L
// element operations for a failed search) and exists so that tests and benchmarks can
// hold the fast synchroniser against it; the public interface is the same.
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

class referenceframesyncclass {
 public:
  // Inactive until Setup succeeds.
  referenceframesyncclass() = default;

  // Takes the layout of `setup` (bit mode: synchronised stream; word mode: raw stream)
  // and starts with an empty stream. A refused setup is logged; false, inactive.
  bool Setup(bool bit_mode, const decomsetupstruct& setup);

  // Appends one chunk (normally chunk_units() words) and tries to read one minor frame.
  // True when the returned frame is locked; status() says why not otherwise.
  bool Process(std::span<const std::uint16_t> chunk);

  // The frame of the last call (words_per_frame() words): the current read for leading
  // patterns, the reassembled frame for trailing ones. Empty while inactive.
  std::span<const std::uint16_t> frame() const;
  bool locked() const { return locked_; }
  FrameSyncStatus status() const { return status_; }
  // Stream bit index of the returned frame's first bit; -1 when the call read no frame.
  std::int64_t frame_first_bit() const { return first_bit_; }
  // Bits taken into the stream since Setup, and bits consumed from it.
  std::uint64_t bits_written() const { return bits_written_; }
  std::uint64_t bits_consumed() const;

  bool ok() const { return layout_.ok; }
  const std::string& error() const { return layout_.error; }
  const FrameSyncLayout& layout() const { return layout_; }
  int sfid_mask() const { return layout_.sfid_mask; }
  int sfid_shift() const { return layout_.sfid_shift; }
  int chunk_units() const { return layout_.chunk_units; }

 private:
  // Reads one bit into `bit`; false when the stream has none.
  bool ReadOneBit(std::int16_t& bit);
  // Counts `bits` taken from the stream in position and frames available.
  void Advance(int bits);
  bool WindowMatches() const;
  // Reads the frame's words, the pattern's from the window; false when a word
  // could not be read whole (the words before it are stored).
  bool ReadFrame();
  void StoreWord(int j, std::uint64_t value);

  FrameSyncLayout layout_;
  std::unique_ptr<ch10bitstreamclass> stream_;
  std::vector<std::uint16_t> current_;
  std::vector<std::uint16_t> previous_;
  std::vector<std::uint16_t> output_;
  std::array<std::int16_t, 64> pattern_{};
  std::array<std::int16_t, 64> window_{};
  std::int64_t frames_available_ = 0;
  int position_ = 0;  // bits consumed in this call, wrapping at the frame length
  bool locked_ = false;
  FrameSyncStatus status_ = FrameSyncStatus::kInactive;
  std::int64_t first_bit_ = -1;
  std::uint64_t bits_written_ = 0;
  // Where the last complete frame read ended; -1 when the last read was cut short.
  std::int64_t last_read_end_ = -1;
};

}  // namespace tessel
