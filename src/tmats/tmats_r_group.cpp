#include "tmats/tmats_r_group.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "ch10/data_types.h"
#include "support/clock.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

static_assert(kTmatsChannelPcm == kKindPcm && kTmatsChannelVideo == kKindVideo &&
                  kTmatsChannelTime == kKindTime && kTmatsChannelUnknown == kKindNotHandled,
              "channel data type indexes are the packet kind codes");

namespace {

// How the known R attributes set a channel, by the kind of value they take. N, RI1, RI2
// and CHE set nothing on a channel.
struct RTextField {
  std::string_view code;
  std::string rgroupstruct::*field;  // takes the value unchanged
};
struct RNumberField {
  std::string_view code;
  std::int32_t rgroupstruct::*field;  // takes the value's leading decimal number
};
struct RCodedField {
  std::string_view code;
  std::int32_t rgroupstruct::*field;  // takes the value's vocabulary index
  int (*lookup)(std::string_view value);
};

constexpr std::array<RTextField, 3> kRTextFields = {{
    {"ID", &rgroupstruct::GGroupDataSourceId},
    {"DSI", &rgroupstruct::DataSourceId},
    {"AMN", &rgroupstruct::AnalogMeasurementName},
}};

constexpr std::array<RNumberField, 8> kRNumberFields = {{
    {"TK1", &rgroupstruct::TrackNumChannelId},
    {"ACH", &rgroupstruct::NumAnalogPktsPerChannel},
    {"ADP", &rgroupstruct::AnalogDataPackOption},
    {"ASR", &rgroupstruct::AnalogSampleRateHz},
    {"ADL", &rgroupstruct::AnalogDataLength},
    {"AMTO", &rgroupstruct::AnalogMeasurementXferOrder},
    {"ASF", &rgroupstruct::AnalogSampleFactor},
    {"AMSK", &rgroupstruct::AnalogBitMask},
}};

constexpr std::array<RCodedField, 5> kRCodedFields = {{
    {"CDT", &rgroupstruct::ChannelDataType, &ChannelDataTypeIndex},
    {"PDP", &rgroupstruct::DataPackMode, &PcmDataPackingIndex},
    {"PTF", &rgroupstruct::VideoCompression, &VideoCompressionIndex},
    {"TFMT", &rgroupstruct::TimeFormat, &TimeFormatIndex},
    {"TSRC", &rgroupstruct::TimeSource, &TimeSourceIndex},
}};

void SetChannelAttribute(std::string_view code, const std::string& value, rgroupstruct& channel) {
  for (const RTextField& f : kRTextFields) {
    if (f.code == code) channel.*f.field = value;
  }
  for (const RNumberField& f : kRNumberFields) {
    if (f.code == code) channel.*f.field = TmatsLeadingNumber(value);
  }
  for (const RCodedField& f : kRCodedFields) {
    if (f.code == code) channel.*f.field = f.lookup(value);
  }
  if (code == "PDLN" || code == "CDLN") {
    channel.PcmDataLinkName = value;
    channel.PcmDataLinkNameSet = true;
  }
  if (code == "BDLN") {
    channel.BusDataLinkName = value;
    channel.BusDataLinkNameSet = true;
  }
}

void SetRecorderAttribute(std::string_view code, const std::string& value,
                          rgengroupstruct& recorder) {
  if (code == "N") recorder.NumTracks = TmatsLeadingNumber(value);
  if (code == "RI1") recorder.StorageMfgr = value;
  if (code == "RI2") recorder.StorageModel = value;
}

// The channel count: the leading number of the first R line whose first level is "N".
std::int32_t ChannelCount(const TmatsLineList& lines) {
  for (const tmatslinestruct& line : lines) {
    if (line.Group == "R" && line.NumLevels >= 1 && line.Level[0] == "N") {
      return TmatsLeadingNumber(line.Result);
    }
  }
  return 0;
}

void UseFallbackChannel(RGroupTable& table) {
  rgroupstruct channel;
  channel.TrackNumChannelId = 1;
  channel.ChannelDataType = kTmatsChannelPcm;
  channel.DataPackMode = kTmatsPackingThroughput;
  channel.TimeFormat = kTmatsTimeFormatIrigB;
  table.channels.push_back(channel);
  table.recorder.NumTracks = 1;
  table.fallback = true;
  BeepError();
  LogMessage("TMATS Group 'R' does not contain an 'N' mnemonic (number of tracks)", 255);
  LogMessage("  ..setting to 1 track, PCM, IRIG B,  in the hopes it works", 255);
}

}  // namespace

void ParseRGroup(const TmatsLineList& lines, RGroupTable& table) {
  table = RGroupTable{};
  std::array<rgroupstruct, kMaxRecorderChannels> work;
  for (std::size_t i = 0; i < work.size(); ++i) {
    work[i].TrackNumChannelId = static_cast<std::int32_t>(i + 1);
  }

  const std::int32_t count = ChannelCount(lines);
  if (count <= 0) {
    UseFallbackChannel(table);
    return;
  }
  const std::int32_t last_channel = std::min<std::int32_t>(count, kMaxRecorderChannels);

  // Enable pass first, so attribute lines that come before their CHE line still count.
  for (const tmatslinestruct& line : lines) {
    const std::int32_t d = line.DashItem;
    if (line.Group != "R" || d < 1 || d > last_channel) continue;
    if (LineHasLevel(line, "CHE") && line.Result == "T") {
      rgroupstruct& channel = work[static_cast<std::size_t>(d - 1)];
      channel.TrackNumChannelId = d;
      channel.ChannelEnabled = 1;
    }
  }

  for (const tmatslinestruct& line : lines) {
    const std::int32_t d = line.DashItem;
    if (line.Group != "R" || d < 0 || d > last_channel) continue;
    std::string_view code;
    if (!FindKnownCode(TmatsGroup::R, line, code)) continue;
    if (d == 0) {
      SetRecorderAttribute(code, line.Result, table.recorder);
      continue;
    }
    rgroupstruct& channel = work[static_cast<std::size_t>(d - 1)];
    if (channel.ChannelEnabled != 0) SetChannelAttribute(code, line.Result, channel);
  }

  for (const rgroupstruct& channel : work) {
    if (channel.ChannelEnabled != 0 && channel.TrackNumChannelId > 0) {
      table.channels.push_back(channel);
    }
  }
}

