// TMATS group P: finding the PCM formats, reading their attributes, deriving and
// validating their decom setups, and the log dump.
#include "tmats/tmats_p_group.h"

#include <algorithm>

#include "setup/pattern_text.h"
#include "support/clock.h"
#include "support/log.h"

namespace tessel {

namespace {

std::int64_t Limit(std::int64_t value, std::int64_t low, std::int64_t high) {
  return std::clamp(value, low, high);
}

// ---- Attributes: one setter per known P name ----

using PSetter = void (*)(pgroupstruct&, std::string_view);
struct PAttribute {
  std::string_view code;
  PSetter set;
};

// A whole decimal number replaces the field; anything else leaves it unchanged.
void Number(std::int32_t& field, std::string_view value) {
  TmatsWholeNumber(value, field);
}

constexpr PAttribute kPAttributes[] = {
    {"DLN", [](pgroupstruct& g, std::string_view v) { g.DataLinkName = v; }},
    {"D1", [](pgroupstruct& g, std::string_view v) { g.PcmCode = PcmCodeIndex(v); }},
    {"D2", [](pgroupstruct& g, std::string_view v) { Number(g.DataRate, v); }},
    {"D3", [](pgroupstruct& g, std::string_view v) { g.IsEncrypted = v == "E"; }},
    {"D4", [](pgroupstruct& g, std::string_view v) { g.PolarityNormal = v == "N"; }},
    {"D5", [](pgroupstruct& g, std::string_view v) { g.PolarityCorrection = v == "Y"; }},
    {"D7", [](pgroupstruct& g, std::string_view v) { g.DataRandomized = v == "Y"; }},
    {"D8", [](pgroupstruct& g, std::string_view v) { g.RandomizedLength = v == "STD" ? 15 : 11; }},
    {"TF", [](pgroupstruct& g, std::string_view v) { g.TypeFormat = TypeFormatIndex(v); }},
    {"F1",
     [](pgroupstruct& g, std::string_view v) {
       Number(g.Cwl, v);
       g.SfidNumBits = g.Cwl;
     }},
    {"F2", [](pgroupstruct& g, std::string_view v) { g.MsbFirst = v == "M"; }},
    {"MF", [](pgroupstruct& g, std::string_view v) { Number(g.NumSubframes, v); }},
    {"MF1", [](pgroupstruct& g, std::string_view v) { Number(g.Wpf, v); }},
    {"MF2", [](pgroupstruct& g, std::string_view v) { Number(g.BitsInMinorFrame, v); }},
    {"MF4", [](pgroupstruct& g, std::string_view v) { Number(g.FspLength, v); }},
    {"MF5",
     [](pgroupstruct& g, std::string_view v) {
       g.BinaryFsp = v;
       g.BinaryFspGiven = true;
     }},
    {"SYNC2", [](pgroupstruct& g, std::string_view v) { Number(g.SyncWindow, v); }},
    {"SYNC4", [](pgroupstruct& g, std::string_view v) { Number(g.SyncTolerance, v); }},
    {"MFW1", [](pgroupstruct& g, std::string_view v) { Number(g.SfidWdNum, v); }},
    {"MFW2",
     [](pgroupstruct& g, std::string_view v) {
       if (!TmatsWholeNumber(v, g.SfidNumBits)) g.SfidNumBits = g.Cwl;
     }},
    {"ISF", [](pgroupstruct& g, std::string_view v) { Number(g.NumMinorFrameCounters, v); }},
    {"ISF1", [](pgroupstruct& g, std::string_view v) { g.SfidWordName = v; }},
    {"ISF2", [](pgroupstruct& g, std::string_view v) { g.UseSfidSyncMethod = v == "ID"; }},
    {"IDC1", [](pgroupstruct& g, std::string_view v) { Number(g.SfidWdNumID, v); }},
    {"IDC2", [](pgroupstruct& g, std::string_view v) { Number(g.SfidWordLength, v); }},
    {"IDC3", [](pgroupstruct& g, std::string_view v) { Number(g.SfidCounterMsb, v); }},
    {"IDC4", [](pgroupstruct& g, std::string_view v) { Number(g.SfidCounterNumBits, v); }},
    {"IDC6", [](pgroupstruct& g, std::string_view v) { Number(g.SfidCountsFrom, v); }},
    {"IDC8", [](pgroupstruct& g, std::string_view v) { Number(g.SfidLastCount, v); }},
    {"IDC10", [](pgroupstruct& g, std::string_view v) { g.SfidCountsUp = v == "INC"; }},
};
static_assert(std::size(kPAttributes) == kPGroupCodes.size());

// ---- Derivation helpers ----

// A pattern the decom setup can take: binary digits and "X" only, at least one.
bool UsablePattern(const std::string& pattern) {
  if (pattern.empty()) return false;
  return std::all_of(pattern.begin(), pattern.end(),
                     [](char c) { return c == '0' || c == '1' || c == 'X'; });
}

// Sets the pattern fields from MF4/MF5, or leaves the default pattern (FE6B2840, HEX,
// 32 bits) when no MF5 line gave a binary pattern.
void DerivePattern(pgroupstruct& group, decomsetupstruct& setup) {
  std::string pattern = NormalisePatternText(group.BinaryFsp, kRadixBinary);
  if (!group.BinaryFspGiven || !UsablePattern(pattern)) {
    BeepWarning();
    LogMessage("NO FSP FOUND, leaving at default", group.MGroupIndex);
    return;
  }
  // The pattern field holds at most 64 digits, so a shorter pattern is padded up to
  // the length only as far as that.
  const auto wanted = static_cast<std::size_t>(Limit(group.FspLength, 0, 64));
  if (static_cast<std::int64_t>(pattern.size()) < group.FspLength) {
    BeepWarning();
    LogMessage("fsp length does not match fsp from tmats " + group.BinaryFsp, group.FspLength);
    LogMessage(" setting fsp to fsp length", group.FspLength);
    if (pattern.size() < wanted) pattern.insert(0, wanted - pattern.size(), '0');
  }
  setup.FrmSyncPatRadix = kRadixBinary;
  setup.FrmSyncPatLen = static_cast<std::int16_t>(Limit(group.FspLength, 3, 64));
  pattern.resize(std::min(pattern.size(), static_cast<std::size_t>(setup.FrmSyncPatLen)));
  SetRecordText(setup.FrmSyncPat, pattern);
}

// Hardware buffer sizes: one minor frame, and the frames of one interrupt.
void SetBufferSizes(decomsetupstruct& setup) {
  setup.FrameBufferBytes = 2 * setup.WordsPerFrame + 10;
  std::int64_t interrupt_bytes =
      std::int64_t{setup.WordsPerFrame + 5} * setup.FramesPerInterrupt * 2;
  if (interrupt_bytes % 4 != 0) interrupt_bytes += 2;
  setup.InterruptBufferBytes = static_cast<std::int32_t>(interrupt_bytes);
}

}  // namespace

void SetPAttribute(pgroupstruct& group, std::string_view code, std::string_view value) {
  for (const PAttribute& attribute : kPAttributes) {
    if (attribute.code == code) {
      attribute.set(group, value);
      return;
    }
  }
}

void DerivePDecomSetup(pgroupstruct& group) {
  decomsetupstruct& setup = *group.DecomSetup;
  SetDecomDefaults(setup);

  // The PCM code stays with the group; the decom setup keeps NRZL.
  if (group.PcmCode >= 1 && group.PcmCode <= 5) {
    group.InputCode = group.PcmCode;
  } else if (group.PcmCode == 6 && group.DataRandomized) {
    group.InputCode = group.RandomizedLength == 15 ? 15 : 14;
  } else {
    group.InputCode = 0;
  }

  setup.CommonWordLength = static_cast<std::uint8_t>(Limit(group.Cwl, 3, 16));
  setup.BitRate = static_cast<std::int32_t>(Limit(group.DataRate, 10, 30000000));
  setup.iChkFrm = 1;
  setup.iVfyFrm = 1;
  setup.FrameSyncTolerance = static_cast<std::int16_t>(Limit(group.SyncTolerance, -32768, 32767));
  setup.eBitWindow = group.SyncWindow >= 1 && group.SyncWindow <= 3 ? group.SyncWindow : 0;
  setup.eInputSource = kInputSourceTtl;
  setup.NumSubframes = group.NumSubframes;
  setup.eWordAlignment = kWordAlignmentRight;
  setup.PatternLeads = 1;
  if (!group.PolarityNormal) {
    setup.eClockPolarity = kPolarityInvert;
    setup.eDataPolarity = kPolarityInvert;
  }
  setup.BitOrder = group.MsbFirst ? 0 : 1;
  setup.SubframeDirection = group.SfidCountsUp ? kSubframeUp : kSubframeDown;
  setup.eSyncMethod = group.UseSfidSyncMethod ? kSyncMethodSfid : kSyncMethodNone;

  DerivePattern(group, setup);

  // Words the pattern takes; TMATS counts the whole pattern as one word of the frame.
  std::int64_t pattern_words = 64;
  for (std::int64_t k = 1; k <= 64; ++k) {
    if (k * group.Cwl >= group.FspLength) {
      pattern_words = k;
      break;
    }
  }
  const std::int64_t extra_words = pattern_words >= 2 ? pattern_words - 1 : 0;
  setup.WordsPerFrame =
      static_cast<std::int16_t>(Limit(group.Wpf + extra_words, 3, kDecomMaxWords));

  if (setup.eSyncMethod == kSyncMethodNone) {
    setup.SubFrameIdWord = 1;
    setup.SubFrameIdStartBitLsb = 0;
    setup.FirstFrame = 0;
    setup.LastFrame = 0;
  } else {
    setup.SubFrameIdWord = static_cast<std::int16_t>(
        Limit(group.SfidWdNum + pattern_words, 0, setup.WordsPerFrame - 1));
    const std::int64_t subframes = group.NumSubframes;
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (setup.SubframeDirection == kSubframeUp) {
      first = Limit(group.SfidCountsFrom, 0, 1);
      last = first == 0 ? subframes - 1 : subframes;
    } else if (subframes - 1 == group.SfidCountsFrom) {
      first = subframes - 1;
      last = 0;
    } else {
      first = subframes;
      last = 1;
    }
    setup.FirstFrame = static_cast<std::int16_t>(Limit(first, -32768, 32767));
    setup.LastFrame = static_cast<std::int16_t>(Limit(last, -32768, 32767));
    setup.SubFrameIdStartBitLsb = static_cast<std::int16_t>(Limit(group.SfidCounterMsb, 0, 15));
  }

  setup.FramesPerInterrupt = static_cast<std::int16_t>(group.NumSubframes);
  setup.WdArrayLength = setup.WordsPerFrame;
  for (int i = 0; i < setup.WordsPerFrame; ++i) {
    decomwordstruct& word = setup.WdArray[i];
    word = decomwordstruct{};
    word.iWdNum = i;
    word.iWdLen = static_cast<std::int32_t>(Limit(setup.CommonWordLength, 3, 16));
    word.bLSBF = setup.BitOrder == 1 ? 1 : 0;
  }
  SetBufferSizes(setup);
}

void ParsePGroup(const TmatsLineList& lines, const RGroupTable& r_table, const MGroupTable& m_table,
                 PGroupTable& table) {
  table.groups.clear();

  // Finding the formats: DLN lines whose name an M group (or an R channel) carries.
  struct Found {
    std::int32_t group_num;
    std::string link_name;
    std::int32_t m_index;
    std::int32_t track;
  };
  std::vector<Found> found;
  for (const tmatslinestruct& line : lines) {
    std::string_view code;
    if (line.Group != "P" || !FindKnownCode(TmatsGroup::P, line, code)) continue;
    if (line.GroupNum > kMaxPcmFormats) break;
    if (code != "DLN") continue;
    int index = 0;
    std::int32_t track = 0;
    if (FindMGroupByLinkName(m_table, line.Result, index)) {
      found.push_back({line.GroupNum, line.Result, index,
                       m_table.groups[static_cast<std::size_t>(index)].TrackChannelId});
    } else if (FindPcmChannelByLinkName(r_table, line.Result, index, track)) {
      found.push_back({line.GroupNum, line.Result, -1, track});
    } else {
      continue;
    }
    if (found.size() == kMaxPcmFormats) break;
  }

  for (const Found& format : found) {
    pgroupstruct group;
    group.MultiplexNum = format.group_num;
    group.MGroupDataLinkNameId = format.link_name;
    group.MGroupIndex = format.m_index;
    group.TrackChannelId = format.track;
    for (const tmatslinestruct& line : lines) {
      std::string_view code;
      if (line.Group != "P" || line.GroupNum != group.MultiplexNum) continue;
      if (FindKnownCode(TmatsGroup::P, line, code)) SetPAttribute(group, code, line.Result);
    }
    DerivePDecomSetup(group);

    const int position = static_cast<int>(table.groups.size()) + 1;
    int error_code = 0;
    std::string message;
    if (!ValidateDecomSetup(0, *group.DecomSetup, error_code, message)) {
      LogMessage("DECOM SETUP ERROR FOR PCM STREAM " + std::to_string(position) + " " + message +
                     "  You'll need to fix the incorrect stuff manually!!!!!!",
                 position);
      BeepError();
    }
    // Validation may have lowered FramesPerInterrupt: keep the buffer sizes in step.
    SetBufferSizes(*group.DecomSetup);
    table.groups.push_back(std::move(group));
  }
}

std::string PGroupDumpText(const pgroupstruct& g) {
  auto number = [](std::int64_t value) { return std::to_string(value); };
  auto yes_no = [](bool value) { return std::string(value ? "YES" : "NO"); };
  const std::string input_code =
      g.InputCode == 14 || g.InputCode == 15
          ? std::string(kDecomPcmCodeNames[static_cast<std::size_t>(g.InputCode)])
          : std::string(PcmCodeName(g.InputCode));
  const std::pair<std::string_view, std::string> lines[] = {
      {"MGroupDataLinkNameId = ", g.MGroupDataLinkNameId},
      {"MGroupIndex = ", number(g.MGroupIndex)},
      {"TrackChannelId(channel) = ", number(g.TrackChannelId)},
      {"MultiplexNum = ", number(g.MultiplexNum)},
      {"InputCode = ", input_code},
      {"DLN - DataLinkName = ", g.DataLinkName},
      {"D1  - PcmCode ", std::string(PcmCodeName(g.PcmCode))},
      {"D2  - DataRate = ", number(g.DataRate)},
      {"D3  - IsEncrypted = ", yes_no(g.IsEncrypted)},
      {"D4  - PolarityNormal = ", yes_no(g.PolarityNormal)},
      {"D5  - PolarityCorrection = ", yes_no(g.PolarityCorrection)},
      {"D7  - DataRandomized = ", yes_no(g.DataRandomized)},
      {"D8  - RandomizedLength = ", number(g.RandomizedLength)},
      {"TF  - Type Format = ", std::string(TypeFormatName(g.TypeFormat))},
      {"F1  - Cwl = ", number(g.Cwl)},
      {"F2  - MsbFirst = ", yes_no(g.MsbFirst)},
      {"MF  - NumSubframes = ", number(g.NumSubframes)},
      {"MF1 - Wpf = ", number(g.Wpf)},
      {"MF2 - BitsInMinorFrame = ", number(g.BitsInMinorFrame)},
      {"MF4 - FspLength = ", number(g.FspLength)},
      {"MF5 - BinaryFsp = ", g.BinaryFsp},
      {"SYNC2 - SyncWindow = ", number(g.SyncWindow)},
      {"SYNC4 - SyncTolerance = ", number(g.SyncTolerance)},
      {"MFW1 - SfidWdNum = ", number(g.SfidWdNum)},
      {"MFW2 - SfidNumBits = ", number(g.SfidNumBits)},
      {"ISF  - NumMinorFrameCounters = ", number(g.NumMinorFrameCounters)},
      {"ISF1 - SfidWordName = ", g.SfidWordName},
      {"ISF2 - UseSfidSyncMethod = ", yes_no(g.UseSfidSyncMethod)},
      {"IDC1 - SfidWdNumID = ", number(g.SfidWdNumID)},
      {"IDC2 - SfidWordLength = ", number(g.SfidWordLength)},
      {"IDC3 - SfidCounterMsb = ", number(g.SfidCounterMsb)},
      {"IDC4 - SfidCounterNumBits = ", number(g.SfidCounterNumBits)},
      {"IDC6 - SfidCountsFrom = ", number(g.SfidCountsFrom)},
      {"IDC8 - SfidLastCount = ", number(g.SfidLastCount)},
      {"IDC10 - SfidCountsUp = ", yes_no(g.SfidCountsUp)},
  };
  std::string text = "\r\n";
  for (const auto& [label, value] : lines) {
    text += label;
    text += value;
    text += "\r\n";
  }
  return text;
}

void DumpPGroup(const PGroupTable& table) {
  LogMessage("", 0);
  LogMessage("TMATS PCM INFO -------------------------------------------\r\n", 0);
  for (const pgroupstruct& group : table.groups) {
    LogMessage(PGroupDumpText(group), 0);
    DumpDecomSetup(*group.DecomSetup);
  }
}

TmatsGroupHooks PGroupHooks(PGroupTable& table) {
  TmatsGroupHooks hooks;
  hooks.parse_p = [&table](const TmatsLineList& lines, const TmatsTables& tables) {
    ParsePGroup(lines, tables.r, tables.m, table);
  };
  hooks.dump_p = [&table](const TmatsTables&) { DumpPGroup(table); };
  return hooks;
}

}  // namespace tessel
