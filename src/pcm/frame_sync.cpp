// The fast PCM frame synchroniser.
#include "pcm/frame_sync.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace tessel {

bool pcmframesyncclass::Setup(bool bit_mode, const decomsetupstruct& setup) {
  layout_ = MakeFrameSyncLayout(bit_mode, setup);
  stream_.reset();
  cache_ = 0;
  cached_ = 0;
  window_ = 0;
  current_.clear();
  previous_.clear();
  output_.clear();
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
  if (!layout_.leads) {
    previous_.assign(words, 0);
    output_.assign(words, 0);
  }
  if (layout_.bit_mode) {
    stream_ = std::make_unique<ch10bitstreamclass>(static_cast<std::size_t>(layout_.chunk_units));
    const auto pattern_bits = static_cast<unsigned>(layout_.pattern_bits);
    pattern_mask_ =
        pattern_bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << pattern_bits) - 1U;
    // Bits from each word to the frame's end, for reading the frame without checks.
    suffix_bits_.assign(words + 1, 0);
    long_words_ = false;
    for (std::size_t j = words; j-- > 0;) {
      suffix_bits_[j] = suffix_bits_[j + 1] + static_cast<std::uint64_t>(layout_.word_bits[j]);
      if (layout_.word_bits[j] > 32) long_words_ = true;
    }
    // The search screens positions on the pattern's first bits: a word of all ones
    // where the pattern bit is 0, so that XOR leaves ones where the data agrees.
    filter_bits_ = std::min(pattern_bits, kFilterBits);
    // Pattern bits more than 32 places before a window's end lie in the window alone.
    filter_high_bits_ = std::min(filter_bits_, pattern_bits > 33 ? pattern_bits - 33U : 0U);
    for (unsigned i = 0; i < filter_bits_; ++i) {
      const bool one = ((layout_.pattern_value >> (pattern_bits - 1U - i)) & 1U) != 0;
      filter_flip_[i] = one ? 0U : ~std::uint32_t{0};
    }
  }
  return true;
}

std::span<const std::uint16_t> pcmframesyncclass::frame() const {
  return layout_.leads ? std::span<const std::uint16_t>(current_)
                       : std::span<const std::uint16_t>(output_);
}

void pcmframesyncclass::Skip(std::uint64_t n) {
  if (n < cached_) {
    cache_ <<= n;
    cached_ -= static_cast<unsigned>(n);
    return;
  }
  n -= cached_;
  cache_ = 0;
  cached_ = 0;
  stream_->SkipBits(n);
}

std::uint16_t pcmframesyncclass::TakeWord(unsigned n) {
  // A word longer than 16 bits keeps its last 16.
  if (n > 32) {
    Skip(n - 16U);
    n = 16;
  }
  return static_cast<std::uint16_t>(Take(n) & 0xFFFFU);
}

pcmframesyncclass::SearchResult pcmframesyncclass::Search() {
  const std::uint64_t pattern = layout_.pattern_value;
  const std::uint64_t mask = pattern_mask_;
  const auto pattern_bits = static_cast<unsigned>(layout_.pattern_bits);
  const auto last = static_cast<std::uint64_t>(layout_.frame_bits) - 1U;  // last position
  std::uint64_t position = 0;
  if ((window_ & mask) == pattern) return SearchResult::kFound;
  while (position < last) {
    // The next k positions at once: position + t (t = 1..k) is the window moved on by t
    // bits, its newest t bits the first t of the cache.
    if (cached_ < 32) Refill();
    const auto k = static_cast<unsigned>(std::min<std::uint64_t>({cached_, 32U, last - position}));
    if (k == 0) return SearchResult::kOutOfBits;  // cannot happen with two frames buffered
    const std::uint64_t window = window_ & mask;
    const std::uint64_t next = cache_ >> 32;
    // Candidate positions, bit 32 - t for position t: first the leading pattern bits
    // compared across all k positions at once (bit i of each window is bit L - 1 - i of
    // the window followed by the next 32 bits), ...
    const std::uint64_t joined = (window << 32) | next;
    std::uint32_t candidates = ~std::uint32_t{0} << (32U - k);
    // (no early exit: a fixed run of shifts costs less than a mispredicted branch).
    unsigned i = 0;
    for (; i < filter_high_bits_; ++i) {
      candidates &=
          static_cast<std::uint32_t>(window >> (pattern_bits - 33U - i)) ^ filter_flip_[i];
    }
    for (; i < filter_bits_; ++i) {
      candidates &= static_cast<std::uint32_t>(joined >> (pattern_bits - 1U - i)) ^ filter_flip_[i];
    }
    // ... then each survivor, first position first, against the whole pattern.
    while (candidates != 0) {
      const auto t = static_cast<unsigned>(std::countl_zero(candidates)) + 1U;
      if ((((window << t) | (next >> (32U - t))) & mask) == pattern) {
        window_ = (window_ << t) | Take(t);
        return SearchResult::kFound;
      }
      candidates &= ~(std::uint32_t{0x80000000U} >> (t - 1U));
    }
    window_ = (window_ << k) | Take(k);
    position += k;
  }
  // The last position failed too: one more bit is read before giving up.
  if (Available() == 0) return SearchResult::kOutOfBits;
  window_ = (window_ << 1U) | Take(1);
  return SearchResult::kNotFound;
}

