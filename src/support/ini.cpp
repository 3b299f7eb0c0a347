#include "support/ini.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <vector>

#include "support/files.h"
#include "support/format.h"

namespace tessel {

namespace {

namespace fs = std::filesystem;

// Values are read into a 1,024-byte buffer: at most 1,023 characters.
constexpr std::size_t kMaxValueLength = 1023;
// A settings file is a few kilobytes; anything beyond this is not read as one (and never
// rewritten), which also bounds the length of every line looked at.
constexpr std::int64_t kMaxIniFileSize = 4 * 1024 * 1024;

// --- The text form ---

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The lines of the file without their ends (LF or CR LF).
std::vector<std::string> SplitLines(std::string_view content) {
  std::vector<std::string> lines;
  while (!content.empty()) {
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return lines;
}

// True for a "[name]" line; `name` is the trimmed text between the brackets.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  name = Trim(line.substr(1, close - 1));
  return true;
}

// True for a "key=value" line; the key is trimmed, the value is the text after the
// first '=' exactly as it stands.
bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  key = Trim(line.substr(0, equals));
  value = line.substr(equals + 1);
  return !key.empty();
}

// Where a key lives: the line of the key (npos when missing) and the first section
// of that name (header and end, npos when missing).
struct KeyPlace {
  std::size_t key_line = std::string::npos;
  std::size_t section_header = std::string::npos;
  std::size_t section_end = std::string::npos;
};

KeyPlace FindKey(const std::vector<std::string>& lines, std::string_view section,
                 std::string_view key) {
  KeyPlace place;
  bool inside = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionName(lines[i], name)) {
      if (inside && place.section_end == std::string::npos) place.section_end = i;
      inside = SameName(name, section);
      if (inside && place.section_header == std::string::npos) place.section_header = i;
      continue;
    }
    std::string_view line_key;
    std::string_view value;
    if (inside && KeyLine(lines[i], line_key, value) && SameName(line_key, key)) {
      place.key_line = i;
      return place;
    }
  }
  if (inside && place.section_end == std::string::npos) place.section_end = lines.size();
  return place;
}

// Names and values that would break the line structure are refused.
bool WritableSection(std::string_view section) {
  return !Trim(section).empty() && section.find_first_of("\r\n]") == std::string_view::npos;
}

bool WritableKey(std::string_view key) {
  std::string_view trimmed = Trim(key);
  return !trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '[' &&
         key.find_first_of("\r\n=") == std::string_view::npos;
}

bool WritableValue(std::string_view value) {
  return value.find_first_of("\r\n") == std::string_view::npos;
}

// --- The file ---

enum class LoadResult { Loaded, Missing, Unusable };

LoadResult LoadFile(const std::string& path, std::string& content) {
  content.clear();
  InputFile file;
  if (!file.Open(path))
    return file.last_errno() == ENOENT ? LoadResult::Missing : LoadResult::Unusable;
  std::int64_t size = file.Size();
  if (size < 0 || size > kMaxIniFileSize) return LoadResult::Unusable;
  content.resize(static_cast<std::size_t>(size));
  std::int64_t got = file.Read(content.data(), content.size());
  if (got != size) return LoadResult::Unusable;
  return LoadResult::Loaded;
}

// Writes the whole text to a temporary file beside the target and renames it over the
// target, so the file is always either the old or the new version.
bool ReplaceFile(const std::string& path, const std::vector<std::string>& lines) {
  std::error_code error;
  fs::path target(path);
  if (fs::is_symlink(target, error)) {
    target = fs::canonical(target, error);
    if (error) return false;
  }
  fs::path temporary = target;
  temporary += ".tmp" + std::to_string(::getpid());

  OutputFile out;
  bool written = out.Create(temporary.string());
  for (std::size_t i = 0; written && i < lines.size(); ++i) written = out.WriteLine(lines[i]);
  written = out.Close() && written;
  if (written) {
    fs::perms old_perms = fs::status(target, error).permissions();
    if (!error && old_perms != fs::perms::unknown) {
      fs::permissions(temporary, old_perms, error);
    }
    fs::rename(temporary, target, error);
    written = !error;
  }
  if (!written) fs::remove(temporary, error);
  return written;
}

