// The command line's user interface and the answering wrapper.
#include "app/console_ui.h"

namespace tessel {

std::string ConsoleUserInterface::BoxLine(const std::string& caption, const std::string& text) {
  std::string line = caption + ": ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      line += "\n  ";
    } else {
      line += c;
    }
  }
  return line + "\n";
}

void ConsoleUserInterface::MessageBox(const std::string& caption, const std::string& text,
                                      BoxIcon /*icon*/) {
  if (out_ == nullptr) return;
  const std::string line = BoxLine(caption, text);
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

bool ConsoleUserInterface::PromptText(const std::string& /*caption*/, const std::string& /*prompt*/,
                                      std::string& /*value*/) {
  return true;
}

bool ConsoleUserInterface::OpenFile(const OpenFileRequest& /*request*/, std::string& /*chosen*/) {
  return false;
}

void AnsweringUserInterface::MessageBox(const std::string& caption, const std::string& text,
                                        BoxIcon icon) {
  if (inner_ != nullptr) inner_->MessageBox(caption, text, icon);
}

bool AnsweringUserInterface::PromptText(const std::string& caption, const std::string& prompt,
                                        std::string& value) {
  if (!used_) {
    used_ = true;
    value = answer_;
    return true;
  }
  return inner_ != nullptr && inner_->PromptText(caption, prompt, value);
}

bool AnsweringUserInterface::OpenFile(const OpenFileRequest& request, std::string& chosen) {
  if (!used_) {
    used_ = true;
    chosen = answer_;
    return true;
  }
  return inner_ != nullptr && inner_->OpenFile(request, chosen);
}

void AnsweringUserInterface::ProcessPendingEvents() {
  if (inner_ != nullptr) inner_->ProcessPendingEvents();
}

}  // namespace tessel
