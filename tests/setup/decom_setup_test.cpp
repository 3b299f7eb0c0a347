#include "setup/decom_setup.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "common/log_session.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

// The log entries written since the session's start banner.
std::vector<test::LogEntry> LoggedEntries(const test::LogSession& log) {
  return test::EntriesAfter(test::LogEntries(log.Text()), "Program Version test");
}

std::unique_ptr<decomsetupstruct> DefaultSetup() {
  auto setup = std::make_unique<decomsetupstruct>();
  SetDecomDefaults(*setup);
  return setup;
}

std::vector<std::uint8_t> Bytes(const decomsetupstruct& setup) {
  std::vector<std::uint8_t> bytes(sizeof(decomsetupstruct));
  EXPECT_TRUE(RecordToBytes(setup, bytes));
  return bytes;
}

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[offset + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(value);
}

std::int16_t Int16At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// ---- Layout ----

TEST(DecomSetupLayout, RecordsHaveTheirFileSizes) {
  EXPECT_EQ(sizeof(decomsetupstruct), 262368u);
  EXPECT_EQ(sizeof(simsetupstruct), 65876u);
  EXPECT_EQ(sizeof(bitsyncsetupstruct), 36u);
  EXPECT_EQ(sizeof(trailerblockstruct), 20u);
}

TEST(DecomSetupLayout, FieldsLandAtTheirByteOffsets) {
  auto setup = std::make_unique<decomsetupstruct>();
  setup->WordsPerFrame = 0x1234;
  setup->CommonWordLength = 12;
  setup->PcmInputCode = 7;
  setup->SubFrameIdWord = -2;
  SetRecordText(setup->FrmSyncPat, "101X");
  setup->FrmSyncPatLen = 77;
  setup->eSyncMethod = 3;
  setup->WdArrayLength = 300;
  setup->WdArray[1].iWdLen = 9;
  setup->WdArray[kDecomMaxWords - 1].bReject = 1;
  setup->NumSubframes = 0x01020304;
  setup->SubframeDirection = 1;
  setup->BitRate = 5000000;
  setup->InterruptBufferBytes = 2620;
  setup->FrameBufferBytes = 522;

  const std::vector<std::uint8_t> bytes = Bytes(*setup);
  EXPECT_EQ(Int16At(bytes, 0), 0x1234);
  EXPECT_EQ(bytes[2], 12);
  EXPECT_EQ(bytes[3], 7);
  EXPECT_EQ(Int16At(bytes, 8), -2);
  EXPECT_EQ(std::string(bytes.begin() + 20, bytes.begin() + 25), std::string("101X\0", 5));
  EXPECT_EQ(Int16At(bytes, 86), 77);
  EXPECT_EQ(Int32At(bytes, 108), 3);
  EXPECT_EQ(Int16At(bytes, 216), 300);
  EXPECT_EQ(Int32At(bytes, 220 + 16 + 4), 9);
  EXPECT_EQ(bytes[220 + 16 * (kDecomMaxWords - 1) + 11], 1);
  EXPECT_EQ(Int32At(bytes, 262348), 0x01020304);
  EXPECT_EQ(Int32At(bytes, 262352), 1);
  EXPECT_EQ(Int32At(bytes, 262356), 5000000);
  EXPECT_EQ(Int32At(bytes, 262360), 2620);
  EXPECT_EQ(Int32At(bytes, 262364), 522);
}

TEST(DecomSetupLayout, ByteImageRoundTripsAndRefusesShortBuffers) {
  auto setup = DefaultSetup();
  setup->WdArray[100].iWdLen = 8;
  const std::vector<std::uint8_t> bytes = Bytes(*setup);

  auto back = std::make_unique<decomsetupstruct>();
  ASSERT_TRUE(RecordFromBytes(bytes, *back));
  EXPECT_EQ(Bytes(*back), bytes);

  std::vector<std::uint8_t> short_buffer(sizeof(decomsetupstruct) - 1, 0xAA);
  back->BitRate = 42;
  EXPECT_FALSE(RecordFromBytes(short_buffer, *back));
  EXPECT_EQ(back->BitRate, 42);
  EXPECT_FALSE(RecordToBytes(*back, short_buffer));
  EXPECT_EQ(short_buffer[0], 0xAA);
}