// Files with a write that failed since their last flush, by absolute path.
struct FailedWrites {
  std::mutex lock;
  std::set<std::string> paths;
};

FailedWrites& TheFailedWrites() {
  static FailedWrites failed;
  return failed;
}

std::string PathKey(const std::string& file) {
  std::error_code error;
  fs::path absolute = fs::absolute(file, error);
  return error ? file : absolute.lexically_normal().string();
}

bool WriteFailed(const std::string& file) {
  FailedWrites& failed = TheFailedWrites();
  std::lock_guard<std::mutex> guard(failed.lock);
  failed.paths.insert(PathKey(file));
  return false;
}

// Flushes a file or directory to the disk; false when the system reports a failure.
bool SyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

bool ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                   std::string& value) {
  std::string content;
  if (LoadFile(file, content) != LoadResult::Loaded) return false;
  std::vector<std::string> lines = SplitLines(content);
  KeyPlace place = FindKey(lines, Trim(section), Trim(key));
  if (place.key_line == std::string::npos) return false;
  std::string_view found_key;
  std::string_view found;
  KeyLine(lines[place.key_line], found_key, found);
  found = found.substr(0, kMaxValueLength);
  if (found == kIniSentinel) return false;
  value.assign(found);
  return true;
}

bool ReadIniInt(const std::string& file, const std::string& section, const std::string& key,
                int& value) {
  std::string text;
  if (!ReadIniString(file, section, key, text)) return false;
  int number = 0;
  if (!ParseInt(text, number)) return false;
  value = number;
  return true;
}

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  if (!WritableSection(section) || !WritableKey(key) || !WritableValue(value)) {
    return WriteFailed(file);
  }
  // One writer at a time, so two writes to one file never lose each other's key.
  static std::mutex write_lock;
  std::lock_guard<std::mutex> guard(write_lock);
  std::string content;
  // A file that exists but cannot be read whole is never replaced.
  if (LoadFile(file, content) == LoadResult::Unusable) return WriteFailed(file);
  std::vector<std::string> lines = SplitLines(content);
  KeyPlace place = FindKey(lines, Trim(section), Trim(key));
  if (place.key_line != std::string::npos) {
    std::string& line = lines[place.key_line];
    line.resize(line.find('=') + 1);  // keeps the key as it was spelt
    line += value;
  } else if (place.section_header != std::string::npos) {
    // After the section's last non-blank line, so blank separators stay in place.
    std::size_t at = place.section_end;
    while (at > place.section_header + 1 && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), key + "=" + value);
  } else {
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
  }
  if (!ReplaceFile(file, lines)) return WriteFailed(file);
  return true;
}

bool WriteIniInt(const std::string& file, const std::string& section, const std::string& key,
                 int value) {
  return WriteIniString(file, section, key, FixedText(16, 0, value));
}

bool WriteIniYesNo(const std::string& file, const std::string& section, const std::string& key,
                   bool value) {
  return WriteIniString(file, section, key, YesNoText(value));
}

bool FlushIniFile(const std::string& file) {
  bool whole = true;
  {
    FailedWrites& failed = TheFailedWrites();
    std::lock_guard<std::mutex> guard(failed.lock);
    whole = failed.paths.erase(PathKey(file)) == 0;
  }
  if (PathExists(file)) {
    std::error_code error;
    std::string directory = fs::absolute(file, error).parent_path().string();
    whole = SyncPath(file, O_RDONLY) && whole;
    // Makes the rename durable; not every file system can sync a directory.
    if (!error) SyncPath(directory, O_RDONLY | O_DIRECTORY);
  }
  std::fflush(nullptr);
  return whole;
}

}  // namespace tessel