int pcmframesyncclass::ReadFrame() {
  const int words = layout_.words_per_frame;
  const auto pattern_bits = static_cast<unsigned>(layout_.pattern_bits);
  const int* lengths = layout_.word_bits.data();
  std::uint16_t* out = current_.data();
  std::uint64_t available = Available();
  int j = 0;
  unsigned k = 0;  // window bit index, 0 = the pattern's first bit
  // Every word that starts inside the pattern takes its bits from the window; one that
  // runs past the pattern's end takes the rest from the stream.
  while (j < words && k < pattern_bits) {
    const auto length = static_cast<unsigned>(lengths[j]);
    if (k + length <= pattern_bits) {
      const std::uint64_t value = window_ >> (pattern_bits - k - length);
      out[j] =
          static_cast<std::uint16_t>(length < 16 ? value & ((1U << length) - 1U) : value & 0xFFFFU);
      k += length;
    } else {
      const unsigned head = pattern_bits - k;  // 1..63 bits still in the window
      const unsigned rest = length - head;
      if (available < rest) return j;
      available -= rest;
      const std::uint64_t head_bits = window_ & ((std::uint64_t{1} << head) - 1U);
      if (rest >= 16) {
        out[j] = TakeWord(rest);
      } else {
        out[j] = static_cast<std::uint16_t>(((head_bits << rest) | Take(rest)) & 0xFFFFU);
      }
      k = pattern_bits;
    }
    ++j;
  }
  // The other words come from the stream; with all their bits there (as always with two
  // frames buffered) in one run without checks.
  if (!long_words_ && available >= suffix_bits_[static_cast<std::size_t>(j)]) {
    ReadWordsUnchecked(j, out);
    return words;
  }
  for (; j < words; ++j) {
    const auto length = static_cast<unsigned>(lengths[j]);
    if (available < length) return j;
    available -= length;
    out[j] = length <= 32 ? static_cast<std::uint16_t>(Take(length)) : TakeWord(length);
  }
  return words;
}

void pcmframesyncclass::ReadWordsUnchecked(int j, std::uint16_t* out) {
  const int words = layout_.words_per_frame;
  const int* lengths = layout_.word_bits.data();
  // The cache in registers for the run; words are 1..32 bits.
  std::uint64_t cache = cache_;
  unsigned cached = cached_;
  for (; j < words; ++j) {
    const auto length = static_cast<unsigned>(lengths[j]);
    if (cached < length) {
      const std::uint64_t in_stream = stream_->BitsAvailable();
      const unsigned take = in_stream < 32 ? static_cast<unsigned>(in_stream) : 32U;
      cache |= static_cast<std::uint64_t>(stream_->ReadBits(static_cast<int>(take)))
               << (64U - cached - take);
      cached += take;
    }
    out[j] = static_cast<std::uint16_t>(cache >> (64U - length));
    cache <<= length;
    cached -= length;
  }
  cache_ = cache;
  cached_ = cached;
}

bool pcmframesyncclass::Process(std::span<const std::uint16_t> chunk) {
  locked_ = false;
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

  // The search starts only with two frames' worth of bits buffered; then the window
  // and a whole search and frame read (at most 2F - 1 bits) are always there.
  const auto frame_bits = static_cast<std::uint64_t>(layout_.frame_bits);
  const auto pattern_bits = static_cast<unsigned>(layout_.pattern_bits);
  status_ = FrameSyncStatus::kShortOfBits;
  if (Available() / frame_bits < 2) return false;

  // Fill the window with L new bits.
  window_ = pattern_bits <= 32 ? Take(pattern_bits)
                               : (Take(32) << (pattern_bits - 32U)) | Take(pattern_bits - 32U);
  if (!layout_.g_mode) {
    const SearchResult found = Search();
    if (found != SearchResult::kFound) {
      if (found == SearchResult::kNotFound) status_ = FrameSyncStatus::kNoPattern;
      return false;
    }
  }
  const auto pattern_start = static_cast<std::int64_t>(bits_consumed()) - layout_.pattern_bits;

  // Trailing patterns keep the previous read: swap the buffers and read into the other.
  if (!layout_.leads) std::swap(current_, previous_);
  const int words_read = ReadFrame();
  const bool complete = words_read == layout_.words_per_frame;
  if (!complete && !layout_.leads) {
    // Words not read keep their place as they were before the swap.
    for (auto j = static_cast<std::size_t>(words_read); j < current_.size(); ++j) {
      std::swap(current_[j], previous_[j]);
    }
  }
  locked_ = complete;
  status_ = complete ? FrameSyncStatus::kLocked : FrameSyncStatus::kShortOfBits;

  if (layout_.leads) {
    first_bit_ = pattern_start;
  } else {
    // The pattern closes the frame whose data words the previous read took.
    const auto words = static_cast<std::size_t>(layout_.words_per_frame);
    const auto n = static_cast<std::size_t>(layout_.pattern_words);
    std::copy(previous_.begin() + static_cast<std::ptrdiff_t>(n), previous_.end(), output_.begin());
    std::copy(current_.begin(), current_.begin() + static_cast<std::ptrdiff_t>(n),
              output_.begin() + static_cast<std::ptrdiff_t>(words - n));
    first_bit_ = pattern_start - (layout_.frame_bits - layout_.pattern_word_bits);
    if (locked_ && !layout_.g_mode && pattern_start != last_read_end_) {
      locked_ = false;
      status_ = FrameSyncStatus::kNotContiguous;
    }
  }

  if (layout_.sfid_check && locked_) {
    const std::uint16_t word = frame()[static_cast<std::size_t>(layout_.sfid_index)];
    const int value = (word & layout_.sfid_mask) >> layout_.sfid_shift;
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
