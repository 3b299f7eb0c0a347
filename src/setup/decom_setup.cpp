// Defaults, validation and log dump of the decom setup record; defaults of the
// hardware blocks that travel with it.
#include "setup/decom_setup.h"

#include <cstddef>
#include <random>

#include "support/log.h"

namespace tessel {

// ---- Byte layouts: DDbase files hold these records exactly as they lie in memory ----

static_assert(sizeof(decomwordstruct) == 16);
static_assert(offsetof(decomwordstruct, iWdNum) == 0);
static_assert(offsetof(decomwordstruct, iWdLen) == 4);
static_assert(offsetof(decomwordstruct, bLSBF) == 8);
static_assert(offsetof(decomwordstruct, bLeftAlign) == 9);
static_assert(offsetof(decomwordstruct, bSlave) == 10);
static_assert(offsetof(decomwordstruct, bReject) == 11);
static_assert(offsetof(decomwordstruct, bReserved) == 12);
static_assert(offsetof(decomwordstruct, Padding13) == 13);

static_assert(sizeof(decomsetupstruct) == kDecomSetupBytes);
static_assert(std::is_standard_layout_v<decomsetupstruct>);
static_assert(SetupByteImage<decomsetupstruct>);
static_assert(offsetof(decomsetupstruct, WordsPerFrame) == 0);
static_assert(offsetof(decomsetupstruct, CommonWordLength) == 2);
static_assert(offsetof(decomsetupstruct, PcmInputCode) == 3);
static_assert(offsetof(decomsetupstruct, BitOrder) == 4);
static_assert(offsetof(decomsetupstruct, SubFrameIdWord) == 8);
static_assert(offsetof(decomsetupstruct, SubFrameIdStartBitLsb) == 10);
static_assert(offsetof(decomsetupstruct, FirstFrame) == 12);
static_assert(offsetof(decomsetupstruct, LastFrame) == 14);
static_assert(offsetof(decomsetupstruct, FrmSyncPatRadix) == 16);
static_assert(offsetof(decomsetupstruct, FrmSyncPat) == 20);
static_assert(offsetof(decomsetupstruct, FrmSyncPatLen) == 86);
static_assert(offsetof(decomsetupstruct, PatternLeads) == 88);
static_assert(offsetof(decomsetupstruct, bBurstEnable) == 92);
static_assert(offsetof(decomsetupstruct, bMajorFrameModeEnable) == 93);
static_assert(offsetof(decomsetupstruct, iChkFrm) == 94);
static_assert(offsetof(decomsetupstruct, iVfyFrm) == 96);
static_assert(offsetof(decomsetupstruct, Padding98) == 98);
static_assert(offsetof(decomsetupstruct, eDataPolarity) == 100);
static_assert(offsetof(decomsetupstruct, bFACEnable) == 104);
static_assert(offsetof(decomsetupstruct, Padding105) == 105);
static_assert(offsetof(decomsetupstruct, eSyncMethod) == 108);
static_assert(offsetof(decomsetupstruct, bForceSync) == 112);
static_assert(offsetof(decomsetupstruct, Padding113) == 113);
static_assert(offsetof(decomsetupstruct, FrameSyncTolerance) == 114);
static_assert(offsetof(decomsetupstruct, bGMode) == 116);
static_assert(offsetof(decomsetupstruct, Padding117) == 117);
static_assert(offsetof(decomsetupstruct, eClockPolarity) == 120);
static_assert(offsetof(decomsetupstruct, FramesPerInterrupt) == 124);
static_assert(offsetof(decomsetupstruct, Padding126) == 126);
static_assert(offsetof(decomsetupstruct, eInputSource) == 128);
static_assert(offsetof(decomsetupstruct, URCPatRadix) == 132);
static_assert(offsetof(decomsetupstruct, URCSyncPat) == 136);
static_assert(offsetof(decomsetupstruct, URCPatLen) == 202);
static_assert(offsetof(decomsetupstruct, UrcTolerance) == 204);
static_assert(offsetof(decomsetupstruct, Padding206) == 206);
static_assert(offsetof(decomsetupstruct, eWordAlignment) == 208);
static_assert(offsetof(decomsetupstruct, eBitWindow) == 212);
static_assert(offsetof(decomsetupstruct, WdArrayLength) == 216);
static_assert(offsetof(decomsetupstruct, Padding218) == 218);
static_assert(offsetof(decomsetupstruct, WdArray) == 220);
static_assert(offsetof(decomsetupstruct, NumSubframes) == 262348);
static_assert(offsetof(decomsetupstruct, SubframeDirection) == 262352);
static_assert(offsetof(decomsetupstruct, BitRate) == 262356);
static_assert(offsetof(decomsetupstruct, InterruptBufferBytes) == 262360);
static_assert(offsetof(decomsetupstruct, FrameBufferBytes) == 262364);

static_assert(sizeof(simdynamicwordstruct) == 12);
static_assert(sizeof(simuniquewordstruct) == 20);
static_assert(offsetof(simuniquewordstruct, WordValue) == 16);
static_assert(sizeof(simframewordstruct) == 4);
static_assert(offsetof(simframewordstruct, Value) == 2);

static_assert(sizeof(simsetupstruct) == kSimSetupBytes);
static_assert(SetupByteImage<simsetupstruct>);
static_assert(offsetof(simsetupstruct, BitOrder) == 0);
static_assert(offsetof(simsetupstruct, SubframeMode) == 4);
static_assert(offsetof(simsetupstruct, SubframeDirection) == 8);
static_assert(offsetof(simsetupstruct, PatternLeads) == 12);
static_assert(offsetof(simsetupstruct, TrackDecom) == 16);
static_assert(offsetof(simsetupstruct, Padding17) == 17);
static_assert(offsetof(simsetupstruct, SimBitRate) == 20);
static_assert(offsetof(simsetupstruct, SimOutputCode) == 24);
static_assert(offsetof(simsetupstruct, SubFrameIdWord) == 28);
static_assert(offsetof(simsetupstruct, SubFrameIdStartBitLsb) == 32);
static_assert(offsetof(simsetupstruct, CommonWordLength) == 36);
static_assert(offsetof(simsetupstruct, WordsPerFrame) == 40);
static_assert(offsetof(simsetupstruct, NumSubframes) == 44);
static_assert(offsetof(simsetupstruct, FrmSyncPatRadix) == 48);
static_assert(offsetof(simsetupstruct, FrmSyncPat) == 52);
static_assert(offsetof(simsetupstruct, FrmSyncPatLen) == 120);
static_assert(offsetof(simsetupstruct, FirstFrame) == 124);
static_assert(offsetof(simsetupstruct, bFACEnable) == 128);
static_assert(offsetof(simsetupstruct, bExtClockEnable) == 129);
static_assert(offsetof(simsetupstruct, Padding130) == 130);
static_assert(offsetof(simsetupstruct, Convolution) == 132);
static_assert(offsetof(simsetupstruct, Reserved136) == 136);
static_assert(offsetof(simsetupstruct, Padding139) == 139);
static_assert(offsetof(simsetupstruct, Reserved140) == 140);
static_assert(offsetof(simsetupstruct, DynamicWords) == 144);
static_assert(offsetof(simsetupstruct, UniqueWords) == 204);
static_assert(offsetof(simsetupstruct, FrameWords) == 344);

static_assert(sizeof(bitsyncsetupstruct) == kBitSyncSetupBytes);
static_assert(SetupByteImage<bitsyncsetupstruct>);
static_assert(offsetof(bitsyncsetupstruct, HardwareType) == 0);
static_assert(offsetof(bitsyncsetupstruct, Reserved4) == 4);
static_assert(offsetof(bitsyncsetupstruct, Reserved8) == 8);
static_assert(offsetof(bitsyncsetupstruct, Reserved12) == 12);
static_assert(offsetof(bitsyncsetupstruct, BitRateBand) == 16);
static_assert(offsetof(bitsyncsetupstruct, BitRate) == 20);
static_assert(offsetof(bitsyncsetupstruct, Reserved24) == 24);
static_assert(offsetof(bitsyncsetupstruct, bLowHardwareType) == 25);
static_assert(offsetof(bitsyncsetupstruct, Reserved26) == 26);
static_assert(offsetof(bitsyncsetupstruct, Reserved27) == 27);
static_assert(offsetof(bitsyncsetupstruct, Reserved28) == 28);

static_assert(sizeof(trailerblockstruct) == kTrailerBlockBytes);
static_assert(SetupByteImage<trailerblockstruct>);
static_assert(offsetof(trailerblockstruct, Reserved4) == 4);
static_assert(offsetof(trailerblockstruct, Reserved5) == 5);
static_assert(offsetof(trailerblockstruct, Padding6) == 6);
static_assert(offsetof(trailerblockstruct, Reserved8) == 8);
static_assert(offsetof(trailerblockstruct, Reserved12) == 12);

namespace {

constexpr std::string_view kDefaultPattern = "FE6B2840";

}  // namespace

// ---- Defaults ----

void SetDecomDefaults(decomsetupstruct& setup) {
  std::memset(&setup, 0, sizeof(setup));
  setup.WordsPerFrame = 256;
  setup.CommonWordLength = 16;
  setup.PcmInputCode = 0;
  setup.BitOrder = 0;
  setup.SubFrameIdWord = 3;
  setup.SubFrameIdStartBitLsb = 5;
  setup.FirstFrame = 0;
  setup.LastFrame = 63;
  setup.FrmSyncPatRadix = kRadixHex;
  SetRecordText(setup.FrmSyncPat, kDefaultPattern);
  setup.FrmSyncPatLen = 32;
  setup.PatternLeads = 1;
  setup.iChkFrm = 2;
  setup.iVfyFrm = 2;
  setup.eDataPolarity = kPolarityNormal;
  setup.eSyncMethod = kSyncMethodSfid;
  setup.FrameSyncTolerance = 1;
  setup.eClockPolarity = kPolarityNormal;
  setup.FramesPerInterrupt = 1;
  setup.eInputSource = kInputSourceSimulator;
  setup.URCPatRadix = kRadixHex;
  SetRecordText(setup.URCSyncPat, kDefaultPattern);
  setup.URCPatLen = 32;
  setup.UrcTolerance = 1;
  setup.eWordAlignment = kWordAlignmentRight;
  setup.eBitWindow = 0;
  setup.WdArrayLength = setup.WordsPerFrame;
  for (int i = 0; i < kDecomMaxWords; ++i) {
    decomwordstruct& word = setup.WdArray[i];
    word.iWdNum = i;
    word.iWdLen = setup.CommonWordLength;
    word.bLSBF = setup.BitOrder == 1 ? 1 : 0;
    word.bLeftAlign = setup.eWordAlignment == kWordAlignmentLeft ? 1 : 0;
  }
  setup.NumSubframes = setup.LastFrame - setup.FirstFrame + (setup.FirstFrame == 0 ? 1 : 0);
  setup.SubframeDirection = kSubframeUp;
  setup.BitRate = 1024000;
}

std::unique_ptr<decomsetupstruct> NewDecomSetup() {
  auto setup = std::make_unique<decomsetupstruct>();
  SetDecomDefaults(*setup);
  return setup;
}

void SetSimDefaults(simsetupstruct& sim) {
  std::memset(&sim, 0, sizeof(sim));
  sim.PatternLeads = 1;
  sim.TrackDecom = 1;
  sim.SimBitRate = 1024000;
  sim.SubFrameIdWord = 3;
  sim.SubFrameIdStartBitLsb = 5;
  sim.CommonWordLength = 16;
  sim.WordsPerFrame = 256;
  sim.NumSubframes = 64;
  sim.FrmSyncPatRadix = kRadixHex;
  SetRecordText(sim.FrmSyncPat, kDefaultPattern);
  sim.FrmSyncPatLen = 32;
  sim.Reserved140 = 1;
  for (int k = 0; k < 5; ++k) {
    sim.DynamicWords[k] = {sim.SubFrameIdWord + 1 + k, 0, k + 1};
  }
  for (int k = 0; k < 7; ++k) {
    simuniquewordstruct& unique = sim.UniqueWords[k];
    unique.StartWord = sim.SubFrameIdWord + 6 + k;
    unique.WordValue = 0xBEEF;
  }
  // A fixed seed keeps the written DDbase files reproducible from run to run.
  std::minstd_rand generator(1);
  for (simframewordstruct& word : sim.FrameWords) {
    word.WordLen = static_cast<std::uint16_t>(sim.CommonWordLength);
    word.Value = static_cast<std::uint16_t>((generator() >> 8) & 0x7FFFu);
  }
}

std::int32_t BitRateBand(std::int32_t bit_rate) {
  struct Band {
    std::int32_t upper;
    std::int32_t band;
  };
  static constexpr Band kBands[] = {{400009, 0},  {800009, 1},   {1600099, 2}, {3200099, 3},
                                    {5000099, 4}, {10000999, 5}, {25000000, 6}};
  if (bit_rate < 50) return 0;
  for (const Band& band : kBands) {
    if (bit_rate <= band.upper) return band.band;
  }
  return 0;
}

void SetBitSyncDefaults(bitsyncsetupstruct& bitsync, std::int32_t hardware_type) {
  std::memset(&bitsync, 0, sizeof(bitsync));
  bitsync.HardwareType = hardware_type;
  bitsync.Reserved4 = 1;
  bitsync.BitRate = 1024000;
  bitsync.BitRateBand = BitRateBand(bitsync.BitRate);
  bitsync.Reserved24 = 1;
  bitsync.bLowHardwareType = hardware_type < 2 ? 1 : 0;
  bitsync.Reserved26 = 1;
  bitsync.Reserved27 = 1;
}

void SetTrailerDefaults(trailerblockstruct& trailer) {
  std::memset(&trailer, 0, sizeof(trailer));
  trailer.Reserved4 = 1;
  trailer.Reserved5 = 1;
}

// ---- Validation ----

DecomCardLimits CardLimits(int card_class) {
  if (card_class == 0 || card_class == 2 || card_class == 4) return {131072, 16383, 1024};
  return {32768, 8191, 256};
}

bool ValidateDecomSetup(int card_class, decomsetupstruct& setup, int& error_code,
                        std::string& message) {
  const DecomCardLimits limits = CardLimits(card_class);
  error_code = 0;
  message.clear();
  auto fail = [&](int code, std::string text) {
    error_code = code;
    message = std::move(text);
    return false;
  };
  auto number = [](std::int64_t value) { return std::to_string(value); };

  if (setup.PcmInputCode > 18) setup.PcmInputCode = 0;

  // A direction outside UP/DOWN means the record is damaged: start again from defaults.
  if (setup.SubframeDirection != kSubframeUp && setup.SubframeDirection != kSubframeDown) {
    LogMessage("INVALID SUBFRAME DIRECTION, CORRECTING TO COUNTS UP", setup.SubframeDirection);
    setup.SubframeDirection = kSubframeUp;
    LogMessage("Appear to have file corruption for simulator, setting defaults", 255);
    SetDecomDefaults(setup);
    return false;
  }

  // Without subframe synchronisation the stream has one subframe and a fixed SFID word.
  const bool has_subframes = setup.eSyncMethod != kSyncMethodNone;
  if (!has_subframes) {
    setup.NumSubframes = 1;
    setup.FirstFrame = 0;
    setup.LastFrame = 0;
    setup.SubframeDirection = kSubframeUp;
    setup.SubFrameIdWord =
        setup.PatternLeads == 1 ? static_cast<std::int16_t>(setup.WordsPerFrame - 1) : 0;
  }

  if (setup.FrmSyncPatLen < 3 || setup.FrmSyncPatLen > 64) {
    return fail(10, "Sync Pattern Length MUST be between " + number(3) + " and " + number(64));
  }
  if (setup.WordsPerFrame > limits.max_words) {
    return fail(11, "Words Per Minor Frame MUST be less than " + number(limits.max_words));
  }
  // An empty or negative frame has no words to synchronise on and no buffer size.
  if (setup.WordsPerFrame < 1) {
    return fail(11, "Words Per Minor Frame MUST be at least 1");
  }
  if (setup.NumSubframes > limits.max_subframes) {
    return fail(12, "Too Many Subframes, Max is " + number(limits.max_subframes));
  }
  if (setup.SubFrameIdWord > setup.WordsPerFrame) {
    return fail(13, "SFID MUST be less than Words Per Minor Frame " + number(setup.WordsPerFrame));
  }
  // The pattern's word count divides by the word length; the SFID word indexes the table.
  if (setup.CommonWordLength == 0) {
    return fail(14, "Common Word Length MUST be at least 1");
  }
  if (has_subframes && setup.SubFrameIdWord < 1) {
    return fail(13, "SFID MUST be at least 1");
  }

  if (has_subframes) {
    const std::int64_t sfid = setup.SubFrameIdWord;
    const std::int64_t pattern_words =
        (setup.FrmSyncPatLen + setup.CommonWordLength - 1) / setup.CommonWordLength;
    if (setup.PatternLeads == 1 && setup.SubframeDirection == kSubframeUp) {
      if (sfid < setup.FirstFrame + pattern_words) {
        return fail(
            14, "SfId Word Must be Greater than " + number(setup.FirstFrame + pattern_words - 1));
      }
    } else if (setup.PatternLeads == 1) {
      if (sfid < pattern_words) {
        return fail(14, "SfId Word Must be Greater than " + number(pattern_words));
      }
    } else if (sfid > setup.WordsPerFrame - pattern_words) {
      return fail(14, "SfId Word Must be Less than " + number(setup.WordsPerFrame - pattern_words));
    }

    const std::int64_t word_length = setup.WdArray[sfid - 1].iWdLen;
    const std::int64_t start_bit = setup.SubFrameIdStartBitLsb;
    if (start_bit < 0 || start_bit >= word_length) {
      return fail(15, "SF ID Start Bit MUST be in the range of 0 to " + number(word_length - 1));
    }
    const int largest = setup.FirstFrame > setup.LastFrame ? setup.FirstFrame : setup.LastFrame;
    std::int64_t counter_bits = 0;
    for (int rest = largest; rest > 0; rest >>= 1) ++counter_bits;
    if (start_bit - counter_bits + 1 < 0) {
      return fail(15, "Not enough bits for SF ID for the number of minor frames. Check Start Bit");
    }
  }

  if (setup.eSyncMethod == kSyncMethodUrc && (setup.URCPatLen < 3 || setup.URCPatLen > 32)) {
    return fail(16,
                "URC  URC Sync Pattern Length MUST be between " + number(3) + " and " + number(32));
  }

  const std::int64_t interrupt_bytes =
      std::int64_t{setup.FramesPerInterrupt} * (setup.WordsPerFrame + 5) * 2;
  if (interrupt_bytes > limits.memory_bytes) {
    const std::int64_t most_frames = limits.memory_bytes / (2 * setup.WordsPerFrame + 10);
    setup.FramesPerInterrupt = static_cast<std::int16_t>(most_frames);
    return fail(17, "Frames Per Interrupt TOO LARGE for the card.  Max is " +
                        number(limits.memory_bytes) + " bytes." + "  Max Frames Per Interrupt is " +
                        number(most_frames));
  }
  return true;
}

// ---- Log dump ----

void DumpDecomSetup(const decomsetupstruct& setup) {
  auto line = [](std::string_view label, const std::string& value) {
    LogMessage(std::string(label) + value, 0);
  };
  auto number = [](std::int64_t value) { return std::to_string(value); };
  auto yes_no = [](std::uint8_t flag) { return std::string(flag != 0 ? "YES" : "NO"); };

  LogMessage("The Setup Data Used is as follow:", 0);
  line("WordsPerFrame         ", number(setup.WordsPerFrame));
  line("CommonWordLength      ", number(setup.CommonWordLength));
  line("PCM Input Code        ", EnumText(kDecomPcmCodeNames, setup.PcmInputCode));
  line("BitOrder              ", EnumText(kBitOrderNames, setup.BitOrder));
  line("SubFrameIdWord        ", number(setup.SubFrameIdWord));
  line("SubFrameIdStartBit Lsb", number(setup.SubFrameIdStartBitLsb));
  line("FirstFrame            ", number(setup.FirstFrame));
  line("LastFrame             ", number(setup.LastFrame));
  line("NumSubframes          ", number(setup.NumSubframes));
  line("SubframeDirection     ", EnumText(kSubframeDirectionNames, setup.SubframeDirection));
  line("FrmSyncPatRadix       ", EnumText(kRadixNames, setup.FrmSyncPatRadix));
  line("FrmSyncPat            ", RecordText(setup.FrmSyncPat));
  line("FrmSyncPatLen         ", number(setup.FrmSyncPatLen));
  line("PatternLeads          ", EnumText(kPatternPositionNames, setup.PatternLeads));
  line("bBurstEnable          ", yes_no(setup.bBurstEnable));
  line("bMajorFrameModeEnable ", yes_no(setup.bMajorFrameModeEnable));
  line("iChkFrm               ", number(setup.iChkFrm));
  line("iVfyFrm               ", number(setup.iVfyFrm));
  line("eDataPolarity         ", EnumText(kPolarityNames, setup.eDataPolarity));
  line("bFACEnable            ", yes_no(setup.bFACEnable));
  line("eSyncMethod           ", EnumText(kSyncMethodNames, setup.eSyncMethod));
  line("bForceSync            ", yes_no(setup.bForceSync));
  line("FrameSyncTolerance    ", number(setup.FrameSyncTolerance));
  line("bGMode                ", yes_no(setup.bGMode));
  line("eClockPolarity        ", EnumText(kPolarityNames, setup.eClockPolarity));
  line("FramesPerInterrupt    ", number(setup.FramesPerInterrupt));
  line("eInputSource          ", EnumText(kInputSourceNames, setup.eInputSource));
  line("URCPatRadix           ", EnumText(kRadixNames, setup.URCPatRadix));
  line("URCSyncPat            ", RecordText(setup.URCSyncPat));
  line("URCPatLen             ", number(setup.URCPatLen));
  line("UrcTolerance          ", number(setup.UrcTolerance));
  LogMessage(setup.eWordAlignment == kWordAlignmentLeft ? "eWordAlignment             LEFT"
                                                        : "eWordAlignment             RIGHT",
             0);
  switch (setup.eBitWindow) {
    case 0:
      LogMessage("eBitWindow                 NONE", 0);
      break;
    case 1:
      LogMessage("eBitWindow                 eBITSLIP_ONEBIT", 0);
      break;
    case 2:
      LogMessage("eBitWindow                 eBITSLIP_TWOBIT", 0);
      break;
    default:
      LogMessage("eBitWindow                 eBITSLIP_THREEBIT", 0);
      break;
  }
  line("Format WdArrayLength  ", number(setup.WdArrayLength));
  LogMessage("Format Info...", 0);
  // A damaged record may claim more entries than the table has.
  const int words = setup.WdArrayLength < kDecomMaxWords ? setup.WdArrayLength : kDecomMaxWords;
  for (int s = 0; s < words; ++s) {
    const decomwordstruct& word = setup.WdArray[s];
    LogMessage("     iWdNum     " + number(word.iWdNum) + "     iWdLen     " + number(word.iWdLen) +
                   "     bLSBF      " + yes_no(word.bLSBF) + "     bLeftAlign " +
                   yes_no(word.bLeftAlign) + "     bSlave     " + yes_no(word.bSlave) +
                   "     bReject    " + yes_no(word.bReject),
               s);
  }
  LogMessage("---end setup data---", 0);
}

}  // namespace tessel