TEST(DecomSetupLayout, RecordTextStopsAtTheFieldEndWithoutTerminator) {
  auto setup = DefaultSetup();
  std::memset(setup->FrmSyncPat, '1', sizeof(setup->FrmSyncPat));
  EXPECT_EQ(RecordText(setup->FrmSyncPat), std::string(66, '1'));
  SetRecordText(setup->FrmSyncPat, std::string(100, '0'));
  EXPECT_EQ(RecordText(setup->FrmSyncPat), std::string(65, '0'));
  EXPECT_EQ(setup->FrmSyncPat[65], '\0');
}

// ---- Defaults ----

TEST(DecomSetupDefaults, FieldsTakeTheirDefaults) {
  auto setup = std::make_unique<decomsetupstruct>();
  std::memset(setup.get(), 0x5A, sizeof(decomsetupstruct));
  SetDecomDefaults(*setup);
  const decomsetupstruct& s = *setup;
  EXPECT_EQ(s.WordsPerFrame, 256);
  EXPECT_EQ(s.CommonWordLength, 16);
  EXPECT_EQ(s.PcmInputCode, 0);
  EXPECT_EQ(s.BitOrder, 0);
  EXPECT_EQ(s.SubFrameIdWord, 3);
  EXPECT_EQ(s.SubFrameIdStartBitLsb, 5);
  EXPECT_EQ(s.FirstFrame, 0);
  EXPECT_EQ(s.LastFrame, 63);
  EXPECT_EQ(s.FrmSyncPatRadix, kRadixHex);
  EXPECT_EQ(RecordText(s.FrmSyncPat), "FE6B2840");
  EXPECT_EQ(s.FrmSyncPatLen, 32);
  EXPECT_EQ(s.PatternLeads, 1);
  EXPECT_EQ(s.bBurstEnable, 0);
  EXPECT_EQ(s.bMajorFrameModeEnable, 0);
  EXPECT_EQ(s.iChkFrm, 2);
  EXPECT_EQ(s.iVfyFrm, 2);
  EXPECT_EQ(s.eDataPolarity, 0);
  EXPECT_EQ(s.bFACEnable, 0);
  EXPECT_EQ(s.eSyncMethod, kSyncMethodSfid);
  EXPECT_EQ(s.bForceSync, 0);
  EXPECT_EQ(s.FrameSyncTolerance, 1);
  EXPECT_EQ(s.bGMode, 0);
  EXPECT_EQ(s.eClockPolarity, 0);
  EXPECT_EQ(s.FramesPerInterrupt, 1);
  EXPECT_EQ(s.eInputSource, 4);
  EXPECT_EQ(s.URCPatRadix, kRadixHex);
  EXPECT_EQ(RecordText(s.URCSyncPat), "FE6B2840");
  EXPECT_EQ(s.URCPatLen, 32);
  EXPECT_EQ(s.UrcTolerance, 1);
  EXPECT_EQ(s.eWordAlignment, 1);
  EXPECT_EQ(s.eBitWindow, 0);
  EXPECT_EQ(s.WdArrayLength, 256);
  EXPECT_EQ(s.NumSubframes, 64);
  EXPECT_EQ(s.SubframeDirection, 0);
  EXPECT_EQ(s.BitRate, 1024000);
  EXPECT_EQ(s.InterruptBufferBytes, 0);
  EXPECT_EQ(s.FrameBufferBytes, 0);
}

