// The road without a screen: a convert request run through the chooser, the setup
// dialog and Convert's setup files.
#include "app/convert_request.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "app/console_ui.h"
#include "app/pcm_stream_page.h"
#include "app/stream_chooser.h"
#include "app/stream_setup_dialog.h"
#include "support/files.h"
#include "support/format.h"
#include "support/ui.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

namespace {

using Page = PcmStreamInfoPage;
constexpr int kGModeField = -1;  // the G Mode check box, not a menu command

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// Runs `action` with `answer` given to the first prompt or file dialog it opens.
template <typename Action>
auto WithAnswer(const std::string& answer, Action action) {
  AnsweringUserInterface answering(CurrentUserInterface(), answer);
  ScopedUserInterface scope(&answering);
  return action();
}

bool ReadStreamNumber(std::string_view text, int& stream) {
  return ParseInt(text, stream) && !text.empty() && stream >= 1 && stream <= kMaxStreams;
}

const DecomField* FindField(std::string_view name) {
  for (const DecomField& field : kDecomFields) {
    if (field.field == name) return &field;
  }
  return nullptr;
}

// The menu tag of an item field's value; false when the menu offers no such item.
bool ItemTag(const DecomField& field, const std::string& value, int& tag) {
  const std::string upper = Upper(value);
  switch (field.command) {
    case Page::kFspPosition: {
      static constexpr std::string_view kPositions[] = {"TRAILS", "LEADS", "NONE"};
      for (int i = 0; i < 3; ++i) {
        if (upper == kPositions[i]) tag = i;
      }
      return upper == "TRAILS" || upper == "LEADS" || upper == "NONE";
    }
    case Page::kMsbFirst:
      tag = upper == "YES" ? 0 : 1;
      return upper == "YES" || upper == "NO";
    default:
      return ParseInt(value, tag) && !value.empty();
  }
}

// The decom field a prompt command sets, to tell when a value was limited to its range.
bool PromptedValue(int command, const decomsetupstruct& d, std::int64_t& value) {
  switch (command) {
    case Page::kFspBitCount:
      value = d.FrmSyncPatLen;
      return true;
    case Page::kWordsPerFrame:
      value = d.WordsPerFrame;
      return true;
    case Page::kSfidWordNumber:
      value = d.SubFrameIdWord;
      return true;
    case Page::kBitRate:
      value = d.BitRate;
      return true;
    case Page::kFramesPerInterrupt:
      value = d.FramesPerInterrupt;
      return true;
    default:
      return false;
  }
}

// Runs one setting on its stream's page; an empty text when it took effect.
std::string ApplySetting(RunState& state, Page& page, const StreamSetting& setting,
                         std::vector<std::string>& notes) {
  const std::string label =
      std::to_string(setting.stream) + ":" + setting.field + "=" + setting.value;
  const DecomField* field = FindField(setting.field);
  if (field == nullptr) return label + ": unknown field";
  if (field->command == kGModeField) {
    const std::string upper = Upper(setting.value);
    if (upper != "YES" && upper != "NO") return label + ": G mode is YES or NO";
    page.SetGMode(upper == "YES");
    return {};
  }
  const auto command = static_cast<Page::Command>(field->command);
  const bool prompted =
      field->command == Page::kFspBitCount || field->command == Page::kFsp ||
      field->command == Page::kWordsPerFrame || field->command == Page::kSfidWordNumber ||
      field->command == Page::kBitRate || field->command == Page::kFramesPerInterrupt;
  if (!prompted) {
    int tag = 0;
    if (!ItemTag(*field, setting.value, tag) || !page.Run(command, tag)) {
      return label + ": not one of " + std::string(field->values);
    }
    return {};
  }
  if (!WithAnswer(setting.value, [&] { return page.Run(command); })) {
    return label + ": not a valid " + std::string(field->values) + " value";
  }
  const decomsetupstruct& d =
      state.config().PcmSetups[static_cast<std::size_t>(page.stream())].DecomSetup;
  std::int64_t now = 0;
  double asked = 0.0;
  if (PromptedValue(field->command, d, now) && ParseDouble(setting.value, asked) &&
      static_cast<double>(now) != asked) {
    notes.push_back("stream " + std::to_string(setting.stream) + ": " + setting.field + " " +
                    setting.value + " taken as " + std::to_string(now));
  }
  return {};
}

// Gives the chooser the channels, as an operator would; true when it keeps a stream.
bool ChooseStreams(RunState& state, const std::vector<ConvertChannel>& channels) {
  StreamChooser chooser(state);
  chooser.Open();
  std::vector<ConvertChannel> wanted = channels;
  if (wanted.empty()) wanted = DefaultConvertChannels(state.tmats.r);
  if (wanted.empty()) {
    chooser.Cancel();
    chooser.Close();
    return false;
  }
  WithAnswer(std::to_string(wanted.size()), [&] { return chooser.NumberOfStreamsClick(); });
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    chooser.SelectCell(static_cast<int>(i) + 1);
    const int type = wanted[i].video ? kTmatsChannelVideo : kTmatsChannelPcm;
    WithAnswer(std::to_string(wanted[i].channel_id),
               [&] { return chooser.RecorderDataTypeClick(type); });
  }
  chooser.Accept();
  return chooser.Close();
}

