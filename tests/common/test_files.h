// Test helpers: private temporary directories, the sample recordings beside the
// checkout, whole-file reads, and a log session in a directory of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessel::test {

// A fresh directory under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // path() / name, as text.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Makes `dir` the current directory and restores the previous one on destruction.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& dir);
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// Path of a sample recording in the shared folder beside the checkout.
std::string RecordingPath(const std::string& name);
// True when the sample recordings are there (tests skip otherwise).
bool RecordingsAvailable();

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
std::string ReadTextFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);

// Path of the built tessel-cli.
std::string CliPath();
// Runs tessel-cli with the arguments (shell syntax); stdout and stderr together.
// `status` is the exit status, or -1 when it did not exit normally.
std::string RunCli(const std::string& arguments, int& status);

}  // namespace tessel::test