TEST(DecomSetupDefaults, EveryWordEntryIsFilledAndPaddingIsZero) {
  auto setup = std::make_unique<decomsetupstruct>();
  std::memset(setup.get(), 0xFF, sizeof(decomsetupstruct));
  SetDecomDefaults(*setup);
  for (int i = 0; i < kDecomMaxWords; ++i) {
    const decomwordstruct& word = setup->WdArray[i];
    ASSERT_EQ(word.iWdNum, i);
    ASSERT_EQ(word.iWdLen, 16);
    ASSERT_EQ(word.bLSBF, 0);
    ASSERT_EQ(word.bLeftAlign, 0);
    ASSERT_EQ(word.bSlave + word.bReject + word.bReserved, 0);
    ASSERT_EQ(word.Padding13[0] + word.Padding13[1] + word.Padding13[2], 0);
  }
  const std::vector<std::uint8_t> bytes = Bytes(*setup);
  for (std::size_t offset :
       {98u, 99u, 105u, 106u, 107u, 113u, 117u, 118u, 119u, 126u, 127u, 206u, 207u, 218u, 219u}) {
    EXPECT_EQ(bytes[offset], 0) << "offset " << offset;
  }
  // Pattern text is zero-filled past its terminator.
  for (std::size_t offset = 28; offset < 86; ++offset) ASSERT_EQ(bytes[offset], 0);
}

TEST(DecomSetupDefaults, SimulatorBlockDefaults) {
  auto sim = std::make_unique<simsetupstruct>();
  SetSimDefaults(*sim);
  EXPECT_EQ(sim->BitOrder, 0);
  EXPECT_EQ(sim->PatternLeads, 1);
  EXPECT_EQ(sim->TrackDecom, 1);
  EXPECT_EQ(sim->SimBitRate, 1024000);
  EXPECT_EQ(sim->SubFrameIdWord, 3);
  EXPECT_EQ(sim->SubFrameIdStartBitLsb, 5);
  EXPECT_EQ(sim->CommonWordLength, 16);
  EXPECT_EQ(sim->WordsPerFrame, 256);
  EXPECT_EQ(sim->NumSubframes, 64);
  EXPECT_EQ(sim->FrmSyncPatRadix, kRadixHex);
  EXPECT_EQ(RecordText(sim->FrmSyncPat), "FE6B2840");
  EXPECT_EQ(sim->FrmSyncPatLen, 32);
  EXPECT_EQ(sim->Reserved140, 1);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(sim->DynamicWords[k].WordNumber, 4 + k);
    EXPECT_EQ(sim->DynamicWords[k].WordInterval, 0);
    EXPECT_EQ(sim->DynamicWords[k].WaveForm, k + 1);
  }
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(sim->UniqueWords[k].StartFrame, 0);
    EXPECT_EQ(sim->UniqueWords[k].StartWord, 9 + k);
    EXPECT_EQ(sim->UniqueWords[k].WordValue, 0xBEEF);
  }
  bool values_vary = false;
  for (const simframewordstruct& word : sim->FrameWords) {
    ASSERT_EQ(word.WordLen, 16);
    ASSERT_LE(word.Value, 32767);
    values_vary = values_vary || word.Value != sim->FrameWords[0].Value;
  }
  EXPECT_TRUE(values_vary);

  // The pseudo-random words are the same every time, so written files are reproducible.
  auto again = std::make_unique<simsetupstruct>();
  SetSimDefaults(*again);
  EXPECT_EQ(std::memcmp(sim.get(), again.get(), sizeof(simsetupstruct)), 0);
}

TEST(DecomSetupDefaults, BitSyncAndTrailerDefaults) {
  bitsyncsetupstruct bitsync{};
  SetBitSyncDefaults(bitsync, 0);
  std::vector<std::uint8_t> bytes(36);
  ASSERT_TRUE(RecordToBytes(bitsync, bytes));
  const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 1, 0, 0, 0, 0,    0,    0,    0,
                                              0, 0, 0, 0, 2, 0, 0, 0, 0x00, 0xA0, 0x0F, 0,
                                              1, 1, 1, 1, 0, 0, 0, 0, 0,    0,    0,    0};
  EXPECT_EQ(bytes, expected);
  SetBitSyncDefaults(bitsync, 3);
  EXPECT_EQ(bitsync.HardwareType, 3);
  EXPECT_EQ(bitsync.bLowHardwareType, 0);

  trailerblockstruct trailer{};
  SetTrailerDefaults(trailer);
  std::vector<std::uint8_t> trailer_bytes(20);
  ASSERT_TRUE(RecordToBytes(trailer, trailer_bytes));
  std::vector<std::uint8_t> trailer_expected(20, 0);
  trailer_expected[4] = 1;
  trailer_expected[5] = 1;
  EXPECT_EQ(trailer_bytes, trailer_expected);
}