// Imports, loads and settings on the pages of the setup dialog; errors collected.
void SetUpStreams(RunState& state, const ConvertRequest& request, ConvertSetupReport& report) {
  StreamSetupDialog dialog(state);
  dialog.Open();
  const auto page_of = [&](int stream, const std::string& what) -> Page* {
    Page* page = dialog.page(stream - 1);
    if (page == nullptr) {
      report.errors.push_back(what + ": there is no stream " + std::to_string(stream) + " (" +
                              std::to_string(dialog.num_streams()) + " set up)");
    }
    return page;
  };
  for (const StreamFile& file : request.ddbase_files) {
    Page* page = page_of(file.stream, "DDbase file " + file.path);
    if (page != nullptr &&
        !WithAnswer(file.path, [&] { return page->Run(Page::kImportDecomSetupFile); })) {
      report.errors.push_back("stream " + std::to_string(file.stream) +
                              ": cannot import the DDbase file " + file.path);
    }
  }
  for (const StreamFile& file : request.pdbase_files) {
    Page* page = page_of(file.stream, "PDbase file " + file.path);
    if (page != nullptr &&
        !WithAnswer(file.path, [&] { return page->Run(Page::kLoadPdbaseFile); })) {
      report.errors.push_back("stream " + std::to_string(file.stream) +
                              ": cannot load the PDbase file " + file.path);
    }
  }
  for (const StreamSetting& setting : request.settings) {
    Page* page = page_of(setting.stream, "setting " + setting.field);
    if (page == nullptr) continue;
    const std::string error = ApplySetting(state, *page, setting, report.notes);
    if (!error.empty()) report.errors.push_back(error);
  }
  dialog.Accept();
  report.setups_match = dialog.Close();
  if (!report.setups_match) {
    report.notes.push_back("a stream's PDbase does not match its decom setup (see the log)");
  }
}

}  // namespace

const std::array<DecomField, 12> kDecomFields = {{
    {"fsp-position", Page::kFspPosition, "TRAILS|LEADS|NONE",
     "where the frame sync pattern sits; NONE takes the stream as raw data"},
    {"fsp-bits", Page::kFspBitCount, "3..64",
     "frame sync pattern bits (7..32 also set the standard pattern)"},
    {"fsp", Page::kFsp, "HEX", "frame sync pattern in hexadecimal"},
    {"word-length", Page::kCommonWordLength, "3..16", "common word length in bits"},
    {"msb-first", Page::kMsbFirst, "YES|NO", "words sent most significant bit first"},
    {"words", Page::kWordsPerFrame, "3..16383", "words per minor frame"},
    {"sfid-start", Page::kSfidStartCount, "0|1", "subframe ID of the first minor frame"},
    {"sfid-word", Page::kSfidWordNumber, "1..16383", "word number of the subframe ID"},
    {"sfid-bit", Page::kSfidStartBit, "0..15", "subframe ID start bit"},
    {"bit-rate", Page::kBitRate, "10..25000000", "bits per second"},
    {"frames-per-interrupt", Page::kFramesPerInterrupt, "1..255",
     "minor frames per archive record"},
    {"gmode", kGModeField, "YES|NO", "take the data without checking frame lock"},
}};

