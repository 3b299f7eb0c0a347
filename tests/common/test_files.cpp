#include "common/test_files.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

namespace tessel::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() /
                         ("tessel-test-" + std::to_string(::getpid()) + "-" +
                          std::to_string(counter++) + "-" + std::to_string(random() % 100000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = fs::canonical(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
  std::error_code error;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

std::string TempDir::File(const std::string& name) const { return (path_ / name).string(); }

ScopedCurrentDirectory::ScopedCurrentDirectory(const fs::path& dir)
    : previous_(fs::current_path()) {
  fs::current_path(dir);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  std::error_code error;
  fs::current_path(previous_, error);
}

std::string RecordingPath(const std::string& name) {
  return (fs::path(TESSEL_RECORDINGS_DIR) / name).string();
}

bool RecordingsAvailable() {
  std::error_code error;
  return fs::exists(fs::path(TESSEL_RECORDINGS_DIR) / "sample.c10", error);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string CliPath() { return TESSEL_CLI_PATH; }

std::string RunCli(const std::string& arguments, int& status) {
  std::string command = CliPath() + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  std::array<char, 4096> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) output.append(chunk.data(), n);
  int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

}  // namespace tessel::test
