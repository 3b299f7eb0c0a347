// The stream chooser and the TMATS recorder display.
#include "app/stream_chooser.h"

#include <algorithm>

#include "app/prompts.h"
#include "support/log.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

namespace {

// Data type items of the chooser's menu: the channel data types 0 to 9.
constexpr int kDataTypeItems = 10;

std::size_t Slot(int index) {
  return static_cast<std::size_t>(index);
}

}  // namespace

const std::array<std::string_view, 7> kRecorderDisplayHelpLines = {
    "This lists the enabled tracks on the recorder from the TMATS ",
    "information in the file.",
    "WARNING.  This is the TMATS information only, not necessarily ",
    "TRUTH.  ",
    "It is only the information that someone filled in, or left in, or ",
    "defaults by the vendor.",
    "Use it at your own risk."};

const std::array<std::string_view, 6> StreamChooser::kHelpLines = {
    "From the available recorder streams on the right, assign ",
    "the streams to process below.",
    "",
    "Step 1 is to set the number of streams to process.",
    "Step 2 is to assign the channel IDs assigned on the ",
    "recorder to the right."};

bool IsStreamChannel(const RGroupTable& table, std::int32_t channel_id) {
  const rgroupstruct* channel = FindRChannelByTrack(table, channel_id);
  return channel != nullptr && (channel->ChannelDataType == kTmatsChannelPcm ||
                                channel->ChannelDataType == kTmatsChannelVideo);
}

std::vector<std::array<std::string, 4>> RecorderDisplayRows(const RGroupTable& table) {
  std::vector<std::array<std::string, 4>> rows;
  rows.push_back({"Ch #", "Data Type", "Ch ID", "Data Source"});
  int number = 0;
  for (const rgroupstruct& channel : table.channels) {
    rows.push_back({std::to_string(++number),
                    std::string(ChannelDataTypeCode(channel.ChannelDataType)),
                    std::to_string(channel.TrackNumChannelId), channel.DataSourceId});
  }
  return rows;
}

void ValidateChosenStreams(RunState& state) {
  const std::int32_t count = std::clamp(state.config().NumStreams, 0, kMaxStreams);
  const std::array<streamchannelstruct, kMaxStreams> chosen = state.config().Streams;
  ResetStreamSetups(state);
  streamconfiginfostruct& config = state.config();
  for (int i = 0; i < count; ++i) {
    const streamchannelstruct& stream = chosen[Slot(i)];
    if (IsStreamChannel(state.tmats.r, stream.ChannelId)) {
      streamchannelstruct& kept = config.Streams[Slot(config.NumStreams)];
      kept.ChannelId = stream.ChannelId;
      kept.DataType = stream.DataType;
      ++config.NumStreams;
    } else {
      LogError("Invalid Type Data or ChID for stream " + std::to_string(i + 1) + "\r\n" +
                   "Removing the stream from the process list",
               i, true);
    }
  }
}

StreamChooser::StreamChooser(RunState& state) : state_(state) {}

TmatsReadResult StreamChooser::Open() {
  accepted_ = true;
  current_stream_ = 0;
  streamconfiginfostruct& config = state_.config();
  saved_num_streams_ = config.NumStreams;
  saved_streams_ = config.Streams;
  if (config.NumStreams <= 0) config.NumStreams = 1;
  const TmatsReadResult read =
      ReadTmatsFromRecording(state_.Ch10FileName, state_.debug.DebugFirstPacket, state_.tmats,
                             PGroupHooks(state_.pgroups));
  if (read.status == TmatsRecordStatus::NotOpened) {
    // No channel of an earlier recording may pass for one of this recording.
    state_.tmats = TmatsTables{};
    state_.pgroups.groups.clear();
  }
  state_.Ch10FileSize = read.file_size;
  recorder_rows_ = RecorderDisplayRows(state_.tmats.r);
  return read;
}

std::string StreamChooser::NumStreamsText() const {
  return std::to_string(state_.config().NumStreams);
}

