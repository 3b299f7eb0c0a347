#include "support/ui.h"

namespace tessel {

namespace {
UserInterface* g_user_interface = nullptr;
}  // namespace

void SetUserInterface(UserInterface* ui) { g_user_interface = ui; }

UserInterface* CurrentUserInterface() { return g_user_interface; }

void ScriptedUserInterface::MessageBox(const std::string& caption, const std::string& text,
                                       BoxIcon icon) {
  boxes.push_back({caption, text, icon});
}

bool ScriptedUserInterface::PromptText(const std::string& caption, const std::string& prompt,
                                       std::string& value) {
  prompts.push_back({caption, prompt, value});
  if (prompt_answers.empty()) return false;
  std::string answer = std::move(prompt_answers.front());
  prompt_answers.pop_front();
  if (answer == kCancel) return false;
  value = std::move(answer);
  return true;
}

bool ScriptedUserInterface::OpenFile(const OpenFileRequest& request, std::string& chosen) {
  file_requests.push_back(request);
  if (file_answers.empty()) return false;
  std::string answer = std::move(file_answers.front());
  file_answers.pop_front();
  if (answer == kCancel) return false;
  chosen = std::move(answer);
  return true;
}

ScopedUserInterface::ScopedUserInterface(UserInterface* ui) : previous_(CurrentUserInterface()) {
  SetUserInterface(ui);
}

ScopedUserInterface::~ScopedUserInterface() { SetUserInterface(previous_); }

}  // namespace tessel