std::string DecomFieldsHelp() {
  std::string help;
  for (const DecomField& field : kDecomFields) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-21s %-18s %s\n", std::string(field.field).c_str(),
                  std::string(field.values).c_str(), std::string(field.description).c_str());
    help += line;
  }
  return help;
}

std::string ParseConvertChannel(std::string_view text, ConvertChannel& channel) {
  const std::size_t colon = text.find(':');
  const std::string_view id = text.substr(0, colon);
  ConvertChannel read;
  if (colon != std::string_view::npos) {
    const std::string type = Upper(text.substr(colon + 1));
    if (type != "VIDEO" && type != "PCM")
      return "'" + std::string(text) + "': the type is pcm or video";
    read.video = type == "VIDEO";
  }
  if (id.empty() || !ParseInt(id, read.channel_id) || read.channel_id < 0 ||
      read.channel_id > 65535) {
    return "'" + std::string(text) + "': the channel ID is a number from 0 to 65535";
  }
  channel = read;
  return {};
}

std::string ParseStreamFile(std::string_view text, StreamFile& file) {
  const std::size_t equals = text.find('=');
  StreamFile read;
  if (equals == std::string_view::npos || !ReadStreamNumber(text.substr(0, equals), read.stream) ||
      equals + 1 == text.size()) {
    return "'" + std::string(text) + "' is not N=FILE with N from 1 to 8";
  }
  read.path = std::string(text.substr(equals + 1));
  file = read;
  return {};
}

std::string ParseStreamSetting(std::string_view text, StreamSetting& setting) {
  const std::size_t colon = text.find(':');
  const std::size_t equals = text.find('=');
  StreamSetting read;
  if (colon == std::string_view::npos || equals == std::string_view::npos || equals < colon ||
      !ReadStreamNumber(text.substr(0, colon), read.stream)) {
    return "'" + std::string(text) + "' is not N:FIELD=VALUE with N from 1 to 8";
  }
  read.field = std::string(text.substr(colon + 1, equals - colon - 1));
  read.value = std::string(text.substr(equals + 1));
  if (FindField(read.field) == nullptr)
    return "'" + std::string(text) + "': unknown field " + read.field;
  setting = read;
  return {};
}

std::vector<ConvertChannel> DefaultConvertChannels(const RGroupTable& table) {
  std::vector<ConvertChannel> channels;
  for (const rgroupstruct& channel : table.channels) {
    if (channels.size() == static_cast<std::size_t>(kMaxStreams)) break;
    if (channel.ChannelDataType == kTmatsChannelPcm ||
        channel.ChannelDataType == kTmatsChannelVideo) {
      channels.push_back(
          {channel.TrackNumChannelId, channel.ChannelDataType == kTmatsChannelVideo});
    }
  }
  return channels;
}

ConvertSetupReport SetUpConversion(RunState& state, const ConvertRequest& request) {
  ConvertSetupReport report;
  if (request.project.empty()) {
    report.errors.push_back("no project file given");
    return report;
  }
  if (request.channels.size() > static_cast<std::size_t>(kMaxStreams)) {
    report.errors.push_back("at most 8 channels can be converted");
    return report;
  }
  // Load: the recording, then the chooser.
  ResetStreamSetups(state);
  SetLoadedRecording(state, request.recording);
  InputFile recording;
  if (!recording.Open(request.recording)) {
    report.errors.push_back(recording.error());
    return report;
  }
  recording.Close();
  const bool chosen = ChooseStreams(state, request.channels);
  const streamconfiginfostruct& config = state.config();
  for (int i = 0; i < config.NumStreams; ++i) {
    const streamchannelstruct& stream = config.Streams[static_cast<std::size_t>(i)];
    report.streams.push_back({stream.ChannelId, stream.DataType == kTmatsChannelVideo});
  }
  for (const ConvertChannel& wanted : request.channels) {
    if (!IsStreamChannel(state.tmats.r, wanted.channel_id)) {
      report.notes.push_back("channel " + std::to_string(wanted.channel_id) +
                             " dropped: not a PCM or video channel of the recorder");
    }
  }
  if (!chosen) {
    report.errors.push_back("no PCM or video channel to convert");
    return report;
  }
  SetUpStreams(state, request, report);
  if (!report.errors.empty()) return report;
  // Convert: the setup files.
  report.files = WriteSetupFiles(state, request.project);
  return report;
}

}  // namespace tessel
