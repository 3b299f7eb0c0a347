// The two records of a parameter database: the stream header and one parameter (tag).
//
// Both are byte-packed images of the binary PDbase file (header, then one record per
// tag), so every offset below is part of a file format and is checked at compile time.
// Multi-byte fields are PackedValue (alignment 1): use them as their plain types; copy
// them into a plain variable where a reference is wanted. Flags are bytes (0 or 1 when
// this program writes them, any value when a file brings them); texts are
// zero-terminated in fixed arrays and are read and written only through RecordText and
// SetRecordText, which never run past the array.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>

#include "support/record_text.h"

namespace tessel {

static_assert(std::endian::native == std::endian::little,
              "PDbase records are little-endian byte images");

// A multi-byte value stored as its little-endian bytes, so that it may lie at any
// address. Records of the file format are made of these: a packed field of a plain
// type must not be bound to a reference (std::max, range-for, test macros take
// references), and these read and write through memcpy instead.
template <typename T>
class PackedValue {
 public:
  PackedValue() = default;
  PackedValue(T value) { Set(value); }  // NOLINT: implicit, reads like the plain type
  PackedValue& operator=(T value) {
    Set(value);
    return *this;
  }
  operator T() const { return Get(); }  // NOLINT: implicit, reads like the plain type
  T Get() const {
    T value;
    std::memcpy(&value, bytes_, sizeof(T));
    return value;
  }
  void Set(T value) { std::memcpy(bytes_, &value, sizeof(T)); }

  PackedValue& operator+=(T value) { return *this = static_cast<T>(Get() + value); }
  PackedValue& operator-=(T value) { return *this = static_cast<T>(Get() - value); }
  PackedValue& operator&=(T value) { return *this = static_cast<T>(Get() & value); }
  PackedValue& operator|=(T value) { return *this = static_cast<T>(Get() | value); }
  PackedValue& operator++() { return *this += T{1}; }
  PackedValue& operator--() { return *this -= T{1}; }

  friend std::ostream& operator<<(std::ostream& out, const PackedValue& value) {
    return out << +value.Get();
  }

