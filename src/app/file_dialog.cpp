// The open-file dialog request.
#include "app/file_dialog.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "support/files.h"
#include "support/log.h"

namespace tessel {

namespace {

std::string WithCase(std::string text, bool upper) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    c = static_cast<char>(upper ? std::toupper(byte) : std::tolower(byte));
  }
  return text;
}

// The extensions an extension text names: "CH10;*.C10;" gives CH10 and C10.
std::vector<std::string> Extensions(const std::string& ext) {
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start <= ext.size()) {
    std::size_t end = ext.find(';', start);
    if (end == std::string::npos) end = ext.size();
    std::string part = ext.substr(start, end - start);
    if (part.rfind("*.", 0) == 0) part.erase(0, 2);
    if (!part.empty()) list.push_back(part);
    start = end + 1;
  }
  return list;
}

}  // namespace

OpenFileRequest MakeOpenFileRequest(const std::string& initial_directory,
                                    const std::string& extension_text,
                                    const std::string& suggested_name) {
  const std::size_t dot = extension_text.find('.');
  std::string ext = dot == std::string::npos ? std::string() : extension_text.substr(dot + 1);
  if (ext.empty()) ext = extension_text;

  OpenFileRequest request;
  request.initial_directory = initial_directory;
  request.title = "Open File";
  request.filter_description = "File Type (*." + ext + ")";
  const std::vector<std::string> extensions = Extensions(ext);
  request.default_extension = extensions.empty() ? ext : extensions.front();
  // Names keep their case here, so both cases of every extension are offered.
  for (bool upper : {false, true}) {
    for (const std::string& e : extensions) {
      if (!request.filter_pattern.empty()) request.filter_pattern += ' ';
      request.filter_pattern += "*." + WithCase(e, upper);
    }
  }
  request.suggested_name = FileTitle(suggested_name);
  return request;
}

bool OpenFileDialog(const std::string& initial_directory, const std::string& extension_text,
                    std::string& name, const std::string& suggested_name) {
  UserInterface* ui = CurrentUserInterface();
  if (ui == nullptr) return false;
  std::string chosen;
  if (!ui->OpenFile(MakeOpenFileRequest(initial_directory, extension_text, suggested_name),
                    chosen) ||
      chosen.empty()) {
    return false;
  }
  name = chosen;
  return true;
}

void MakeStartDirectoryCurrent() {
  if (StartDirectory().empty()) return;
  std::error_code ignored;
  std::filesystem::current_path(StartDirectory(), ignored);
}

}  // namespace tessel