std::string StreamChooser::GridCell(int row, int column) const {
  if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns) return {};
  if (row == 0) {
    static constexpr std::array<std::string_view, kGridColumns> kTitles = {"TM Stream", "Type Data",
                                                                           "Ch ID"};
    return std::string(kTitles[Slot(column)]);
  }
  if (column == 0) return std::to_string(row);
  const streamconfiginfostruct& config = state_.config();
  if (row > config.NumStreams) return "----";
  const streamchannelstruct& stream = config.Streams[Slot(row - 1)];
  if (column == 1) return std::string(ChannelDataTypeName(stream.DataType));
  return std::to_string(stream.ChannelId);
}

std::string StreamChooser::DataTypeMenuCaption() const {
  return "Recorder Channel Info Assigned to Stream " + std::to_string(current_stream_ + 1);
}

std::vector<MenuItemSpec> StreamChooser::PopupMenu() const {
  MenuItemSpec count;
  count.name = "MenuNumberofTMStreams";
  count.caption = "Number of TM Streams";
  count.command = kNumberOfStreams;

  MenuItemSpec types;
  types.name = "MenuRecorderDataType";
  types.caption = DataTypeMenuCaption();
  for (int index = 0; index < kDataTypeItems; ++index) {
    MenuItemSpec item;
    item.name = "SubMenuRecDataType" + std::to_string(index);
    item.caption = std::string(ChannelDataTypeName(index));
    item.command = kRecorderDataType;
    item.tag = index;
    item.enabled = index == kTmatsChannelPcm || index == kTmatsChannelVideo;
    types.items.push_back(item);
  }
  return {count, types};
}

bool StreamChooser::NumberOfStreamsClick() {
  streamconfiginfostruct& config = state_.config();
  std::int32_t count = config.NumStreams;
  if (!PromptIntInRange("Enter the Number of TM Streams to Pull From Recorder", count, kMaxStreams,
                        10, 1)) {
    return false;
  }
  config.NumStreams = count;
  // The current stream stays one of the rows in use.
  current_stream_ = std::min(current_stream_, config.NumStreams - 1);
  return true;
}

bool StreamChooser::SelectCell(int row) {
  if (row < 1 || row > state_.config().NumStreams || row > kMaxStreams) return false;
  current_stream_ = row - 1;
  return true;
}

bool StreamChooser::RecorderDataTypeClick(int tag) {
  if (tag != kTmatsChannelPcm && tag != kTmatsChannelVideo) return false;
  streamchannelstruct& stream = state_.config().Streams[Slot(current_stream_)];
  stream.DataType = tag;
  std::int32_t channel_id = stream.ChannelId;
  const bool answered = PromptIntInRange("Enter the Channel ID the Recorder Uses for this Channel",
                                         channel_id, 65535, 10, 0);
  if (answered) stream.ChannelId = channel_id;
  if (!IsStreamChannel(state_.tmats.r, stream.ChannelId)) {
    LogError("Invalid Type Data for this ChID", stream.ChannelId, true);
  }
  return answered;
}

bool StreamChooser::RunMenuItem(const MenuItemSpec& item) {
  if (!item.enabled) return false;
  switch (item.command) {
    case kNumberOfStreams:
      return NumberOfStreamsClick();
    case kRecorderDataType:
      return RecorderDataTypeClick(item.tag);
    default:
      return false;
  }
}

bool StreamChooser::Close() {
  streamconfiginfostruct& config = state_.config();
  if (!accepted_) {
    config.NumStreams = saved_num_streams_;
    config.Streams = saved_streams_;
  }
  ValidateChosenStreams(state_);
  return accepted_ && config.NumStreams > 0;
}

bool RunStreamChooser(RunState& state, const std::function<void(StreamChooser&)>& show) {
  StreamChooser chooser(state);
  chooser.Open();
  if (show) show(chooser);
  return chooser.Close();
}

}  // namespace tessel
