// Generating parameter databases from decom setups.
#include "pdbase/pdbase_generate.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

#include "pdbase/pdbase_binary.h"
#include "setup/decom_setup.h"

namespace tessel {

namespace {

std::uint16_t Low16(std::int64_t value) {
  return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFFu);
}

std::uint8_t Low8(std::int64_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) & 0xFFu);
}

// A double truncated toward zero into int32; NaN gives 0, out-of-range values the limit.
std::int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

// Frame and word numbers in names and descriptions. Numbers up to four digits read as
// they always have; longer ones keep all their digits so that no two words of a long
// frame share a name (and with it a CVT word).
std::string NumberText(std::int32_t value) { return std::to_string(value); }

}  // namespace

void SyncPdbaseHeader(pdbaseclass& database, const decomsetupstruct& decom) {
  pdbaseheaderstruct& h = database.header;
  h.CommonWordLen = decom.CommonWordLength;
  h.CommonParamMsbFirst = decom.BitOrder == 0 ? 1 : 0;
  h.IrigEmbDecomSetupWpf = Low16(decom.WordsPerFrame);
  h.IrigEmbDecomSetupNumSf = Low16(decom.NumSubframes);
  h.NumPcmWordsPerSf = h.IrigEmbDecomSetupWpf;
  h.NumSubFrames = h.IrigEmbDecomSetupNumSf;
  h.SfidStartCount = decom.FirstFrame;
  h.SfIdWordNum = Low16(decom.SubFrameIdWord);
  h.SfidMsb = Low8(decom.SubFrameIdStartBitLsb);
  h.Bitrate = decom.BitRate;
  h.FramesPerInterrupt = Low8(decom.FramesPerInterrupt);
}

void InitPdbaseHeader(pdbaseclass& database, const decomsetupstruct& decom) {
  database.clear();
  database.header.eDbaseType = kDbasePcm;
  database.header.FileVersion = kPdbaseFileVersion;
  SyncPdbaseHeader(database, decom);
  SetRecordText(database.header.cOriginatorText[0], "PDbase NOTES:");
}

void SetVideoDecomDefaults(decomsetupstruct& d) {
  std::memset(&d, 0, sizeof d);
  d.WordsPerFrame = 188;
  d.CommonWordLength = 8;
  d.BitOrder = 0;
  d.SubFrameIdWord = 189;
  d.SubFrameIdStartBitLsb = 5;
  d.FirstFrame = 0;
  d.LastFrame = 0;
  d.FrmSyncPatRadix = kRadixHex;
  SetRecordText(d.FrmSyncPat, "47");
  d.FrmSyncPatLen = 8;
  d.PatternLeads = 1;
  d.iChkFrm = 2;
  d.iVfyFrm = 2;
  d.eSyncMethod = kSyncMethodNone;
  d.FrameSyncTolerance = 1;
  d.FramesPerInterrupt = 20;
  d.eInputSource = kInputSourceTtl;
  d.URCPatRadix = kRadixHex;
  SetRecordText(d.URCSyncPat, "47");
  d.URCPatLen = 8;
  d.UrcTolerance = 1;
  d.eWordAlignment = kWordAlignmentRight;
  d.WdArrayLength = 188;
  for (int i = 0; i < kDecomMaxWords; ++i) {
    d.WdArray[i].iWdNum = i;
    d.WdArray[i].iWdLen = 8;
  }
  d.NumSubframes = d.LastFrame - d.FirstFrame + (d.FirstFrame == 0 ? 1 : 0);
  d.BitRate = 3000000;
}

std::string MakeTagName(std::string_view text) {
  std::string name;
  for (char c : text) {
    if (c == ' ') continue;
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool letter = upper >= 'A' && upper <= 'Z';
    const bool digit = upper >= '0' && upper <= '9';
    if (letter || digit || upper == '_') name += upper;
  }
  name.resize(18, ' ');
  if (name[0] >= '0' && name[0] <= '9') name[0] = '_';
  return name;
}

void SetTagPlacement(pdbaseparamstruct& tag, std::int32_t frame_start, std::int32_t word_start,
                     std::int32_t frame_interval, std::int32_t frame_stop,
                     std::int32_t word_interval, std::int32_t word_stop) {
  const std::int32_t values[6] = {frame_start, word_start, frame_interval,
                                  frame_stop,  word_interval, word_stop};
  for (int i = 0; i < 6; ++i) tag.Hw[i] = std::max(values[i], 0);
  tag.Hw[6] = 0;
  tag.Hw[7] = 0;
}

pdbaseparamstruct MakeCountsTag(std::int32_t frame, std::int32_t word, const pdbaseclass& database) {
  const pdbaseheaderstruct& h = database.header;
  const std::string f = NumberText(frame);
  const std::string w = NumberText(word);
  pdbaseparamstruct tag = ZeroParam();
  const std::string name = MakeTagName("FR" + f + "WD" + w);
  SetRecordText(tag.WordName, name);
  SetRecordText(tag.ParameterName, name);
  SetRecordText(tag.Description, "TAG FRAME " + f + " WORD " + w);
  SetRecordText(tag.UnitOfMeasure, "COUNTS");
  tag.UpdateRateHz = TruncateToInt32(h.CommonWordUpdateRateHz);
  tag.IsMsbFirst = h.CommonParamMsbFirst;
  tag.WordNumBits = Low8(h.CommonWordLen);
  tag.ParamNumBits = Low8(h.CommonWordLen);
  tag.Msb = Low8(static_cast<std::int64_t>(h.CommonWordLen) - 1);
  tag.Lsb = 0;
  tag.ModeMask = 65535;
  tag.ModeTag = kTagNotUsed;
  tag.TimeTag = kTagNotUsed;
  tag.SecondTag = kTagNotUsed;
  tag.Euc = 1.0;
  tag.PlusB = 0.0;
  tag.DefaultMaxDisplay = 65535.0;
  tag.DefaultMinDisplay = 0.0;
  tag.AccessCode = 15;
  SetRecordText(tag.DisplayLabel, name);
  const std::int32_t word_index = word > 0 ? word - 1 : 0;
  SetTagPlacement(tag, frame, word_index, 0, frame, 0, word_index);
  return tag;
}

