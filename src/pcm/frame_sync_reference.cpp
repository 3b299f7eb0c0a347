// The straightforward frame synchroniser, one step at a time.
#include "pcm/frame_sync_reference.h"

namespace tessel {

bool referenceframesyncclass::Setup(bool bit_mode, const decomsetupstruct& setup) {
  layout_ = MakeFrameSyncLayout(bit_mode, setup);
  stream_.reset();
  current_.clear();
  previous_.clear();
  output_.clear();
  pattern_.fill(0);
  window_.fill(0);
  frames_available_ = 0;
  position_ = 0;
  locked_ = false;
  status_ = FrameSyncStatus::kInactive;
  first_bit_ = -1;
  bits_written_ = 0;
  last_read_end_ = -1;
  if (!layout_.ok) {
    LogFrameSyncRefusal(layout_);
    return false;
  }
  const auto words = static_cast<std::size_t>(layout_.words_per_frame);
  current_.assign(words, 0);
  previous_.assign(words, 0);
  if (!layout_.leads) output_.assign(words, 0);
  if (layout_.bit_mode) {
    stream_ = std::make_unique<ch10bitstreamclass>(static_cast<std::size_t>(layout_.chunk_units));
    // Pattern bit i is binary digit 64 - L + i; anything but '1' (a don't-care "X"
    // included) is a 0 the data must hold.
    for (int i = 0; i < layout_.pattern_bits; ++i) {
      const char digit =
          layout_.pattern_text[static_cast<std::size_t>(64 - layout_.pattern_bits + i)];
      pattern_[static_cast<std::size_t>(i)] = digit == '1' ? 1 : 0;
    }
  }
  return true;
}

std::span<const std::uint16_t> referenceframesyncclass::frame() const {
  return layout_.leads ? std::span<const std::uint16_t>(current_)
                       : std::span<const std::uint16_t>(output_);
}

std::uint64_t referenceframesyncclass::bits_consumed() const {
  return stream_ ? bits_written_ - stream_->BitsAvailable() : 0;
}

void referenceframesyncclass::Advance(int bits) {
  position_ += bits;
  while (position_ >= layout_.frame_bits) {
    position_ -= layout_.frame_bits;
    --frames_available_;
  }
}

bool referenceframesyncclass::ReadOneBit(std::int16_t& bit) {
  if (stream_->BitsAvailable() == 0) return false;
  bit = static_cast<std::int16_t>(stream_->ReadBits(1));
  Advance(1);
  return true;
}

bool referenceframesyncclass::WindowMatches() const {
  for (int i = 0; i < layout_.pattern_bits; ++i) {
    if (window_[static_cast<std::size_t>(i)] != pattern_[static_cast<std::size_t>(i)]) {
      return false;
    }
  }
  return true;
}

void referenceframesyncclass::StoreWord(int j, std::uint64_t value) {
  const auto at = static_cast<std::size_t>(j);
  previous_[at] = current_[at];
  current_[at] = static_cast<std::uint16_t>(value & 0xFFFFU);
}

bool referenceframesyncclass::ReadFrame() {
  const int words = layout_.words_per_frame;
  const int pattern_bits = layout_.pattern_bits;
  int j = 0;
  int k = 0;  // window bit index
  // Every word that starts inside the pattern takes its bits from the window; one that
  // runs past the pattern's end takes the rest from the stream.
  while (j < words && k < pattern_bits) {
    const int length = layout_.word_bits[static_cast<std::size_t>(j)];
    std::uint64_t value = 0;
    const int from_window = k + length <= pattern_bits ? length : pattern_bits - k;
    for (int b = 0; b < from_window; ++b) {
      value = (value << 1) | static_cast<std::uint64_t>(window_[static_cast<std::size_t>(k + b)]);
    }
    k += from_window;
    const int rest = length - from_window;
    if (rest > 0) {
      if (stream_->BitsAvailable() < static_cast<std::uint64_t>(rest)) return false;
      value = (value << rest) | stream_->ReadBits(rest);
      Advance(rest);
    }
    StoreWord(j, value);
    ++j;
  }
  for (; j < words; ++j) {
    const int length = layout_.word_bits[static_cast<std::size_t>(j)];
    if (stream_->BitsAvailable() < static_cast<std::uint64_t>(length)) return false;
    StoreWord(j, stream_->ReadBits(length));
    Advance(length);
  }
  return true;
}

bool referenceframesyncclass::Process(std::span<const std::uint16_t> chunk) {
  locked_ = false;
  position_ = 0;
  first_bit_ = -1;
  if (!layout_.ok) {
    status_ = FrameSyncStatus::kInactive;
    return false;
  }
  if (!layout_.bit_mode) {
    status_ = FrameSyncStatus::kRawStream;
    return false;
  }
  if (!stream_->Write(chunk)) {
    status_ = FrameSyncStatus::kChunkRefused;
    return false;
  }
  bits_written_ += 16U * static_cast<std::uint64_t>(chunk.size());

  // The search starts only with two frames' worth of bits buffered.
  const int frame_bits = layout_.frame_bits;
  const int pattern_bits = layout_.pattern_bits;
  frames_available_ =
      static_cast<std::int64_t>(stream_->BitsAvailable() / static_cast<std::uint64_t>(frame_bits));
  status_ = FrameSyncStatus::kShortOfBits;
  if (frames_available_ < 2) return false;

  // Fill the window with L new bits.
  for (int i = 0; i < pattern_bits; ++i) {
    if (!ReadOneBit(window_[static_cast<std::size_t>(i)])) return false;
    if (frames_available_ == 0) return false;
  }
  auto pattern_start = static_cast<std::int64_t>(bits_consumed()) - pattern_bits;

  // Search: compare, then shift the window by one bit, up to F times.
  if (!layout_.g_mode) {
    bool found = false;
    for (int comparison = 0; comparison < frame_bits; ++comparison) {
      if (WindowMatches()) {
        found = true;
        break;
      }
      for (int i = 0; i + 1 < pattern_bits; ++i) {
        window_[static_cast<std::size_t>(i)] = window_[static_cast<std::size_t>(i + 1)];
      }
      if (!ReadOneBit(window_[static_cast<std::size_t>(pattern_bits - 1)])) return false;
      ++pattern_start;
    }
    if (!found) {
      status_ = FrameSyncStatus::kNoPattern;
      return false;
    }
  }

  locked_ = true;
  status_ = FrameSyncStatus::kLocked;
  const bool complete = ReadFrame();
  if (!complete) {
    locked_ = false;
    status_ = FrameSyncStatus::kShortOfBits;
  }

  const int words = layout_.words_per_frame;
  const int n = layout_.pattern_words;
  if (layout_.leads) {
    first_bit_ = pattern_start;
  } else {
    // The pattern closes the frame whose data words the previous read took.
    for (int j = n; j < words; ++j) {
      output_[static_cast<std::size_t>(j - n)] = previous_[static_cast<std::size_t>(j)];
    }
    for (int j = 0; j < n; ++j) {
      output_[static_cast<std::size_t>(words - n + j)] = current_[static_cast<std::size_t>(j)];
    }
    first_bit_ = pattern_start - (frame_bits - layout_.pattern_word_bits);
    if (locked_ && !layout_.g_mode && pattern_start != last_read_end_) {
      locked_ = false;
      status_ = FrameSyncStatus::kNotContiguous;
    }
  }

  if (layout_.sfid_check && locked_) {
    const std::span<const std::uint16_t> words_out = frame();
    const int value =
        (words_out[static_cast<std::size_t>(layout_.sfid_index)] & layout_.sfid_mask) >>
        layout_.sfid_shift;
    if (value < layout_.first_frame || value > layout_.last_frame) {
      locked_ = false;
      status_ = FrameSyncStatus::kSfidOutOfRange;
    }
  }
  if (layout_.g_mode && complete) {
    locked_ = true;
    status_ = FrameSyncStatus::kLocked;
  }
  last_read_end_ = complete ? static_cast<std::int64_t>(bits_consumed()) : -1;
  return locked_;
}

}  // namespace tessel
