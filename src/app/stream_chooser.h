// The stream chooser: after a recording is picked it reads the recording's TMATS,
// shows the recorder's channels, lets the operator set how many streams to convert and
// which channel and data type each comes from, and on closing keeps only the streams
// whose channel is a PCM or video channel of the recorder.
//
// StreamChooser is the dialog without a screen: it edits the run's stream table
// directly (with a copy kept for Cancel), gives the texts its view shows and takes the
// view's commands. RunStreamChooser runs it from opening to closing; the view's modal
// part is a callback.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/menu_items.h"
#include "app/run_state.h"
#include "tmats/tmats_reader.h"

namespace tessel {

// True when the first channel of the R table (in table order) with this track number
// is a PCM or video channel; false for another type or when no channel has the number.
bool IsStreamChannel(const RGroupTable& table, std::int32_t channel_id);

// The TMATS recorder display shown inside the chooser.
inline constexpr std::string_view kRecorderDisplayCaption = "TMATS Recorder Info";
extern const std::array<std::string_view, 7> kRecorderDisplayHelpLines;
// The grid: the header row "Ch #", "Data Type", "Ch ID", "Data Source", then one row per
// R channel (row number from 1, the data type code such as "PCMIN", the track number,
// the data source).
std::vector<std::array<std::string, 4>> RecorderDisplayRows(const RGroupTable& table);

// Takes the stream table aside, resets the stream setups and appends again each stream
// whose channel IsStreamChannel accepts (its channel ID and data type); each other
// stream is reported with an error box and dropped.
void ValidateChosenStreams(RunState& state);

class StreamChooser {
 public:
  // Commands of the pop-up menu (MenuItemSpec::command).
  enum Command : int { kNumberOfStreams = 0, kRecorderDataType = 1 };
  static constexpr int kGridRows = 9;
  static constexpr int kGridColumns = 3;

  static constexpr std::string_view kCaption = "Ch10 Stream Chooser";
  static constexpr std::string_view kConfigurationPanelCaption = "Stream Configuration";
  static constexpr std::string_view kNumStreamsCaption = "Num TM Streams";
  static constexpr std::string_view kAcceptCaption = "Accept";
  static constexpr std::string_view kCancelCaption = "Cancel";
  static const std::array<std::string_view, 6> kHelpLines;

  // The chooser works on `state`, which must outlive it. Nothing happens until Open.
  explicit StreamChooser(RunState& state);

  // Marks the dialog accepted, makes stream 0 current, sets the stream table aside for
  // Cancel, makes the stream count at least 1 and reads the recording's TMATS into the
  // run state's tables (with the "First Packet" dumps when that switch is on); a
  // recording that cannot be opened leaves the tables empty.
  TmatsReadResult Open();

  // --- What the view shows ---
  std::string NumStreamsText() const;
  // Row 0 is the header; rows 1 to 8 show the stream number, and for streams in use the
  // data type name and channel ID, else "----".
  std::string GridCell(int row, int column) const;
  // "Number of TM Streams", then the data type sub-menu with its ten items (only PCM
  // INPUT and VIDEO INPUT enabled), captioned for the current stream.
  std::vector<MenuItemSpec> PopupMenu() const;
  std::string DataTypeMenuCaption() const;
  const std::vector<std::array<std::string, 4>>& RecorderRows() const { return recorder_rows_; }
  int current_stream() const { return current_stream_; }
  bool accepted() const { return accepted_; }

  // --- Commands ---
  // Asks for the number of streams (1 to 8); false when the answer was not a number.
  bool NumberOfStreamsClick();
  // Selecting a grid cell: rows 1 to the stream count make that stream current; any
  // other row cannot be selected (false).
  bool SelectCell(int row);
  // A data type item: sets the current stream's data type, asks for its channel ID
  // (0 to 65 535) and warns when the resulting ID is not a PCM or video channel. False
  // for a tag other than PCM INPUT or VIDEO INPUT (nothing changed) or when the answer
  // was not a number (the channel ID unchanged).
  bool RecorderDataTypeClick(int tag);
  // Runs a menu item's command.
  bool RunMenuItem(const MenuItemSpec& item);
  void Accept() { accepted_ = true; }
  void Cancel() { accepted_ = false; }

  // Puts the set-aside table back after Cancel, validates the streams (whichever button
  // closed the dialog) and gives the result: accepted with at least one stream.
  bool Close();

 private:
  RunState& state_;
  bool accepted_ = true;
  int current_stream_ = 0;
  std::int32_t saved_num_streams_ = 0;
  std::array<streamchannelstruct, kMaxStreams> saved_streams_{};
  std::vector<std::array<std::string, 4>> recorder_rows_;
};

// Opens the chooser, lets `show` run the dialog (until Accept, Cancel or its close box,
// which counts as Accept; an empty `show` closes it at once) and closes it. True when
// accepted with at least one stream left.
bool RunStreamChooser(RunState& state, const std::function<void(StreamChooser&)>& show);

}  // namespace tessel