 private:
  unsigned char bytes_[sizeof(T)];
};

#pragma pack(push, 1)

// The header of one database: frame geometry, subframe counter, sync pattern and the
// embedded audio, video, time and PCM sub-streams of the telemetry stream.
struct pdbaseheaderstruct {
  PackedValue<double> FileVersion;
  PackedValue<std::int32_t> eDbaseType;  // 0 PCM, 1 CHAPTER 8, 2 1553
  PackedValue<std::int32_t> NumSubFrames;
  PackedValue<std::int32_t> NumPcmWordsPerSf;
  PackedValue<std::int32_t> SfidStartCount;
  PackedValue<std::int32_t> CommonWordLen;
  std::uint8_t CommonParamMsbFirst;
  PackedValue<double> CommonWordUpdateRateHz;
  PackedValue<std::int32_t> ClientUserDefCodeWord[16];
  char cLutFileName[128];
  char cServerSoftDecomName[128];
  PackedValue<std::int32_t> ServerUserDefCodeWord[16];
  char cClientSDSetupFile[128];
  char Spare1[64];
  char cClientSoftDecomName[128];
  char Spare2[373];
  PackedValue<std::uint32_t> FspMsw;
  PackedValue<std::uint32_t> FspLsw;
  std::uint8_t FspLen;
  std::uint8_t FspTrails;
  std::uint8_t EmbAudioIsStereo;
  char cOriginatorText[5][512];
  PackedValue<std::int32_t> Ch8SpecificationMode;
  PackedValue<std::int32_t> Ch8ParityMode;
  std::uint8_t Ch8HasFrameTime;
  char cEmbTimeDllName[24];
  std::uint8_t HasEmbAudio;
  PackedValue<std::int32_t> EmbAudioStartWord;
  PackedValue<std::uint16_t> EmbAudioWordInterval;
  PackedValue<std::uint16_t> EmbAudioWordStop;
  PackedValue<std::int32_t> EmbAudioFormat;
  PackedValue<std::int32_t> EmbAudioSampleRate;
  std::uint8_t EmbAudioIs16BitsPerSample;
  std::uint8_t HasEmbVideo;
  PackedValue<std::int32_t> EmbVideoStartWord;
  PackedValue<std::uint16_t> EmbVideoWordInterval;
  PackedValue<std::uint16_t> EmbVideoWordStop;
  std::uint8_t EmbVideoFormat;
  std::uint8_t EmbVideoAudioBitsPerSample;
  PackedValue<std::uint16_t> EmbVidUserDefWidth;
  std::uint8_t EmbVideoFrameRate;
  PackedValue<std::uint16_t> EmbVidUserDefHeight;
  std::uint8_t EmbVidSpareChar1;
  std::uint8_t EmbVideoAudioType;
  PackedValue<std::uint16_t> EmbVideoVidPid;
  PackedValue<std::uint16_t> EmbVideoAudioPid;
  PackedValue<std::int32_t> EmbVideoAudioSampleRate;
  PackedValue<std::uint16_t> EmbVideoReserved3;
  std::uint8_t HasEmbTime;
  PackedValue<std::uint16_t> EmbTimeStartWord;
  std::uint8_t EmbTimeNumWords;
  PackedValue<std::uint16_t> EmbtimeUserDef;
  std::uint8_t HasEmbPcm1;
  PackedValue<std::int32_t> EmbPcm1StartWord;
  PackedValue<std::int32_t> EmbPcm1WordInterval;
  PackedValue<std::int32_t> EmbPcm1WordsPerFrame;
  PackedValue<std::int32_t> EmbPcm1NumSubframes;
  PackedValue<std::uint16_t> EmbPcm1SfIdWordNum;
  PackedValue<std::uint16_t> EmbPcm1SfIdStartCount;
  PackedValue<std::int32_t> EmbPcm1Cwl;
  PackedValue<std::int32_t> EmbPcm1FspLength;
  PackedValue<std::int32_t> EmbPcm1FspWord;
  PackedValue<std::int32_t> EmbPcm1Fsp1;
  PackedValue<std::uint16_t> EmbPcm1StopWord;
  PackedValue<std::uint16_t> EmbPcm1StopFrame;
  std::uint8_t EmbPcm1MsbFirst;
  PackedValue<std::int32_t> EmbPcm1FrameStart;
  PackedValue<std::int32_t> EmbPcm1FrameInterval;
  PackedValue<std::uint16_t> IrigEmbDecomSetupWpf;
  PackedValue<std::uint16_t> IrigEmbDecomSetupNumSf;
  PackedValue<std::int32_t> EmbPcm1Reserved2;
  std::uint8_t HasEmbPcm2;
  PackedValue<std::int32_t> EmbPcm2StartWord;
  PackedValue<std::int32_t> EmbPcm2WordInterval;
  PackedValue<std::int32_t> EmbPcm2WordsPerFrame;
  PackedValue<std::int32_t> EmbPcm2NumSubframes;
  PackedValue<std::uint16_t> EmbPcm2SfIdWordNum;
  PackedValue<std::uint16_t> EmbPcm2SfIdStartCount;
  PackedValue<std::int32_t> EmbPcm2Cwl;
  PackedValue<std::int32_t> EmbPcm2FspLength;
  PackedValue<std::int32_t> EmbPcm2FspWord;
  PackedValue<std::int32_t> EmbPcm2Fsp1;
  PackedValue<std::uint16_t> EmbPcm2StopWord;
  PackedValue<std::uint16_t> EmbPcm2StopFrame;
  std::uint8_t EmbPcm2MsbFirst;
  PackedValue<std::int32_t> EmbPcm2FrameStart;
  PackedValue<std::int32_t> EmbPcm2FrameInterval;
  PackedValue<std::int32_t> Bitrate;
  PackedValue<std::uint16_t> SfIdWordNum;
  std::uint8_t SfidMsb;
  std::uint8_t FramesPerInterrupt;
};

// The parsed form of a tag's Preprocessed Formula: up to 32 (code, operand) pairs.
struct preprocessopsstruct {
  PackedValue<std::int32_t> NumOps;  // 0 to 32
  PackedValue<std::int32_t> Op[32];
  PackedValue<std::uint16_t> Operand[32];
};

// One tag. Bytes 0 to 36 and 760 to 791 are run-time fields: stored in the file but
// meaningless between runs; a load recomputes or clears them.
struct pdbaseparamstruct {
  std::uint8_t RtVisible;  // tag visible to the current user
  std::uint8_t RtSpare1;
  PackedValue<std::int32_t> RtSlotIndex;  // slot of the owning database
  std::uint8_t RtSpare2[2];
  PackedValue<double> RtUpdatePeriod;  // 1 / update rate, seconds
  std::uint8_t RtScratch[20];
  std::uint8_t RtFlag;
  char ParameterName[19];
  char WordName[19];
  PackedValue<std::int32_t> PttLocation;
  PackedValue<std::int32_t> CvtLocation;
  PackedValue<std::int32_t> TagType;  // 0 NORMALPROCESSED, 1 CONTIGUOUS
  char UnitOfMeasure[8];
  char Description[32];
  PackedValue<std::int32_t> Classification;
  PackedValue<std::int32_t> UpdateRateHz;
  std::uint8_t IsMsbFirst;
  std::uint8_t Msb;
  std::uint8_t Lsb;
  std::uint8_t ParamNumBits;
  std::uint8_t WordNumBits;
  PackedValue<std::int32_t> SupercomMode;
  PackedValue<std::int32_t> DataFormat;
  PackedValue<std::int32_t> SpecialProcess;
  char ModeParamName[19];
  PackedValue<std::int32_t> ModeTag;
  PackedValue<std::int32_t> ModeMask;
  PackedValue<std::int32_t> ModeFunction;
  char TimeParamName[19];
  PackedValue<std::int32_t> TimeTag;
  char SecondTagName[19];
  PackedValue<std::int32_t> SecondTag;
  PackedValue<std::int32_t> LookupTableNumber;
  PackedValue<double> Euc;
  PackedValue<double> PlusB;
  PackedValue<std::int32_t> Hw[8];  // hardware fields; meaning by database type
  char PreprocessedFormula[128];
  PackedValue<std::int32_t> AccessCode;  // bits 0 to 3: access levels allowed to see the tag
  PackedValue<double> DefaultMaxDisplay;
  PackedValue<double> DefaultMinDisplay;
  char DisplayLabel[19];
  PackedValue<std::int32_t> StreamPart;  // 0 main, 1 and 2 embedded streams
  PackedValue<std::int32_t> UserDefI[4];
  PackedValue<double> UserDefD[4];
  PackedValue<double> Future[8];
  preprocessopsstruct PreprocessOps;
  PackedValue<std::int32_t> RtReserved[8];
};

#pragma pack(pop)

inline constexpr std::size_t kPdbaseHeaderSize = 3886;
inline constexpr std::size_t kPdbaseParamSize = 792;

static_assert(alignof(pdbaseheaderstruct) == 1 && alignof(pdbaseparamstruct) == 1);
static_assert(sizeof(pdbaseheaderstruct) == kPdbaseHeaderSize);
static_assert(sizeof(pdbaseparamstruct) == kPdbaseParamSize);
static_assert(sizeof(preprocessopsstruct) == 196);
static_assert(std::is_trivially_copyable_v<pdbaseheaderstruct> &&
              std::is_standard_layout_v<pdbaseheaderstruct>);
static_assert(std::is_trivially_copyable_v<pdbaseparamstruct> &&
              std::is_standard_layout_v<pdbaseparamstruct>);

#define TESSEL_PDB_AT(type, field, offset) static_assert(offsetof(type, field) == (offset))
TESSEL_PDB_AT(pdbaseheaderstruct, FileVersion, 0);
TESSEL_PDB_AT(pdbaseheaderstruct, eDbaseType, 8);
TESSEL_PDB_AT(pdbaseheaderstruct, NumSubFrames, 12);
TESSEL_PDB_AT(pdbaseheaderstruct, NumPcmWordsPerSf, 16);
TESSEL_PDB_AT(pdbaseheaderstruct, SfidStartCount, 20);
TESSEL_PDB_AT(pdbaseheaderstruct, CommonWordLen, 24);
TESSEL_PDB_AT(pdbaseheaderstruct, CommonParamMsbFirst, 28);
TESSEL_PDB_AT(pdbaseheaderstruct, CommonWordUpdateRateHz, 29);
TESSEL_PDB_AT(pdbaseheaderstruct, ClientUserDefCodeWord, 37);
TESSEL_PDB_AT(pdbaseheaderstruct, cLutFileName, 101);
TESSEL_PDB_AT(pdbaseheaderstruct, cServerSoftDecomName, 229);
TESSEL_PDB_AT(pdbaseheaderstruct, ServerUserDefCodeWord, 357);
TESSEL_PDB_AT(pdbaseheaderstruct, cClientSDSetupFile, 421);
TESSEL_PDB_AT(pdbaseheaderstruct, Spare1, 549);
TESSEL_PDB_AT(pdbaseheaderstruct, cClientSoftDecomName, 613);
TESSEL_PDB_AT(pdbaseheaderstruct, Spare2, 741);
TESSEL_PDB_AT(pdbaseheaderstruct, FspMsw, 1114);
TESSEL_PDB_AT(pdbaseheaderstruct, FspLsw, 1118);
TESSEL_PDB_AT(pdbaseheaderstruct, FspLen, 1122);
TESSEL_PDB_AT(pdbaseheaderstruct, FspTrails, 1123);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioIsStereo, 1124);
TESSEL_PDB_AT(pdbaseheaderstruct, cOriginatorText, 1125);
TESSEL_PDB_AT(pdbaseheaderstruct, Ch8SpecificationMode, 3685);
TESSEL_PDB_AT(pdbaseheaderstruct, Ch8ParityMode, 3689);
TESSEL_PDB_AT(pdbaseheaderstruct, Ch8HasFrameTime, 3693);
TESSEL_PDB_AT(pdbaseheaderstruct, cEmbTimeDllName, 3694);
TESSEL_PDB_AT(pdbaseheaderstruct, HasEmbAudio, 3718);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioStartWord, 3719);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioWordInterval, 3723);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioWordStop, 3725);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioFormat, 3727);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioSampleRate, 3731);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbAudioIs16BitsPerSample, 3735);
TESSEL_PDB_AT(pdbaseheaderstruct, HasEmbVideo, 3736);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoStartWord, 3737);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoWordInterval, 3741);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoWordStop, 3743);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoFormat, 3745);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoAudioBitsPerSample, 3746);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVidUserDefWidth, 3747);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoFrameRate, 3749);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVidUserDefHeight, 3750);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVidSpareChar1, 3752);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoAudioType, 3753);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoVidPid, 3754);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoAudioPid, 3756);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoAudioSampleRate, 3758);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbVideoReserved3, 3762);
TESSEL_PDB_AT(pdbaseheaderstruct, HasEmbTime, 3764);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbTimeStartWord, 3765);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbTimeNumWords, 3767);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbtimeUserDef, 3768);
TESSEL_PDB_AT(pdbaseheaderstruct, HasEmbPcm1, 3770);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1StartWord, 3771);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1WordInterval, 3775);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1WordsPerFrame, 3779);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1NumSubframes, 3783);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1SfIdWordNum, 3787);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1SfIdStartCount, 3789);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1Cwl, 3791);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1FspLength, 3795);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1FspWord, 3799);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1Fsp1, 3803);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1StopWord, 3807);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1StopFrame, 3809);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1MsbFirst, 3811);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1FrameStart, 3812);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1FrameInterval, 3816);
TESSEL_PDB_AT(pdbaseheaderstruct, IrigEmbDecomSetupWpf, 3820);
TESSEL_PDB_AT(pdbaseheaderstruct, IrigEmbDecomSetupNumSf, 3822);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm1Reserved2, 3824);
TESSEL_PDB_AT(pdbaseheaderstruct, HasEmbPcm2, 3828);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2StartWord, 3829);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2WordInterval, 3833);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2WordsPerFrame, 3837);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2NumSubframes, 3841);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2SfIdWordNum, 3845);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2SfIdStartCount, 3847);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2Cwl, 3849);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2FspLength, 3853);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2FspWord, 3857);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2Fsp1, 3861);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2StopWord, 3865);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2StopFrame, 3867);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2MsbFirst, 3869);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2FrameStart, 3870);
TESSEL_PDB_AT(pdbaseheaderstruct, EmbPcm2FrameInterval, 3874);
TESSEL_PDB_AT(pdbaseheaderstruct, Bitrate, 3878);
TESSEL_PDB_AT(pdbaseheaderstruct, SfIdWordNum, 3882);
TESSEL_PDB_AT(pdbaseheaderstruct, SfidMsb, 3884);
TESSEL_PDB_AT(pdbaseheaderstruct, FramesPerInterrupt, 3885);