TEST(DecomSetupDefaults, BitRateBands) {
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
      {49, 0},       {50, 0},       {400009, 0},   {400010, 1},   {800009, 1},  {800010, 2},
      {1600099, 2},  {1600100, 3},  {3200099, 3},  {3200100, 4},  {5000099, 4}, {5000100, 5},
      {10000999, 5}, {10001000, 6}, {25000000, 6}, {25000001, 0}, {-1, 0}};
  for (const auto& [rate, band] : cases) EXPECT_EQ(BitRateBand(rate), band) << rate;
}

// ---- Validation ----

struct ValidationCase {
  const char* name;
  std::function<void(decomsetupstruct&)> change;
  bool ok;
  int code;
  std::string message;
  std::function<void(const decomsetupstruct&)> check = nullptr;
};

TEST(DecomSetupValidation, StepsReportTheirCodesAndMessages) {
  const std::vector<ValidationCase> cases = {
      {"defaults", [](decomsetupstruct&) {}, true, 0, ""},
      {"pcm code above table is reset silently", [](decomsetupstruct& s) { s.PcmInputCode = 19; },
       true, 0, "", [](const decomsetupstruct& s) { EXPECT_EQ(s.PcmInputCode, 0); }},
      {"pcm code 18 is kept", [](decomsetupstruct& s) { s.PcmInputCode = 18; }, true, 0, "",
       [](const decomsetupstruct& s) { EXPECT_EQ(s.PcmInputCode, 18); }},
      {"no sync, leading pattern",
       [](decomsetupstruct& s) {
         s.eSyncMethod = kSyncMethodNone;
         s.SubFrameIdStartBitLsb = 40;  // steps 8 and 9 are skipped
         s.FirstFrame = 3;
         s.LastFrame = 9;
         s.SubframeDirection = kSubframeDown;
       },
       true, 0, "",
       [](const decomsetupstruct& s) {
         EXPECT_EQ(s.SubFrameIdWord, 255);
         EXPECT_EQ(s.NumSubframes, 1);
         EXPECT_EQ(s.FirstFrame, 0);
         EXPECT_EQ(s.LastFrame, 0);
         EXPECT_EQ(s.SubframeDirection, kSubframeUp);
       }},
      {"no sync, trailing pattern",
       [](decomsetupstruct& s) {
         s.eSyncMethod = kSyncMethodNone;
         s.PatternLeads = 0;
       },
       true, 0, "", [](const decomsetupstruct& s) { EXPECT_EQ(s.SubFrameIdWord, 0); }},
      {"pattern of 2 bits", [](decomsetupstruct& s) { s.FrmSyncPatLen = 2; }, false, 10,
       "Sync Pattern Length MUST be between 3 and 64"},
      {"pattern of 65 bits", [](decomsetupstruct& s) { s.FrmSyncPatLen = 65; }, false, 10,
       "Sync Pattern Length MUST be between 3 and 64"},
      {"pattern of 64 bits",
       [](decomsetupstruct& s) {
         s.FrmSyncPatLen = 64;
         s.SubFrameIdWord = 5;
       },
       true, 0, ""},
      {"16383 words", [](decomsetupstruct& s) { s.WordsPerFrame = 16383; }, true, 0, ""},
      {"16384 words", [](decomsetupstruct& s) { s.WordsPerFrame = 16384; }, false, 11,
       "Words Per Minor Frame MUST be less than 16383"},
      {"no words", [](decomsetupstruct& s) { s.WordsPerFrame = 0; }, false, 11,
       "Words Per Minor Frame MUST be at least 1"},
      {"negative words, no sync",
       [](decomsetupstruct& s) {
         s.WordsPerFrame = -5;
         s.eSyncMethod = kSyncMethodNone;
       },
       false, 11, "Words Per Minor Frame MUST be at least 1"},
      {"1024 subframes", [](decomsetupstruct& s) { s.NumSubframes = 1024; }, true, 0, ""},
      {"1025 subframes", [](decomsetupstruct& s) { s.NumSubframes = 1025; }, false, 12,
       "Too Many Subframes, Max is 1024"},
      {"SFID on the last word", [](decomsetupstruct& s) { s.SubFrameIdWord = 256; }, true, 0, ""},
      {"SFID beyond the frame", [](decomsetupstruct& s) { s.SubFrameIdWord = 257; }, false, 13,
       "SFID MUST be less than Words Per Minor Frame 256"},
      {"word length 0", [](decomsetupstruct& s) { s.CommonWordLength = 0; }, false, 14,
       "Common Word Length MUST be at least 1"},
      {"word length 0 without sync",
       [](decomsetupstruct& s) {
         s.CommonWordLength = 0;
         s.eSyncMethod = kSyncMethodNone;
       },
       false, 14, "Common Word Length MUST be at least 1"},
      {"SFID 0, trailing pattern",
       [](decomsetupstruct& s) {
         s.SubFrameIdWord = 0;
         s.PatternLeads = 0;
       },
       false, 13, "SFID MUST be at least 1"},
      {"SFID negative, leading pattern from a negative first frame",
       [](decomsetupstruct& s) {
         s.SubFrameIdWord = -3;
         s.FirstFrame = -10;
       },
       false, 13, "SFID MUST be at least 1"},
      {"leads up, first frame 1, SFID 3", [](decomsetupstruct& s) { s.FirstFrame = 1; }, true, 0,
       ""},
      {"leads up, first frame 1, SFID 2",
       [](decomsetupstruct& s) {
         s.FirstFrame = 1;
         s.SubFrameIdWord = 2;
       },
       false, 14, "SfId Word Must be Greater than 2"},
      {"leads up, first frame 0, SFID 2", [](decomsetupstruct& s) { s.SubFrameIdWord = 2; }, true,
       0, ""},
      {"leads up, first frame 0, SFID 1", [](decomsetupstruct& s) { s.SubFrameIdWord = 1; }, false,
       14, "SfId Word Must be Greater than 1"},
      {"leads down, SFID 1",
       [](decomsetupstruct& s) {
         s.SubframeDirection = kSubframeDown;
         s.SubFrameIdWord = 1;
       },
       false, 14, "SfId Word Must be Greater than 2"},
      {"leads down, SFID 2",
       [](decomsetupstruct& s) {
         s.SubframeDirection = kSubframeDown;
         s.SubFrameIdWord = 2;
       },
       true, 0, ""},
      {"trails, SFID 255",
       [](decomsetupstruct& s) {
         s.PatternLeads = 0;
         s.SubFrameIdWord = 255;
       },
       false, 14, "SfId Word Must be Less than 254"},
      {"trails down, SFID 254",
       [](decomsetupstruct& s) {
         s.PatternLeads = 0;
         s.SubframeDirection = kSubframeDown;
         s.SubFrameIdWord = 254;
       },
       true, 0, ""},
      {"start bit at word length", [](decomsetupstruct& s) { s.SubFrameIdStartBitLsb = 16; }, false,
       15, "SF ID Start Bit MUST be in the range of 0 to 15"},
      {"negative start bit", [](decomsetupstruct& s) { s.SubFrameIdStartBitLsb = -1; }, false, 15,
       "SF ID Start Bit MUST be in the range of 0 to 15"},
      {"start bit beyond an 8-bit SFID word",
       [](decomsetupstruct& s) {
         s.WdArray[2].iWdLen = 8;
         s.SubFrameIdStartBitLsb = 8;
       },
       false, 15, "SF ID Start Bit MUST be in the range of 0 to 7"},
      {"63 frames need six bits: start bit 4",
       [](decomsetupstruct& s) { s.SubFrameIdStartBitLsb = 4; }, false, 15,
       "Not enough bits for SF ID for the number of minor frames. Check Start Bit"},
      {"first frame larger than last counts",
       [](decomsetupstruct& s) {
         s.FirstFrame = 7;
         s.LastFrame = 0;
         s.SubframeDirection = kSubframeDown;
         s.SubFrameIdStartBitLsb = 1;
       },
       false, 15, "Not enough bits for SF ID for the number of minor frames. Check Start Bit"},
      {"URC pattern of 2 bits",
       [](decomsetupstruct& s) {
         s.eSyncMethod = kSyncMethodUrc;
         s.URCPatLen = 2;
       },
       false, 16, "URC  URC Sync Pattern Length MUST be between 3 and 32"},
      {"URC pattern of 33 bits",
       [](decomsetupstruct& s) {
         s.eSyncMethod = kSyncMethodUrc;
         s.URCPatLen = 33;
       },
       false, 16, "URC  URC Sync Pattern Length MUST be between 3 and 32"},
      {"URC length not checked for SFID", [](decomsetupstruct& s) { s.URCPatLen = 2; }, true, 0,
       ""},
      {"300 frames per interrupt", [](decomsetupstruct& s) { s.FramesPerInterrupt = 300; }, false,
       17,
       "Frames Per Interrupt TOO LARGE for the card.  Max is 131072 bytes.  Max Frames Per "
       "Interrupt is 251",
       [](const decomsetupstruct& s) { EXPECT_EQ(s.FramesPerInterrupt, 251); }},
      {"251 frames per interrupt fit", [](decomsetupstruct& s) { s.FramesPerInterrupt = 251; },
       true, 0, ""},
      {"largest frame and interrupt count do not overflow",
       [](decomsetupstruct& s) {
         s.WordsPerFrame = 16383;
         s.FramesPerInterrupt = 32767;
       },
       false, 17,
       "Frames Per Interrupt TOO LARGE for the card.  Max is 131072 bytes.  Max Frames Per "
       "Interrupt is 3",
       [](const decomsetupstruct& s) { EXPECT_EQ(s.FramesPerInterrupt, 3); }},
      {"first failing step wins",
       [](decomsetupstruct& s) {
         s.FrmSyncPatLen = 2;
         s.WordsPerFrame = 20000;
         s.FramesPerInterrupt = 300;
       },
       false, 10, "Sync Pattern Length MUST be between 3 and 64",
       [](const decomsetupstruct& s) { EXPECT_EQ(s.FramesPerInterrupt, 300); }},
  };

  for (const ValidationCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto setup = DefaultSetup();
    c.change(*setup);
    int code = -1;
    std::string message = "stale";
    EXPECT_EQ(ValidateDecomSetup(0, *setup, code, message), c.ok);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(message, c.message);
    if (c.check) c.check(*setup);
  }
}