std::string RRecorderDumpText(const rgengroupstruct& recorder) {
  return "\r\nN    - NumTracks = " + std::to_string(recorder.NumTracks) +
         "\r\nRI1  - StorageMfgr = " + recorder.StorageMfgr +
         "\r\nRI2  - StorageModel = " + recorder.StorageModel + "\r\n";
}

std::string RChannelDumpText(const rgroupstruct& c) {
  std::string text =
      "\r\nID   - GGroupDataSourceId = " + c.GGroupDataSourceId +
      "\r\nTK1  - TrackNumChannelId = " + std::to_string(c.TrackNumChannelId) +
      "\r\nDSI  - DataSourceId = " + c.DataSourceId +
      "\r\nCHE  - ChannelEnabled = " + (c.ChannelEnabled != 0 ? "YES" : "NO") +
      "\r\nCDT  - ChannelDataType = " + std::string(ChannelDataTypeName(c.ChannelDataType)) +
      "\r\nPLDN - PcmDataLinkName = " + c.PcmDataLinkName +
      "\r\nPDP  - DataPackMode = " + std::string(PcmDataPackingName(c.DataPackMode)) +
      "\r\nPTF  - VideoCompression = " + std::string(VideoCompressionName(c.VideoCompression)) +
      "\r\nBDLN - BusDataLinkName = " + c.BusDataLinkName +
      "\r\nTFMT - TimeFormat = " + std::string(TimeFormatName(c.TimeFormat)) +
      "\r\nTSRC - TimeSource = " + std::string(TimeFormatName(c.TimeSource)) + "\r\n";
  if (c.ChannelDataType == kTmatsChannelAnalog) {
    text +=
        "BDLN - AnalogDataLinkName = " + c.BusDataLinkName +
        "\r\nACH  - NumAnalogPktsPerChannel = " + std::to_string(c.NumAnalogPktsPerChannel) +
        "\r\nADP  - AnalogDataPackOption = " + std::to_string(c.AnalogDataPackOption) +
        "\r\nASR  - AnalogSampleRateHz = " + std::to_string(c.AnalogSampleRateHz) +
        "\r\nAMN  - AnalogMeasurementName = " + c.AnalogMeasurementName +
        "\r\nADL  - AnalogDataLength = " + std::to_string(c.AnalogDataLength) +
        "\r\nAMSK - AnalogBitMask = " +
        HexText(static_cast<std::uint32_t>(c.AnalogBitMask), 4, true) +
        "\r\nAMTO - AnalogMeasurementXferOrder = " + std::to_string(c.AnalogMeasurementXferOrder) +
        "\r\nASF  - AnalogSampleFactor = " + std::to_string(c.AnalogSampleFactor) + "\r\n";
  }
  return text;
}

void DumpRGroup(const RGroupTable& table) {
  LogMessage("", 0);
  LogMessage("TMATS RECORDER INFO -------------------------------------------\r\n", 0);
  LogMessage(RRecorderDumpText(table.recorder), 0);
  int index = 0;
  for (const rgroupstruct& channel : table.channels) {
    switch (channel.ChannelDataType) {
      case kTmatsChannelPcm:
      case kTmatsChannelAnalog:
      case kTmatsChannelTime:
      case kTmatsChannelVideo:
      case kTmatsChannel1553:
      case kTmatsChannelUnknown:
        LogMessage(RChannelDumpText(channel), index);
        break;
      default:
        break;
    }
    ++index;
  }
}

bool FindRChannelByLinkName(const RGroupTable& table, std::string_view name, int& index,
                            std::int32_t& track) {
  index = 0;
  track = 0;
  if (name.empty()) return false;
  for (std::size_t i = 0; i < table.channels.size(); ++i) {
    const rgroupstruct& channel = table.channels[i];
    if ((channel.PcmDataLinkNameSet && channel.PcmDataLinkName == name) ||
        (channel.BusDataLinkNameSet && channel.BusDataLinkName == name)) {
      index = static_cast<int>(i);
      track = channel.TrackNumChannelId;
      return true;
    }
  }
  return false;
}

bool FindPcmChannelByLinkName(const RGroupTable& table, std::string_view name, int& index,
                              std::int32_t& track) {
  index = 0;
  track = 0;
  if (name.empty()) return false;
  for (std::size_t i = 0; i < table.channels.size(); ++i) {
    const rgroupstruct& channel = table.channels[i];
    if (channel.ChannelEnabled != 0 && channel.PcmDataLinkNameSet &&
        channel.PcmDataLinkName == name) {
      index = static_cast<int>(i);
      track = channel.TrackNumChannelId;
      return true;
    }
  }
  return false;
}

const rgroupstruct* FindRChannelByTrack(const RGroupTable& table, std::int32_t track) {
  for (const rgroupstruct& channel : table.channels) {
    if (channel.TrackNumChannelId == track) return &channel;
  }
  return nullptr;
}

}  // namespace tessel
