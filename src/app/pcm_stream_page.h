// The PCM stream info page: one chosen stream's decom setup (left panel "Decom Setup")
// and the summary of its parameter database (right panel "Pdbase Setup"), with the
// commands that change the setup field by field, import a DDbase file, regenerate the
// database or load a binary PDbase file.
//
// Creating the page is what fills a chosen stream's setup: a video stream gets the
// fixed video layout and its database; a PCM stream gets the decom setup of its TMATS
// P group (the first P group carried by the stream's channel; the defaults when there
// is none) and a database generated from it.
//
// The page is toolkit-free: the view reads its label texts, menus and check box, and
// sends the menu commands back. Every command ends by bringing the database header in
// line with the decom setup and refreshing the texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/menu_items.h"
#include "app/run_state.h"

namespace tessel {

class pdbaseclass;
struct pgroupstruct;

// One label of a panel: its component name, the caption beside it and the value shown.
struct PageLabel {
  std::string name;
  std::string caption;
  std::string value;
};

// The P group that carries a channel: the first whose TrackChannelId equals it, or
// nullptr.
const pgroupstruct* FindStreamPGroup(const PGroupTable& table, std::int32_t channel_id);

// Copies a TMATS decom setup over the stream's, then brings the simulator block and the
// bit synchroniser's bit rate in line with it.
void CopyTmatsDecomSetup(const decomsetupstruct& tmats, pcmsetupinfo& setup);

// Checks every chosen stream's database against its decom setup. At the first stream
// that disagrees: one error line and box "PDbase and Decom Setup Do Not Match for
// Stream <n> ...<reason>" (code n) and false; later streams are not checked.
bool CheckStreamSetups(const RunState& state);

class PcmStreamInfoPage {
 public:
  // Menu commands (MenuItemSpec::command); item commands take the item's tag.
  enum Command : int {
    kFspPosition = 0,     // tag 0 TRAILS, 1 LEADS, 2 NONE (raw data)
    kFspBitCount,         // prompt 3..64
    kFsp,                 // text prompt, hexadecimal pattern
    kCommonWordLength,    // tag 3..16
    kMsbFirst,            // tag 0 MSB FIRST, 1 LSB FIRST
    kWordsPerFrame,       // prompt 3..16 383
    kSfidStartCount,      // tag 0 or 1
    kSfidWordNumber,      // prompt 1..16 383
    kSfidStartBit,        // tag 0..15
    kBitRate,             // prompt 10..25 000 000
    kFramesPerInterrupt,  // prompt 1..255
    kImportDecomSetupFile,
    kAutoGenerate,
    kLoadPdbaseFile,
  };

  static constexpr std::string_view kDecomPanelCaption = "Decom Setup";
  static constexpr std::string_view kDecomPanelHint =
      "Decom Setup information used to build DRUX project";
  static constexpr std::string_view kPdbasePanelCaption = "Pdbase Setup";
  static constexpr std::string_view kPdbasePanelHint =
      "Parameter Database Setup information used to build DRUX project";
  static constexpr std::string_view kGModeCaption = "G Mode";
  static constexpr std::string_view kGModeHint = "Don't check frame lock, just get the data";

  // Creates the page of stream `stream` (0 to 7; the state must outlive the page): fills
  // the stream's decom setup and database as described above, names both files after the
  // recording's title, and refreshes the texts. nullptr for a stream outside 0..7.
  static std::unique_ptr<PcmStreamInfoPage> Create(RunState& state, int stream);

  int stream() const { return stream_; }
  bool video() const { return video_; }
  bool pcm() const { return pcm_; }

  // --- What the view shows ---
  // "Recorder Channel ID = <id> : Type = <data type name>".
  const std::string& ChannelInfoText() const { return channel_info_; }
  const std::vector<PageLabel>& DecomLabels() const { return decom_labels_; }
  const std::vector<PageLabel>& PdbaseLabels() const { return pdbase_labels_; }
  // The value of the label with that component name (either panel); empty when none.
  std::string LabelText(std::string_view name) const;
  bool GModeChecked() const { return gmode_checked_; }
  // The pop-up menus of the left and right panels.
  static std::vector<MenuItemSpec> DecomSetupMenu();
  static std::vector<MenuItemSpec> PdbaseSetupMenu();

  // --- Events ---
  // The view shows the page: the first time, a refresh and, for a video stream, the
  // warning that only the bit rate and frames per interrupt need editing.
  void Show();
  bool shown_once() const { return shown_once_; }
  // Runs a command. False when it did not take effect: a tag the menu does not offer, a
  // prompt answer that is not a number or pattern (error beep), a cancelled file dialog,
  // or a file that could not be used.
  bool Run(Command command, int tag = 0);
  bool RunMenuItem(const MenuItemSpec& item);
  // The G Mode check box was clicked.
  void SetGMode(bool checked);
  // Recomputes every text from the setup and the database.
  void Refresh();

 private:
  PcmStreamInfoPage(RunState& state, int stream);
  pcmsetupinfo& setup();
  const pcmsetupinfo& setup() const;
  decomsetupstruct& decom() { return setup().DecomSetup; }
  pdbaseclass& database();
  streamchannelstruct& channel();

  void FillSetup();
  bool PromptField(Command command);
  bool PromptPattern();
  bool ImportDecomSetupFile();
  bool LoadPdbaseFile();
  void AutoGenerate();
  void UpdateWordTable();
  void UpdatePatternLabels();
  void Finish();

  RunState& state_;
  int stream_;
  bool video_ = false;
  bool pcm_ = false;
  bool shown_once_ = false;
  bool gmode_checked_ = false;
  std::string channel_info_;
  // The pattern labels keep their text while the pattern length is outside 3..64.
  std::string pattern_hex_;
  std::string pattern_octal_;
  std::string pattern_binary_;
  std::vector<PageLabel> decom_labels_;
  std::vector<PageLabel> pdbase_labels_;
};

}  // namespace tessel