TEST(DecomSetupValidation, CardClassesSetTheLimits) {
  for (int card_class : {0, 2, 4}) {
    const DecomCardLimits limits = CardLimits(card_class);
    EXPECT_EQ(limits.memory_bytes, 131072);
    EXPECT_EQ(limits.max_words, 16383);
    EXPECT_EQ(limits.max_subframes, 1024);
  }
  for (int card_class : {-1, 1, 3, 5, 99}) {
    const DecomCardLimits limits = CardLimits(card_class);
    EXPECT_EQ(limits.memory_bytes, 32768);
    EXPECT_EQ(limits.max_words, 8191);
    EXPECT_EQ(limits.max_subframes, 256);
  }

  auto setup = DefaultSetup();
  setup->WordsPerFrame = 8192;
  int code = 0;
  std::string message;
  EXPECT_FALSE(ValidateDecomSetup(1, *setup, code, message));
  EXPECT_EQ(code, 11);
  EXPECT_EQ(message, "Words Per Minor Frame MUST be less than 8191");

  setup = DefaultSetup();
  setup->FramesPerInterrupt = 100;  // 100 x 261 x 2 > 32 768
  EXPECT_FALSE(ValidateDecomSetup(3, *setup, code, message));
  EXPECT_EQ(code, 17);
  EXPECT_EQ(message,
            "Frames Per Interrupt TOO LARGE for the card.  Max is 32768 bytes.  Max Frames Per "
            "Interrupt is 62");
  EXPECT_EQ(setup->FramesPerInterrupt, 62);
}

