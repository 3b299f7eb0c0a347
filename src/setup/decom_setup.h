// The PCM decom setup record and the hardware blocks that travel with it.
//
// `decomsetupstruct` says how one PCM stream is laid out: words per minor frame and
// their lengths, the frame synchronisation pattern and where it sits, the subframe-ID
// counter, the bit rate and the decommutator hardware's settings. DDbase files store
// it, and the simulator, bit synchroniser and trailer blocks, as raw little-endian
// byte images, so each layout below is a file format: every offset is pinned by a
// static_assert in decom_setup.cpp and the records hold no hidden padding.
//
// The decom record is 262 368 bytes: keep it on the heap (std::unique_ptr) or inside
// its owner, pass it by reference, and move its bytes with RecordToBytes and
// RecordFromBytes (memcpy), never by casting a buffer.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "support/record_text.h"

namespace tessel {

static_assert(std::endian::native == std::endian::little,
              "setup records are stored as little-endian byte images");

// Entries of the word table, the largest minor frame the decommutator takes.
inline constexpr int kDecomMaxWords = 16383;

// Enumerated field values (each field is an int32 that indexes a text table below).
inline constexpr std::int32_t kRadixBinary = 0;
inline constexpr std::int32_t kRadixOctal = 1;
inline constexpr std::int32_t kRadixHex = 2;
inline constexpr std::int32_t kSyncMethodNone = 0;
inline constexpr std::int32_t kSyncMethodSfid = 1;
inline constexpr std::int32_t kSyncMethodFcc = 2;
inline constexpr std::int32_t kSyncMethodUrc = 3;
inline constexpr std::int32_t kSubframeUp = 0;
inline constexpr std::int32_t kSubframeDown = 1;
inline constexpr std::int32_t kPolarityNormal = 0;
inline constexpr std::int32_t kPolarityInvert = 1;
inline constexpr std::int32_t kInputSourceTtl = 0;
inline constexpr std::int32_t kInputSourceSimulator = 4;
inline constexpr std::int32_t kWordAlignmentLeft = 0;
inline constexpr std::int32_t kWordAlignmentRight = 1;

// Text tables of the enumerated fields, indexed by the field's value.
inline constexpr std::array<std::string_view, 19> kDecomPcmCodeNames = {
    "NRZL",   "NRZM",   "NRZS",   "BIOL",     "BIOM",     "BIOS", "DMM",
    "DMS",    "MDMM",   "MDMS",   "INV_NRZL", "INV_BIOL", "RZ",   "INV_RZ",
    "RNRZ11", "RNRZ15", "RNRZ17", "RNRZ23",   "RNRZ9"};
inline constexpr std::array<std::string_view, 2> kBitOrderNames = {"MSB FIRST", "LSB FIRST"};
inline constexpr std::array<std::string_view, 3> kRadixNames = {"BINARY", "OCTAL", "HEX"};
inline constexpr std::array<std::string_view, 2> kPatternPositionNames = {"TRAILS", "LEADS"};
inline constexpr std::array<std::string_view, 3> kPolarityNames = {"NORMAL", "INVERT", "AUTO"};
inline constexpr std::array<std::string_view, 4> kSyncMethodNames = {"NONE", "SFID", "FCC", "URC"};
inline constexpr std::array<std::string_view, 5> kInputSourceNames = {"TTL", "RS-422", "SLAVE",
                                                                      "MEZZANINE", "SIMULATOR"};
inline constexpr std::array<std::string_view, 2> kSubframeDirectionNames = {"UP", "DOWN"};

// One word of the minor frame (16 bytes).
struct decomwordstruct {
  std::int32_t iWdNum;      // word index, counted from 0
  std::int32_t iWdLen;      // word length in bits
  std::uint8_t bLSBF;       // sent least significant bit first
  std::uint8_t bLeftAlign;  // left-aligned
  std::uint8_t bSlave;      // slave word
  std::uint8_t bReject;     // rejected word
  std::uint8_t bReserved;   // hardware flag, kept at 0 and never shown
  std::uint8_t Padding13[3];
};

// One PCM stream's decom setup (262 368 bytes). Booleans are bytes holding 0 or 1;
// texts are zero-terminated; enumerated fields are int32 indexes of the tables above.
struct decomsetupstruct {
  std::int16_t WordsPerFrame;          // words per minor frame, pattern words included
  std::uint8_t CommonWordLength;       // bits per word
  std::uint8_t PcmInputCode;           // kDecomPcmCodeNames
  std::int32_t BitOrder;               // kBitOrderNames
  std::int16_t SubFrameIdWord;         // word of the SFID counter, counted from 1
  std::int16_t SubFrameIdStartBitLsb;  // counter's top bit, counted from the word's LSB (0)
  std::int16_t FirstFrame;             // SFID value of the first minor frame
  std::int16_t LastFrame;              // SFID value of the last minor frame
  std::int32_t FrmSyncPatRadix;        // kRadixNames
  char FrmSyncPat[66];                 // pattern text in that radix, "X" = don't care
  std::int16_t FrmSyncPatLen;          // pattern length in bits
  std::int32_t PatternLeads;           // 1: pattern opens the minor frame, 0: closes it
  std::uint8_t bBurstEnable;
  std::uint8_t bMajorFrameModeEnable;
  std::int16_t iChkFrm;  // check count, frames
  std::int16_t iVfyFrm;  // verify count, frames
  std::uint8_t Padding98[2];
  std::int32_t eDataPolarity;  // kPolarityNames
  std::uint8_t bFACEnable;
  std::uint8_t Padding105[3];
  std::int32_t eSyncMethod;  // kSyncMethodNames
  std::uint8_t bForceSync;
  std::uint8_t Padding113[1];
  std::int16_t FrameSyncTolerance;  // bit errors allowed in the pattern
  std::uint8_t bGMode;
  std::uint8_t Padding117[3];
  std::int32_t eClockPolarity;      // kPolarityNames
  std::int16_t FramesPerInterrupt;  // minor frames per hardware interrupt
  std::uint8_t Padding126[2];
  std::int32_t eInputSource;  // kInputSourceNames
  std::int32_t URCPatRadix;   // kRadixNames
  char URCSyncPat[66];        // URC subframe pattern text
  std::int16_t URCPatLen;     // URC pattern length in bits
  std::int16_t UrcTolerance;  // bit errors allowed in the URC pattern
  std::uint8_t Padding206[2];
  std::int32_t eWordAlignment;  // 0 LEFT, anything else RIGHT
  std::int32_t eBitWindow;      // 0 NONE, 1..3 bit-slip window of 1..3 bits
  std::int16_t WdArrayLength;   // valid entries of WdArray, = WordsPerFrame
  std::uint8_t Padding218[2];
  decomwordstruct WdArray[kDecomMaxWords];  // entry i describes word i + 1
  std::int32_t NumSubframes;                // minor frames per major frame
  std::int32_t SubframeDirection;           // kSubframeDirectionNames
  std::int32_t BitRate;                     // bits per second
  std::int32_t InterruptBufferBytes;        // bytes per interrupt; set by the TMATS P conversion
  std::int32_t FrameBufferBytes;            // bytes per minor frame; set by the TMATS P conversion
};

// The frame simulator's blocks of dynamic, unique and frame words.
struct simdynamicwordstruct {
  std::int32_t WordNumber;
  std::int32_t WordInterval;
  std::int32_t WaveForm;
};
struct simuniquewordstruct {
  std::int32_t StartFrame;
  std::int32_t FrameInterval;
  std::int32_t StartWord;
  std::int32_t WordInterval;
  std::uint16_t WordValue;
  std::uint8_t Padding18[2];
};
struct simframewordstruct {
  std::uint16_t WordLen;
  std::uint16_t Value;
};

// The DRUX frame simulator's setup (65 876 bytes), kept for the DDbase file.
struct simsetupstruct {
  std::int32_t BitOrder;
  std::int32_t SubframeMode;
  std::int32_t SubframeDirection;
  std::int32_t PatternLeads;
  std::uint8_t TrackDecom;
  std::uint8_t Padding17[3];
  std::int32_t SimBitRate;
  std::int32_t SimOutputCode;
  std::int32_t SubFrameIdWord;
  std::int32_t SubFrameIdStartBitLsb;
  std::int32_t CommonWordLength;
  std::int32_t WordsPerFrame;
  std::int32_t NumSubframes;
  std::int32_t FrmSyncPatRadix;
  char FrmSyncPat[68];
  std::int32_t FrmSyncPatLen;
  std::int32_t FirstFrame;
  std::uint8_t bFACEnable;
  std::uint8_t bExtClockEnable;
  std::uint8_t Padding130[2];
  std::int32_t Convolution;
  std::uint8_t Reserved136[3];
  std::uint8_t Padding139[1];
  std::int32_t Reserved140;
  simdynamicwordstruct DynamicWords[5];
  simuniquewordstruct UniqueWords[7];
  simframewordstruct FrameWords[kDecomMaxWords];
};

// The DRUX bit synchroniser's setup (36 bytes).
struct bitsyncsetupstruct {
  std::int32_t HardwareType;  // the converter uses 0
  std::int32_t Reserved4;
  std::int32_t Reserved8;
  std::int32_t Reserved12;
  std::int32_t BitRateBand;  // BitRateBand(BitRate)
  std::int32_t BitRate;      // bits per second
  std::uint8_t Reserved24;
  std::uint8_t bLowHardwareType;  // 1 when HardwareType is below 2
  std::uint8_t Reserved26;
  std::uint8_t Reserved27;
  std::uint8_t Reserved28[8];
};

// The block written last in a DDbase file (20 bytes); never read back.
struct trailerblockstruct {
  std::int32_t Reserved0;
  std::uint8_t Reserved4;
  std::uint8_t Reserved5;
  std::uint8_t Padding6[2];
  std::int32_t Reserved8;
  std::uint8_t Reserved12[8];
};

inline constexpr std::size_t kDecomSetupBytes = 262368;
inline constexpr std::size_t kSimSetupBytes = 65876;
inline constexpr std::size_t kBitSyncSetupBytes = 36;
inline constexpr std::size_t kTrailerBlockBytes = 20;

// Records that are stored as raw byte images: trivially copyable, no hidden padding.
template <typename Record>
concept SetupByteImage =
    std::is_trivially_copyable_v<Record> && std::has_unique_object_representations_v<Record>;

// Copies the record's bytes to the start of `out`; false (nothing written) when too small.
template <SetupByteImage Record>
bool RecordToBytes(const Record& record, std::span<std::uint8_t> out) {
  if (out.size() < sizeof(Record)) return false;
  std::memcpy(out.data(), &record, sizeof(Record));
  return true;
}

// Fills the record from the start of `bytes`; false (record unchanged) when too short.
template <SetupByteImage Record>
bool RecordFromBytes(std::span<const std::uint8_t> bytes, Record& record) {
  if (bytes.size() < sizeof(Record)) return false;
  std::memcpy(&record, bytes.data(), sizeof(Record));
  return true;
}

// Zeroes the record and stores the defaults: 256 16-bit words, the 32-bit pattern
// FE6B2840 (HEX) leading the frame, SFID counter in word 3 from bit 5, frames 0..63,
// 1 024 000 bit/s; all 16 383 word entries are filled.
void SetDecomDefaults(decomsetupstruct& setup);
// A defaulted decom setup on the heap.
std::unique_ptr<decomsetupstruct> NewDecomSetup();
// The simulator block's defaults; its frame words get reproducible pseudo-random values.
void SetSimDefaults(simsetupstruct& sim);
// The bit synchroniser block's defaults for `hardware_type` (the converter passes 0).
void SetBitSyncDefaults(bitsyncsetupstruct& bitsync, std::int32_t hardware_type);
// The trailer block: int32 0, bytes 1 and 1, the rest 0.
void SetTrailerDefaults(trailerblockstruct& trailer);
// The bit synchroniser's rate band: 0 for 50..400 009 bit/s, 1 up to 800 009,
// 2 up to 1 600 099, 3 up to 3 200 099, 4 up to 5 000 099, 5 up to 10 000 999,
// 6 up to 25 000 000; 0 outside every band.
std::int32_t BitRateBand(std::int32_t bit_rate);

// Card memory, word and subframe limits of a decommutator card class.
struct DecomCardLimits {
  std::int32_t memory_bytes;
  std::int32_t max_words;
  std::int32_t max_subframes;
};
DecomCardLimits CardLimits(int card_class);

// Checks the setup for the card class (the converter passes 0) and corrects what it
// may in place. True when usable; otherwise `error_code` (10..17, or 0 after a reset
// to defaults) and `message` say why.
bool ValidateDecomSetup(int card_class, decomsetupstruct& setup, int& error_code,
                        std::string& message);

// Writes the setup to the error log, one line per field and one per word.
void DumpDecomSetup(const decomsetupstruct& setup);

// The text of an enumerated value, or "UNKNOWN <value>" outside its table.
template <std::size_t N>
std::string EnumText(const std::array<std::string_view, N>& names, std::int64_t value) {
  if (value >= 0 && static_cast<std::uint64_t>(value) < N) {
    return std::string(names[static_cast<std::size_t>(value)]);
  }
  return "UNKNOWN " + std::to_string(value);
}

}  // namespace tessel
