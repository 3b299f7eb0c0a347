// Reading a decom setup for the frame synchroniser: derived values and refusals.
#include "pcm/frame_sync_setup.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/log_session.h"
#include "pcm/frame_sync.h"
#include "pcm/frame_sync_builder.h"
#include "pcm/frame_sync_reference.h"

namespace tessel {
namespace {

TEST(FrameSyncLayout, DefaultSetup) {
  const FrameSyncLayout layout = MakeFrameSyncLayout(true, *test::DefaultSetup());
  ASSERT_TRUE(layout.ok) << layout.error;
  EXPECT_EQ(layout.words_per_frame, 256);
  EXPECT_EQ(layout.frame_bits, 4096);
  EXPECT_EQ(layout.chunk_units, 256);
  EXPECT_TRUE(layout.leads);
  EXPECT_EQ(layout.pattern_bits, 32);
  EXPECT_EQ(layout.pattern_value, 0xFE6B2840U);
  EXPECT_EQ(layout.pattern_words, 2);
  EXPECT_EQ(layout.pattern_word_bits, 32);
  EXPECT_TRUE(layout.sfid_check);
  EXPECT_EQ(layout.sfid_index, 2);
  EXPECT_EQ(layout.sfid_mask, 0x3F);
  EXPECT_EQ(layout.sfid_shift, 0);
}

TEST(FrameSyncLayout, DontCareDigitsAreZeroBits) {
  auto setup = test::MakeSetup(test::Words(8, 16), "FE6B284X", 32, true, kRadixHex);
  const FrameSyncLayout layout = MakeFrameSyncLayout(true, *setup);
  ASSERT_TRUE(layout.ok) << layout.error;
  EXPECT_EQ(layout.pattern_text.substr(56), "0100XXXX");
  EXPECT_EQ(layout.pattern_value, 0xFE6B2840U);
}

// n = ceiling(L / 16), doubled for words of 8 bits or less, at most the frame's words.
TEST(FrameSyncLayout, PatternWordCount) {
  struct Case {
    int common_length;
    int pattern_bits;
    int words;
    int expected;
  };
  const Case cases[] = {{16, 32, 16, 2}, {16, 24, 16, 2}, {8, 24, 40, 4}, {8, 16, 40, 2},
                        {10, 32, 40, 2}, {12, 33, 40, 3}, {32, 64, 2, 2}};
  for (const Case& c : cases) {
    auto setup = test::MakeSetup(test::Words(c.words, c.common_length),
                                 std::string(static_cast<std::size_t>(c.pattern_bits), '1'),
                                 c.pattern_bits, false);
    const FrameSyncLayout layout = MakeFrameSyncLayout(true, *setup);
    ASSERT_TRUE(layout.ok) << layout.error;
    EXPECT_EQ(layout.pattern_words, c.expected)
        << c.common_length << "-bit words, " << c.pattern_bits << "-bit pattern";
    EXPECT_EQ(layout.pattern_word_bits, c.expected * c.common_length);
  }
}

TEST(FrameSyncLayout, SubframeIdMaskAndShift) {
  struct Case {
    int start_bit;
    int last_frame;
    int num_subframes;
    bool g_mode;
    bool check;
    int mask;
    int shift;
  };
  const Case cases[] = {
      {5, 63, 64, false, true, 0x3F, 0}, {7, 15, 16, false, true, 0xF0, 4},
      {3, 63, 64, false, true, 0x0F, 0}, {15, 255, 256, false, true, 0xFF00, 8},
      {5, 63, 64, true, false, 0, 0},    {5, 63, 1, false, false, 0, 0},
  };
  for (const Case& c : cases) {
    auto setup = test::DefaultSetup();
    setup->SubFrameIdStartBitLsb = static_cast<std::int16_t>(c.start_bit);
    setup->LastFrame = static_cast<std::int16_t>(c.last_frame);
    setup->NumSubframes = c.num_subframes;
    setup->bGMode = c.g_mode ? 1 : 0;
    const FrameSyncLayout layout = MakeFrameSyncLayout(true, *setup);
    ASSERT_TRUE(layout.ok) << layout.error;
    EXPECT_EQ(layout.sfid_check, c.check) << "start " << c.start_bit << " last " << c.last_frame;
    EXPECT_EQ(layout.sfid_mask, c.mask) << "start " << c.start_bit << " last " << c.last_frame;
    EXPECT_EQ(layout.sfid_shift, c.shift) << "start " << c.start_bit << " last " << c.last_frame;
  }
}

// The smallest and largest frames taken: 16 bits (one-word chunks) and 16 383-word chunks.
TEST(FrameSyncLayout, FrameSizeLimitsAccepted) {
  const FrameSyncLayout small =
      MakeFrameSyncLayout(true, *test::MakeSetup(test::Words(1, 16), "1011", 4));
  EXPECT_TRUE(small.ok) << small.error;
  EXPECT_EQ(small.chunk_units, 1);
  const FrameSyncLayout large =
      MakeFrameSyncLayout(true, *test::MakeSetup(test::Words(16383, 16), "1011", 4));
  EXPECT_TRUE(large.ok) << large.error;
  EXPECT_EQ(large.chunk_units, 16383);
}

struct RefusedCase {
  const char* name;
  std::function<void(decomsetupstruct&)> change;
  const char* reason;  // part of the error text
};

TEST(FrameSyncLayout, RefusedSetupsAreLoggedAndLeaveTheSynchroniserInactive) {
  const RefusedCase cases[] = {
      {"no words", [](decomsetupstruct& s) { s.WordsPerFrame = 0; }, "0 words"},
      {"negative words", [](decomsetupstruct& s) { s.WordsPerFrame = -5; }, "-5 words"},
      {"word of 0 bits", [](decomsetupstruct& s) { s.WdArray[1].iWdLen = 0; }, "word 2 is 0 bits"},
      {"word of 65 bits", [](decomsetupstruct& s) { s.WdArray[3].iWdLen = 65; },
       "word 4 is 65 bits"},
      {"frame of 15 bits",
       [](decomsetupstruct& s) {
         s.WordsPerFrame = 1;
         s.WdArray[0].iWdLen = 15;
         s.FrmSyncPatLen = 8;
       },
       "15 bits; at least 16"},
      {"chunk of 16 384 words",
       [](decomsetupstruct& s) {
         s.WordsPerFrame = 8192;
         for (int j = 0; j < 8192; ++j) s.WdArray[j].iWdLen = 32;
       },
       "chunks of 16384 words"},
      {"chunk of 32 766 words",
       [](decomsetupstruct& s) {
         s.WordsPerFrame = 16383;
         for (int j = 0; j < 16383; ++j) s.WdArray[j].iWdLen = 32;
       },
       "chunks of 32766 words"},
      {"pattern of 0 bits", [](decomsetupstruct& s) { s.FrmSyncPatLen = 0; }, "has 0 bits"},
      {"pattern of 65 bits", [](decomsetupstruct& s) { s.FrmSyncPatLen = 65; }, "has 65 bits"},
      {"pattern longer than the frame",
       [](decomsetupstruct& s) {
         s.WordsPerFrame = 1;
         s.SubFrameIdWord = 1;
       },
       "longer than the 16-bit minor frame"},
      {"unreadable pattern", [](decomsetupstruct& s) { SetRecordText(s.FrmSyncPat, "FE6G2840"); },
       "\"FE6G2840\" is not a valid HEX pattern"},
      {"unknown radix", [](decomsetupstruct& s) { s.FrmSyncPatRadix = 7; }, "UNKNOWN 7"},
      {"SFID word 0", [](decomsetupstruct& s) { s.SubFrameIdWord = 0; }, "SFID word 0"},
      {"SFID word beyond the frame", [](decomsetupstruct& s) { s.SubFrameIdWord = 257; },
       "SFID word 257"},
      {"SFID start bit 31", [](decomsetupstruct& s) { s.SubFrameIdStartBitLsb = 31; },
       "start bit 31"},
      {"SFID start bit -1", [](decomsetupstruct& s) { s.SubFrameIdStartBitLsb = -1; },
       "start bit -1"},
  };
  test::LogSession log;
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto setup = test::DefaultSetup();
    c.change(*setup);
    const FrameSyncLayout layout = MakeFrameSyncLayout(true, *setup);
    EXPECT_FALSE(layout.ok);
    EXPECT_NE(layout.error.find(c.reason), std::string::npos) << layout.error;

    pcmframesyncclass sync;
    EXPECT_FALSE(sync.Setup(true, *setup));
    EXPECT_FALSE(sync.ok());
    EXPECT_EQ(sync.error(), layout.error);
    const std::vector<std::uint16_t> chunk(300, 0xFE6B);
    EXPECT_FALSE(sync.Process(chunk));
    EXPECT_EQ(sync.status(), FrameSyncStatus::kInactive);
    EXPECT_TRUE(sync.frame().empty());

    referenceframesyncclass reference;
    EXPECT_FALSE(reference.Setup(true, *setup));
    EXPECT_FALSE(reference.Process(chunk));
    EXPECT_EQ(reference.status(), FrameSyncStatus::kInactive);
  }
  // Each refusal is one error line per synchroniser, with its reason.
  const std::vector<test::LogLine> lines = log.Lines();
  ASSERT_EQ(lines.size(), 2 * std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const test::LogLine& line = lines[2 * i];
    EXPECT_EQ(line.code, "000001");
    EXPECT_EQ(line.message.rfind("PCM frame synchroniser not set up: ", 0), 0U) << line.message;
    EXPECT_NE(line.message.find(cases[i].reason), std::string::npos) << line.message;
    EXPECT_NE(line.message.find("the stream will not be synchronised"), std::string::npos);
  }
}

// In word mode only the word count matters: chunks are whole frames of words.
TEST(FrameSyncLayout, WordModeChecksOnlyTheWordCount) {
  auto setup = test::DefaultSetup();
  setup->FrmSyncPatLen = 0;
  const FrameSyncLayout layout = MakeFrameSyncLayout(false, *setup);
  EXPECT_TRUE(layout.ok) << layout.error;
  EXPECT_EQ(layout.chunk_units, 256);
  setup->WordsPerFrame = 0;
  EXPECT_FALSE(MakeFrameSyncLayout(false, *setup).ok);
}

}  // namespace
}  // namespace tessel
