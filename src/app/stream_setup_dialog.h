// The stream setup dialog: one tab per chosen stream, each holding that stream's PCM
// stream info page. Accepting it checks every stream's database against its decom
// setup; Cancel skips the check but keeps what the pages changed.
//
// StreamSetupDialog is the dialog without a screen; RunStreamSetupDialog runs it from
// opening to closing with the view's modal part as a callback.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/pcm_stream_page.h"
#include "app/run_state.h"

namespace tessel {

class StreamSetupDialog {
 public:
  static constexpr std::string_view kCaption = "Stream Setup Info";
  static constexpr std::string_view kHeading = "PCM STREAM INFO";
  static constexpr std::string_view kHelpText =
      "Fill in the setup information for both the DDbase and the PDBase";
  static constexpr std::string_view kFilenameCaption = "Ch10 Filename";
  static constexpr std::string_view kAcceptCaption = "Accept";
  static constexpr std::string_view kCancelCaption = "Cancel";

  // The dialog works on `state`, which must outlive it. Nothing happens until Open.
  explicit StreamSetupDialog(RunState& state);

  // Takes the number of streams, creates the page of each (which fills its setup and
  // database) and makes tab 0 current.
  void Open();
  // The view has put the dialog on the screen: the current tab's page is shown (its
  // first show may warn about a video stream).
  void Shown();

  int num_streams() const { return num_streams_; }
  // "Stream 1" to "Stream 8".
  static std::string TabCaption(int tab);
  bool TabVisible(int tab) const { return tab >= 0 && tab < num_streams_; }
  int current_tab() const { return current_tab_; }
  // The file title of the recording (LabelCh10Filename).
  const std::string& FileLabel() const { return file_label_; }
  // The page of a visible tab, else nullptr.
  PcmStreamInfoPage* page(int tab);

  // PageControlPcmInfoChange: records the tab, refreshes the file label and shows the
  // tab's page. False for a tab that is not visible.
  bool ChangeTab(int tab);
  void Accept() { cancelled_ = false; }
  void Cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }

  // False when cancelled; otherwise CheckStreamSetups. The pages are destroyed; what
  // they changed stays.
  bool Close();

 private:
  RunState& state_;
  int num_streams_ = 0;
  int current_tab_ = 0;
  bool cancelled_ = false;
  std::string file_label_;
  std::array<std::unique_ptr<PcmStreamInfoPage>, kMaxStreams> pages_;
};

// Opens the dialog, lets `show` run it (until Accept, Cancel or its close box, which
// counts as Accept; an empty `show` closes it at once) and closes it. True when accepted
// and every stream passed the check.
bool RunStreamSetupDialog(RunState& state, const std::function<void(StreamSetupDialog&)>& show);

}  // namespace tessel