TESSEL_PDB_AT(preprocessopsstruct, NumOps, 0);
TESSEL_PDB_AT(preprocessopsstruct, Op, 4);
TESSEL_PDB_AT(preprocessopsstruct, Operand, 132);

TESSEL_PDB_AT(pdbaseparamstruct, RtVisible, 0);
TESSEL_PDB_AT(pdbaseparamstruct, RtSpare1, 1);
TESSEL_PDB_AT(pdbaseparamstruct, RtSlotIndex, 2);
TESSEL_PDB_AT(pdbaseparamstruct, RtSpare2, 6);
TESSEL_PDB_AT(pdbaseparamstruct, RtUpdatePeriod, 8);
TESSEL_PDB_AT(pdbaseparamstruct, RtScratch, 16);
TESSEL_PDB_AT(pdbaseparamstruct, RtFlag, 36);
TESSEL_PDB_AT(pdbaseparamstruct, ParameterName, 37);
TESSEL_PDB_AT(pdbaseparamstruct, WordName, 56);
TESSEL_PDB_AT(pdbaseparamstruct, PttLocation, 75);
TESSEL_PDB_AT(pdbaseparamstruct, CvtLocation, 79);
TESSEL_PDB_AT(pdbaseparamstruct, TagType, 83);
TESSEL_PDB_AT(pdbaseparamstruct, UnitOfMeasure, 87);
TESSEL_PDB_AT(pdbaseparamstruct, Description, 95);
TESSEL_PDB_AT(pdbaseparamstruct, Classification, 127);
TESSEL_PDB_AT(pdbaseparamstruct, UpdateRateHz, 131);
TESSEL_PDB_AT(pdbaseparamstruct, IsMsbFirst, 135);
TESSEL_PDB_AT(pdbaseparamstruct, Msb, 136);
TESSEL_PDB_AT(pdbaseparamstruct, Lsb, 137);
TESSEL_PDB_AT(pdbaseparamstruct, ParamNumBits, 138);
TESSEL_PDB_AT(pdbaseparamstruct, WordNumBits, 139);
TESSEL_PDB_AT(pdbaseparamstruct, SupercomMode, 140);
TESSEL_PDB_AT(pdbaseparamstruct, DataFormat, 144);
TESSEL_PDB_AT(pdbaseparamstruct, SpecialProcess, 148);
TESSEL_PDB_AT(pdbaseparamstruct, ModeParamName, 152);
TESSEL_PDB_AT(pdbaseparamstruct, ModeTag, 171);
TESSEL_PDB_AT(pdbaseparamstruct, ModeMask, 175);
TESSEL_PDB_AT(pdbaseparamstruct, ModeFunction, 179);
TESSEL_PDB_AT(pdbaseparamstruct, TimeParamName, 183);
TESSEL_PDB_AT(pdbaseparamstruct, TimeTag, 202);
TESSEL_PDB_AT(pdbaseparamstruct, SecondTagName, 206);
TESSEL_PDB_AT(pdbaseparamstruct, SecondTag, 225);
TESSEL_PDB_AT(pdbaseparamstruct, LookupTableNumber, 229);
TESSEL_PDB_AT(pdbaseparamstruct, Euc, 233);
TESSEL_PDB_AT(pdbaseparamstruct, PlusB, 241);
TESSEL_PDB_AT(pdbaseparamstruct, Hw, 249);
TESSEL_PDB_AT(pdbaseparamstruct, PreprocessedFormula, 281);
TESSEL_PDB_AT(pdbaseparamstruct, AccessCode, 409);
TESSEL_PDB_AT(pdbaseparamstruct, DefaultMaxDisplay, 413);
TESSEL_PDB_AT(pdbaseparamstruct, DefaultMinDisplay, 421);
TESSEL_PDB_AT(pdbaseparamstruct, DisplayLabel, 429);
TESSEL_PDB_AT(pdbaseparamstruct, StreamPart, 448);
TESSEL_PDB_AT(pdbaseparamstruct, UserDefI, 452);
TESSEL_PDB_AT(pdbaseparamstruct, UserDefD, 468);
TESSEL_PDB_AT(pdbaseparamstruct, Future, 500);
TESSEL_PDB_AT(pdbaseparamstruct, PreprocessOps, 564);
TESSEL_PDB_AT(pdbaseparamstruct, RtReserved, 760);
#undef TESSEL_PDB_AT

// Tag Type values.
inline constexpr std::int32_t kTagNormalProcessed = 0;
inline constexpr std::int32_t kTagContiguous = 1;
// Database types (eDbaseType).
inline constexpr std::int32_t kDbasePcm = 0;
inline constexpr std::int32_t kDbaseChapter8 = 1;
inline constexpr std::int32_t kDbase1553 = 2;
// Mode Tag, Time Tag and Second Tag value of a tag that uses none.
inline constexpr std::int32_t kTagNotUsed = 1048575;

// Every text of the record terminated and zero-filled past its terminator.
void NormalizeHeaderTexts(pdbaseheaderstruct& header);
void NormalizeParamTexts(pdbaseparamstruct& param);

}  // namespace tessel