TEST(DecomSetupValidation, BadSubframeDirectionResetsToDefaults) {
  test::LogSession log;
  auto setup = DefaultSetup();
  setup->SubframeDirection = 7;
  setup->WordsPerFrame = 100;
  setup->FrmSyncPatLen = 2;  // would fail later; the reset comes first
  int code = -1;
  std::string message = "stale";
  EXPECT_FALSE(ValidateDecomSetup(0, *setup, code, message));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(message, "");
  EXPECT_EQ(Bytes(*setup), Bytes(*DefaultSetup()));

  const std::vector<test::LogEntry> entries = LoggedEntries(log);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].code, 7);
  EXPECT_EQ(entries[0].message, "INVALID SUBFRAME DIRECTION, CORRECTING TO COUNTS UP");
  EXPECT_EQ(entries[1].code, 255);
  EXPECT_EQ(entries[1].message, "Appear to have file corruption for simulator, setting defaults");
}

// ---- Dump ----

std::vector<test::LogEntry> DumpOf(const decomsetupstruct& setup) {
  test::LogSession log;
  DumpDecomSetup(setup);
  return LoggedEntries(log);
}

TEST(DecomSetupDump, DefaultsDumpEveryFieldAndWord) {
  const std::vector<test::LogEntry> entries = DumpOf(*DefaultSetup());
  const std::vector<std::string> head = {
      "The Setup Data Used is as follow:", "WordsPerFrame         256",
      "CommonWordLength      16",          "PCM Input Code        NRZL",
      "BitOrder              MSB FIRST",   "SubFrameIdWord        3",
      "SubFrameIdStartBit Lsb5",           "FirstFrame            0",
      "LastFrame             63",          "NumSubframes          64",
      "SubframeDirection     UP",          "FrmSyncPatRadix       HEX",
      "FrmSyncPat            FE6B2840",    "FrmSyncPatLen         32",
      "PatternLeads          LEADS",       "bBurstEnable          NO",
      "bMajorFrameModeEnable NO",          "iChkFrm               2",
      "iVfyFrm               2",           "eDataPolarity         NORMAL",
      "bFACEnable            NO",          "eSyncMethod           SFID",
      "bForceSync            NO",          "FrameSyncTolerance    1",
      "bGMode                NO",          "eClockPolarity        NORMAL",
      "FramesPerInterrupt    1",           "eInputSource          SIMULATOR",
      "URCPatRadix           HEX",         "URCSyncPat            FE6B2840",
      "URCPatLen             32",          "UrcTolerance          1",
      "eWordAlignment             RIGHT",  "eBitWindow                 NONE",
      "Format WdArrayLength  256",         "Format Info...",
  };
  ASSERT_EQ(entries.size(), head.size() + 256 + 1);
  for (std::size_t i = 0; i < head.size(); ++i) {
    EXPECT_EQ(entries[i].message, head[i]);
    EXPECT_EQ(entries[i].code, 0);
  }
  for (int s = 0; s < 256; ++s) {
    const test::LogEntry& entry = entries[head.size() + static_cast<std::size_t>(s)];
    EXPECT_EQ(entry.code, s);
    EXPECT_EQ(entry.message, "     iWdNum     " + std::to_string(s) +
                                 "     iWdLen     16     bLSBF      NO     bLeftAlign NO"
                                 "     bSlave     NO     bReject    NO");
  }
  EXPECT_EQ(entries.back().message, "---end setup data---");
}

