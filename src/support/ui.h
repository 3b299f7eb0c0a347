// The user-interface interface: everything the core asks of a person.
//
// The core never includes a toolkit. Message boxes, the one-line text prompt, the
// open-file dialog and "process pending events" go through this interface; the Qt
// front end, the command line and the tests each implement it.
#pragma once

#include <deque>
#include <utility>
#include <string>
#include <vector>

namespace tessel {

enum class BoxIcon { Information, Warning, Error };

// What the open-file dialog is asked to show.
struct OpenFileRequest {
  std::string initial_directory;
  std::string title;              // "Open File"
  std::string default_extension;  // e.g. "PRJ"
  std::string filter_description; // e.g. "File Type (*.PRJ)"
  std::string filter_pattern;     // e.g. "*.PRJ"
  std::string suggested_name;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A modal box with caption, text and icon, and an OK button.
  virtual void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) = 0;
  // A one-line text input; `value` holds the default on entry and the answer on true.
  // False when the person cancelled.
  virtual bool PromptText(const std::string& caption, const std::string& prompt,
                          std::string& value) = 0;
  // The open-file dialog; on true `chosen` is the full path picked.
  virtual bool OpenFile(const OpenFileRequest& request, std::string& chosen) = 0;
  // Lets the toolkit process pending events (repaints, the Abort button).
  virtual void ProcessPendingEvents() = 0;
};

// Installs the process user interface (nullptr: none, boxes are dropped).
// The caller keeps ownership.
void SetUserInterface(UserInterface* ui);
UserInterface* CurrentUserInterface();

// A user interface for tests and scripts: records every box and request, answers
// prompts and file dialogs from queues (an empty queue answers "cancel").
class ScriptedUserInterface final : public UserInterface {
 public:
  struct Box {
    std::string caption;
    std::string text;
    BoxIcon icon;
  };
  struct Prompt {
    std::string caption;
    std::string prompt;
    std::string default_value;
  };

  void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
  bool PromptText(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  bool OpenFile(const OpenFileRequest& request, std::string& chosen) override;
  void ProcessPendingEvents() override { ++pending_event_calls; }

  std::vector<Box> boxes;
  std::vector<Prompt> prompts;
  std::vector<OpenFileRequest> file_requests;
  int pending_event_calls = 0;
  // Answers: a prompt answer of nullopt-like "cancel" is written as the entry kCancel.
  std::deque<std::string> prompt_answers;
  std::deque<std::string> file_answers;
  static inline const std::string kCancel = "\x18<cancel>";
};

// Installs a user interface for the lifetime of this object, restoring the previous one.
class ScopedUserInterface {
 public:
  explicit ScopedUserInterface(UserInterface* ui);
  ~ScopedUserInterface();
  ScopedUserInterface(const ScopedUserInterface&) = delete;
  ScopedUserInterface& operator=(const ScopedUserInterface&) = delete;

 private:
  UserInterface* previous_;
};

}  // namespace tessel
