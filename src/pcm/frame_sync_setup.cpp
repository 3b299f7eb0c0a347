// Checking a decom setup for the frame synchroniser.
#include "pcm/frame_sync_setup.h"

#include <algorithm>

#include "setup/pattern_text.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

const char* FrameSyncStatusText(FrameSyncStatus status) {
  switch (status) {
    case FrameSyncStatus::kLocked:
      return "locked";
    case FrameSyncStatus::kInactive:
      return "inactive";
    case FrameSyncStatus::kRawStream:
      return "raw stream";
    case FrameSyncStatus::kChunkRefused:
      return "chunk refused";
    case FrameSyncStatus::kShortOfBits:
      return "short of bits";
    case FrameSyncStatus::kNoPattern:
      return "no pattern";
    case FrameSyncStatus::kNotContiguous:
      return "not contiguous";
    case FrameSyncStatus::kSfidOutOfRange:
      return "SFID out of range";
  }
  return "unknown";
}

namespace {

FrameSyncLayout Refuse(FrameSyncLayout layout, std::string reason) {
  layout.ok = false;
  layout.error = std::move(reason);
  return layout;
}

std::string Number(std::int64_t value) {
  return std::to_string(value);
}

}  // namespace

FrameSyncLayout MakeFrameSyncLayout(bool bit_mode, const decomsetupstruct& setup) {
  FrameSyncLayout layout;
  layout.bit_mode = bit_mode;

  const int words = setup.WordsPerFrame;
  if (words < 1 || words > kDecomMaxWords) {
    return Refuse(std::move(layout), "the minor frame has " + Number(words) +
                                         " words; it MUST have 1 to " + Number(kDecomMaxWords));
  }
  layout.words_per_frame = words;
  if (!bit_mode) {
    layout.chunk_units = words;
    layout.ok = true;
    return layout;
  }

  // The frame's bits, summed in 64 bits: the lengths come from a file.
  layout.word_bits.resize(static_cast<std::size_t>(words));
  std::int64_t frame_bits = 0;
  for (int j = 0; j < words; ++j) {
    const std::int32_t length = setup.WdArray[j].iWdLen;
    if (length < 1 || length > kFrameSyncMaxWordBits) {
      return Refuse(std::move(layout), "word " + Number(j + 1) + " is " + Number(length) +
                                           " bits long; words MUST be 1 to " +
                                           Number(kFrameSyncMaxWordBits) + " bits");
    }
    layout.word_bits[static_cast<std::size_t>(j)] = length;
    frame_bits += length;
  }
  // One chunk is the frame's whole 16-bit words; it must hold at least one word and
  // no more than the largest chunk.
  if (frame_bits < 16) {
    return Refuse(std::move(layout),
                  "the minor frame has " + Number(frame_bits) + " bits; at least 16 are needed");
  }
  if (frame_bits / 16 > kFrameSyncMaxChunkWords) {
    return Refuse(std::move(layout), "the minor frame has " + Number(frame_bits) +
                                         " bits, chunks of " + Number(frame_bits / 16) +
                                         " words; at most " + Number(kFrameSyncMaxChunkWords) +
                                         " are allowed");
  }
  layout.frame_bits = static_cast<int>(frame_bits);
  layout.chunk_units = layout.frame_bits / 16;
  layout.leads = setup.PatternLeads == 1;
  layout.g_mode = setup.bGMode != 0;

  const int pattern_bits = setup.FrmSyncPatLen;
  if (pattern_bits < 1 || pattern_bits > 64) {
    return Refuse(std::move(layout),
                  "the sync pattern has " + Number(pattern_bits) + " bits; it MUST have 1 to 64");
  }
  if (pattern_bits > layout.frame_bits) {
    return Refuse(std::move(layout), "the " + Number(pattern_bits) +
                                         "-bit sync pattern is longer than the " +
                                         Number(layout.frame_bits) + "-bit minor frame");
  }
  layout.pattern_bits = pattern_bits;
  const std::string text = RecordText(setup.FrmSyncPat);
  if (!PatternToBinaryText(text, setup.FrmSyncPatRadix, layout.pattern_text)) {
    return Refuse(std::move(layout), "the sync pattern \"" + text + "\" is not a valid " +
                                         EnumText(kRadixNames, setup.FrmSyncPatRadix) + " pattern");
  }
  // The pattern's bits are the last L binary digits; a don't-care digit must be 0.
  for (int i = 0; i < pattern_bits; ++i) {
    const char digit = layout.pattern_text[static_cast<std::size_t>(64 - pattern_bits + i)];
    layout.pattern_value = (layout.pattern_value << 1) | (digit == '1' ? 1U : 0U);
  }

  // Words moved to the end of the frame for a trailing pattern: 16-bit words, or bytes
  // when the common word length is 8 bits or less; never more than the frame has.
  int pattern_words = (pattern_bits + 15) / 16;
  if (setup.CommonWordLength <= 8) pattern_words *= 2;
  layout.pattern_words = std::min(pattern_words, words);
  for (int j = 0; j < layout.pattern_words; ++j) {
    layout.pattern_word_bits += layout.word_bits[static_cast<std::size_t>(j)];
  }

  layout.sfid_check =
      setup.eSyncMethod == kSyncMethodSfid && setup.NumSubframes > 1 && !layout.g_mode;
  if (layout.sfid_check) {
    const int index = setup.SubFrameIdWord - 1;
    if (index < 0 || index >= words) {
      return Refuse(std::move(layout), "the SFID word " + Number(setup.SubFrameIdWord) +
                                           " is outside the " + Number(words) +
                                           "-word minor frame");
    }
    const int start = setup.SubFrameIdStartBitLsb;
    if (start < 0 || start > 30) {
      return Refuse(std::move(layout), "the SFID start bit " + Number(start) + " MUST be 0 to 30");
    }
    const int last = setup.LastFrame;
    const int width = BitWidth(static_cast<std::uint32_t>(std::max(last, 0)));
    layout.sfid_index = index;
    layout.sfid_shift = std::max(start - width + 1, 0);
    for (int bit = layout.sfid_shift; bit <= start; ++bit) layout.sfid_mask |= 1 << bit;
    layout.first_frame = setup.FirstFrame;
    layout.last_frame = last;
  }

  layout.ok = true;
  return layout;
}

void LogFrameSyncRefusal(const FrameSyncLayout& layout) {
  LogError("PCM frame synchroniser not set up: " + layout.error +
               "; the stream will not be synchronised",
           1);
}

}  // namespace tessel