TEST(DecomSetupDump, EnumerationsFlagsAndOddValues) {
  auto setup = DefaultSetup();
  setup->PcmInputCode = 18;
  setup->BitOrder = 1;
  setup->SubframeDirection = 1;
  setup->FrmSyncPatRadix = 0;
  setup->PatternLeads = 0;
  setup->bGMode = 1;
  setup->eDataPolarity = 2;
  setup->eSyncMethod = 9;
  setup->eClockPolarity = 1;
  setup->eInputSource = -1;
  setup->URCPatRadix = 1;
  setup->eWordAlignment = 0;
  setup->eBitWindow = 2;
  setup->WdArrayLength = 2;
  setup->WdArray[1] = {7, 12, 1, 1, 1, 1, 1, {0, 0, 0}};
  std::vector<test::LogEntry> entries = DumpOf(*setup);
  auto text_of = [&](std::string_view label) {
    for (const test::LogEntry& e : entries) {
      if (e.message.starts_with(label)) return e.message.substr(label.size());
    }
    return std::string("<missing>");
  };
  EXPECT_EQ(text_of("PCM Input Code        "), "RNRZ9");
  EXPECT_EQ(text_of("BitOrder              "), "LSB FIRST");
  EXPECT_EQ(text_of("SubframeDirection     "), "DOWN");
  EXPECT_EQ(text_of("FrmSyncPatRadix       "), "BINARY");
  EXPECT_EQ(text_of("PatternLeads          "), "TRAILS");
  EXPECT_EQ(text_of("bGMode                "), "YES");
  EXPECT_EQ(text_of("eDataPolarity         "), "AUTO");
  EXPECT_EQ(text_of("eSyncMethod           "), "UNKNOWN 9");
  EXPECT_EQ(text_of("eClockPolarity        "), "INVERT");
  EXPECT_EQ(text_of("eInputSource          "), "UNKNOWN -1");
  EXPECT_EQ(text_of("URCPatRadix           "), "OCTAL");
  EXPECT_EQ(text_of("eWordAlignment"), "             LEFT");
  EXPECT_EQ(text_of("eBitWindow"), "                 eBITSLIP_TWOBIT");
  ASSERT_GE(entries.size(), 3u);
  EXPECT_EQ(entries[entries.size() - 2].code, 1);
  EXPECT_EQ(entries[entries.size() - 2].message,
            "     iWdNum     7     iWdLen     12     bLSBF      YES     bLeftAlign YES"
            "     bSlave     YES     bReject    YES");

  for (const auto& [window, text] : std::vector<std::pair<int, std::string>>{
           {1, "eBITSLIP_ONEBIT"}, {3, "eBITSLIP_THREEBIT"}, {-4, "eBITSLIP_THREEBIT"}}) {
    setup->eBitWindow = window;
    entries = DumpOf(*setup);
    EXPECT_EQ(text_of("eBitWindow"), "                 " + text);
  }
  setup->eWordAlignment = 5;
  entries = DumpOf(*setup);
  EXPECT_EQ(text_of("eWordAlignment"), "             RIGHT");
}

TEST(DecomSetupDump, DamagedLengthsStayInsideTheRecord) {
  auto setup = DefaultSetup();
  setup->WdArrayLength = 20000;
  std::memset(setup->FrmSyncPat, 'A', sizeof(setup->FrmSyncPat));
  std::vector<test::LogEntry> entries = DumpOf(*setup);
  EXPECT_EQ(entries.size(), 36u + kDecomMaxWords + 1);
  bool found = false;
  for (const test::LogEntry& e : entries) {
    if (e.message == "FrmSyncPat            " + std::string(66, 'A')) found = true;
  }
  EXPECT_TRUE(found);

  setup->WdArrayLength = -3;
  entries = DumpOf(*setup);
  EXPECT_EQ(entries.size(), 37u);
}

}  // namespace
}  // namespace tessel