void AssignTagLocations(std::int32_t dbase_type, std::vector<pdbaseparamstruct>& tags) {
  auto by_parameter_name = [](const pdbaseparamstruct& a, const pdbaseparamstruct& b) {
    return RecordText(a.ParameterName) < RecordText(b.ParameterName);
  };
  auto by_word_name = [](const pdbaseparamstruct& a, const pdbaseparamstruct& b) {
    return RecordText(a.WordName) < RecordText(b.WordName);
  };

  std::stable_sort(tags.begin(), tags.end(), [dbase_type](const auto& a, const auto& b) {
    return HardwareLocationKey(dbase_type, a) < HardwareLocationKey(dbase_type, b);
  });
  // Tags at one location read one CVT word: they all take the first one's Word Name.
  for (std::size_t first = 0; first < tags.size();) {
    const std::int64_t key = HardwareLocationKey(dbase_type, tags[first]);
    std::size_t next = first + 1;
    while (next < tags.size() && HardwareLocationKey(dbase_type, tags[next]) == key) {
      std::memcpy(tags[next].WordName, tags[first].WordName, sizeof tags[next].WordName);
      ++next;
    }
    first = next;
  }

  std::stable_sort(tags.begin(), tags.end(), by_parameter_name);
  for (std::size_t i = 0; i < tags.size(); ++i) tags[i].PttLocation = static_cast<std::int32_t>(i);

  std::stable_sort(tags.begin(), tags.end(), by_word_name);
  // The first tag always opens CVT word 0, even with an empty Word Name.
  std::int32_t cvt = -1;
  std::string previous;
  for (pdbaseparamstruct& tag : tags) {
    std::string word_name = RecordText(tag.WordName);
    if (cvt < 0 || word_name != previous) {
      ++cvt;
      previous = std::move(word_name);
    }
    tag.CvtLocation = cvt;
  }

  std::stable_sort(tags.begin(), tags.end(), by_parameter_name);
}

void GeneratePcmPdbase(const decomsetupstruct& decom, pdbaseclass& database) {
  InitPdbaseHeader(database, decom);
  pdbaseheaderstruct& h = database.header;
  SetRecordText(h.cOriginatorText[0], "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 FILE");
  SetRecordText(h.cOriginatorText[1], "  Frame Interval for each word set to 1");

  const std::int32_t subframes = h.NumSubFrames;
  const std::int32_t words = h.NumPcmWordsPerSf;
  const std::int32_t frame_interval = subframes > 0 ? 1 : 0;
  const std::int32_t frame_stop = frame_interval > 0 ? subframes - 1 : 0;

  std::vector<pdbaseparamstruct> tags;
  tags.reserve(static_cast<std::size_t>(std::max(words, 0)));
  for (std::int32_t w = 1; w <= words; ++w) {
    pdbaseparamstruct tag = MakeCountsTag(0, w, database);
    SetRecordText(tag.Description, "PRIME TAG FRAME " + NumberText(0) + " WORD " + NumberText(w));
    SetTagPlacement(tag, 0, w - 1, frame_interval, frame_stop, 0, w - 1);
    tags.push_back(tag);
  }
  AssignTagLocations(h.eDbaseType, tags);
  database.NumWords = static_cast<std::int32_t>(tags.size());
  database.ReplaceParams(std::move(tags));
}

void GenerateVideoPdbase(decomsetupstruct& decom, pdbaseclass& database) {
  SetVideoDecomDefaults(decom);
  InitPdbaseHeader(database, decom);
  pdbaseheaderstruct& h = database.header;
  SetRecordText(h.cOriginatorText[0], "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 VIDEO SPECS");
  SetRecordText(h.cOriginatorText[1], "  Word Interval first and only word set to 1");

  pdbaseparamstruct tag = MakeCountsTag(0, 1, database);
  SetRecordText(tag.Description, "PRIME TAG WORD 1");
  SetTagPlacement(tag, 0, 0, 0, 0, 1, decom.WordsPerFrame - 1);
  std::vector<pdbaseparamstruct> tags = {tag};
  AssignTagLocations(h.eDbaseType, tags);
  database.NumWords = 1;
  database.ReplaceParams(std::move(tags));

  h.HasEmbVideo = 1;
  h.EmbVideoStartWord = 1;
  h.EmbVideoWordInterval = 1;
  h.EmbVideoWordStop = 188;
  h.EmbVideoFormat = 13;
  h.EmbVideoAudioBitsPerSample = 8;
  h.EmbVidUserDefWidth = 0;
  h.EmbVidUserDefHeight = 0;
  h.EmbVideoFrameRate = 30;
}

}  // namespace tessel
