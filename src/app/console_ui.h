// The user interface of the command line: boxes become lines on a stream (stderr),
// prompts keep their default answer and the open-file dialog is never answered.
#pragma once

#include <cstdio>
#include <string>

#include "support/ui.h"

namespace tessel {

class ConsoleUserInterface final : public UserInterface {
 public:
  // `out` receives one "CAPTION: text" line per box (lines of a multi-line text indented
  // below it); it must outlive the interface.
  explicit ConsoleUserInterface(std::FILE* out) : out_(out) {}

  void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
  // Keeps the default: OK without a change.
  bool PromptText(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  // No file can be picked without a screen: always cancelled.
  bool OpenFile(const OpenFileRequest& request, std::string& chosen) override;
  void ProcessPendingEvents() override {}

  // The text a box gives on the stream.
  static std::string BoxLine(const std::string& caption, const std::string& text);

 private:
  std::FILE* out_;
};

// A user interface that answers the next prompt or file dialog with a given text and
// hands everything else to another one (or drops it). Commands that ask through the
// user interface can so be run with an answer known in advance.
class AnsweringUserInterface final : public UserInterface {
 public:
  AnsweringUserInterface(UserInterface* inner, std::string answer)
      : inner_(inner), answer_(std::move(answer)) {}

  void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
  bool PromptText(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  bool OpenFile(const OpenFileRequest& request, std::string& chosen) override;
  void ProcessPendingEvents() override;
  // True once the answer was given.
  bool used() const { return used_; }

 private:
  UserInterface* inner_;
  std::string answer_;
  bool used_ = false;
};

}  // namespace tessel
