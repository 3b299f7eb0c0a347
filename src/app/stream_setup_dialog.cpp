// The stream setup dialog.
#include "app/stream_setup_dialog.h"

#include <algorithm>

#include "support/files.h"

namespace tessel {

StreamSetupDialog::StreamSetupDialog(RunState& state) : state_(state) {}

std::string StreamSetupDialog::TabCaption(int tab) {
  return "Stream " + std::to_string(tab + 1);
}

void StreamSetupDialog::Open() {
  cancelled_ = false;
  current_tab_ = 0;
  num_streams_ = std::clamp(state_.config().NumStreams, 0, kMaxStreams);
  for (int i = 0; i < num_streams_; ++i) {
    pages_[static_cast<std::size_t>(i)] = PcmStreamInfoPage::Create(state_, i);
  }
  file_label_ = FileTitle(state_.Ch10FileName);
}

void StreamSetupDialog::Shown() {
  if (PcmStreamInfoPage* current = page(current_tab_)) current->Show();
}

PcmStreamInfoPage* StreamSetupDialog::page(int tab) {
  return TabVisible(tab) ? pages_[static_cast<std::size_t>(tab)].get() : nullptr;
}

bool StreamSetupDialog::ChangeTab(int tab) {
  if (!TabVisible(tab)) return false;
  current_tab_ = tab;
  file_label_ = FileTitle(state_.Ch10FileName);
  if (PcmStreamInfoPage* shown = page(tab)) shown->Show();
  return true;
}

bool StreamSetupDialog::Close() {
  const bool result = !cancelled_ && CheckStreamSetups(state_);
  for (auto& page : pages_) page.reset();
  return result;
}

bool RunStreamSetupDialog(RunState& state, const std::function<void(StreamSetupDialog&)>& show) {
  StreamSetupDialog dialog(state);
  dialog.Open();
  if (show) show(dialog);
  return dialog.Close();
}

}  // namespace tessel
