#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>
#include <utility>

#include "support/log.h"

namespace tessel {

static_assert(sizeof(off_t) >= 8, "recordings need 64-bit file offsets");

namespace {

namespace fs = std::filesystem;

// The longest path the title is taken from; longer paths are cut first.
constexpr std::size_t kMaxTitlePath = 259;
// Bytes OutputFile collects before handing them to the system.
constexpr std::size_t kOutputBufferSize = 64 * 1024;
// Largest single read or write handed to the system (Linux moves at most ~2 GiB at once).
constexpr std::size_t kMaxSystemTransfer = std::size_t{1} << 30;

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// The injected write failure of SetWriteFaultForTesting.
struct WriteFault {
  std::mutex lock;
  std::atomic<bool> active{false};
  std::int64_t bytes_left = 0;
  int error_number = 0;
};

WriteFault& TheWriteFault() {
  static WriteFault fault;
  return fault;
}

// write(2) for OutputFile, through the injected fault when one is set.
ssize_t SystemWrite(int fd, const std::uint8_t* data, std::size_t size) {
  WriteFault& fault = TheWriteFault();
  if (!fault.active) return ::write(fd, data, size);
  std::lock_guard<std::mutex> guard(fault.lock);
  if (fault.active) {
    if (fault.bytes_left <= 0) {
      errno = fault.error_number;
      return -1;
    }
    size = std::min(size, static_cast<std::size_t>(fault.bytes_left));
  }
  ssize_t done = ::write(fd, data, size);
  if (fault.active && done > 0) fault.bytes_left -= done;
  return done;
}

int SeekWhence(SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin:
      return SEEK_SET;
    case SeekOrigin::Current:
      return SEEK_CUR;
    case SeekOrigin::End:
      return SEEK_END;
  }
  return SEEK_SET;
}

}  // namespace

// --- Names and existence ---

std::string FileTitle(const std::string& path) {
  std::string_view text(path);
  if (text.size() > kMaxTitlePath) text = text.substr(0, kMaxTitlePath);
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  std::size_t separator = text.find_last_of("/\\:");
  if (separator != std::string_view::npos) text.remove_prefix(separator + 1);
  return std::string(text.substr(0, text.find('.')));
}

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return fs::is_directory(path, error);
}

bool PathExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return fs::exists(path, error);
}

std::string SystemErrorText(int error_number) {
  return std::generic_category().message(error_number);
}

// --- InputFile ---

InputFile::~InputFile() {
  Close();
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)),
      last_errno_(other.last_errno_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
    last_errno_ = other.last_errno_;
  }
  return *this;
}

bool InputFile::Open(const std::string& path) {
  Close();
  path_ = path;
  error_.clear();
  last_errno_ = 0;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    last_errno_ = errno;
    error_ = "cannot open " + path + ": " + SystemErrorText(last_errno_);
    return false;
  }
  struct stat info {};
  if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
    last_errno_ = EISDIR;
    error_ = "cannot open " + path + ": " + SystemErrorText(EISDIR);
    Close();
    return false;
  }
  return true;
}

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::int64_t InputFile::Read(void* buffer, std::size_t size) {
  if (fd_ < 0) {
    last_errno_ = EBADF;
    return -1;
  }
  size = std::min<std::size_t>(size, std::numeric_limits<std::int64_t>::max());
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t total = 0;
  // Keep reading until the request is met, so a short count always means end of file.
  while (total < size) {
    ssize_t got = ::read(fd_, out + total, std::min(size - total, kMaxSystemTransfer));
    if (got < 0) {
      if (errno == EINTR) continue;
      last_errno_ = errno;
      return -1;
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(total);
}

std::int64_t InputFile::Seek(SeekOrigin origin, std::int64_t offset) {
  if (fd_ < 0) {
    last_errno_ = EBADF;
    return -1;
  }
  off_t position = ::lseek(fd_, static_cast<off_t>(offset), SeekWhence(origin));
  if (position < 0) {
    last_errno_ = errno;
    return -1;
  }
  return static_cast<std::int64_t>(position);
}

std::int64_t InputFile::Position() const {
  if (fd_ < 0) return -1;
  off_t position = ::lseek(fd_, 0, SEEK_CUR);
  return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

std::int64_t InputFile::Size() const {
  if (fd_ < 0) return -1;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

std::size_t ReadBlock(void* buffer, std::size_t item_size, std::size_t item_count,
                      InputFile& file) {
  if (item_size != 0 && item_count > std::numeric_limits<std::size_t>::max() / item_size) {
    return 0;
  }
  std::int64_t got = file.Read(buffer, item_size * item_count);
  return got < 0 ? 0 : static_cast<std::size_t>(got);
}

std::int64_t SeekFile(InputFile& file, SeekOrigin origin, std::int64_t offset) {
  std::int64_t position = file.Seek(origin, offset);
  if (position < 0) {
    LogMessage("Cannot Seek File " + SystemErrorText(file.last_errno()), file.last_errno());
    return -1;
  }
  return position;
}

std::int64_t FilePosition(const InputFile& file) {
  return file.Position();
}

// --- OutputFile ---

OutputFile::~OutputFile() {
  Close();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)),
      buffer_(std::move(other.buffer_)),
      written_(std::exchange(other.written_, 0)) {
  other.buffer_.clear();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
    buffer_ = std::move(other.buffer_);
    other.buffer_.clear();
    written_ = std::exchange(other.written_, 0);
  }
  return *this;
}

bool OutputFile::Create(const std::string& path) {
  Close();
  path_ = path;
  error_.clear();
  buffer_.clear();
  written_ = 0;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    error_ = "cannot create " + path + ": " + SystemErrorText(errno);
    return false;
  }
  buffer_.reserve(kOutputBufferSize);
  return true;
}

bool OutputFile::OpenForUpdate(const std::string& path) {
  Close();
  path_ = path;
  error_.clear();
  buffer_.clear();
  written_ = 0;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "cannot open " + path + ": " + SystemErrorText(errno);
    return false;
  }
  buffer_.reserve(kOutputBufferSize);
  return true;
}

bool OutputFile::Fail(int error_number) {
  if (error_.empty()) error_ = "cannot write " + path_ + ": " + SystemErrorText(error_number);
  buffer_.clear();
  return false;
}

bool OutputFile::WriteThrough(const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    std::size_t chunk = std::min(size - done, kMaxSystemTransfer);
    ssize_t put = SystemWrite(fd_, data + done, chunk);
    if (put < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    if (put == 0) return Fail(EIO);
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool OutputFile::Drain() {
  if (!WriteThrough(buffer_.data(), buffer_.size())) return false;
  buffer_.clear();
  return true;
}

bool OutputFile::Write(const void* data, std::size_t size) {
  if (!ok()) return false;
  if (fd_ < 0) return Fail(EBADF);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  // A write at least as large as the buffer goes straight to the system once the
  // buffered bytes are out: one large write instead of many buffer-sized copies.
  if (size >= kOutputBufferSize) {
    if (!buffer_.empty() && !Drain()) return false;
    if (!WriteThrough(bytes, size)) return false;
    written_ += static_cast<std::int64_t>(size);
    return true;
  }
  while (size > 0) {
    std::size_t take = std::min(kOutputBufferSize - buffer_.size(), size);
    buffer_.insert(buffer_.end(), bytes, bytes + take);
    bytes += take;
    size -= take;
    written_ += static_cast<std::int64_t>(take);
    if (buffer_.size() >= kOutputBufferSize && !Drain()) return false;
  }
  return true;
}

bool OutputFile::WriteText(std::string_view text) {
  return Write(text.data(), text.size());
}

bool OutputFile::WriteLine(std::string_view text) {
  return WriteText(text) && WriteText("\r\n");
}

bool OutputFile::WriteByte(std::uint8_t value) {
  return Write(&value, 1);
}

bool OutputFile::WriteInt32(std::uint32_t value) {
  const std::array<std::uint8_t, 4> bytes{
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return Write(bytes.data(), bytes.size());
}

bool OutputFile::SeekTo(std::int64_t position) {
  if (!Flush()) return false;
  if (position < 0) return Fail(EINVAL);
  if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) return Fail(errno);
  return true;
}

bool OutputFile::Flush() {
  if (!ok()) return false;
  if (fd_ < 0) return Fail(EBADF);
  return Drain();
}

bool OutputFile::Close() {
  if (fd_ < 0) return ok();
  if (ok()) Drain();
  // close(2) can report a delayed write failure (network file systems, quotas).
  if (::close(fd_) != 0 && errno != EINTR) Fail(errno);
  fd_ = -1;
  buffer_.clear();
  return ok();
}

void SetWriteFaultForTesting(std::int64_t bytes_allowed, int error_number) {
  WriteFault& fault = TheWriteFault();
  std::lock_guard<std::mutex> guard(fault.lock);
  fault.active = bytes_allowed >= 0;
  fault.bytes_left = bytes_allowed;
  fault.error_number = error_number;
}

// --- Stream-file helpers ---

bool WriteByte(std::FILE* file, std::uint8_t value) {
  return file != nullptr && std::fputc(value, file) != EOF;
}

bool WriteInt32(std::FILE* file, std::uint32_t value) {
  if (file == nullptr) return false;
  const std::array<std::uint8_t, 4> bytes{
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool ReadByte(std::FILE* file, std::uint8_t& value) {
  if (file == nullptr) return false;
  int c = std::fgetc(file);
  if (c == EOF) return false;
  value = static_cast<std::uint8_t>(c);
  return true;
}

bool ReadInt32(std::FILE* file, std::uint32_t& value) {
  if (file == nullptr) return false;
  std::array<std::uint8_t, 4> bytes{};
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
  value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
          (static_cast<std::uint32_t>(bytes[2]) << 16) |
          (static_cast<std::uint32_t>(bytes[3]) << 24);
  return true;
}

bool WriteTextLine(std::FILE* file, std::string_view text) {
  if (file == nullptr) return false;
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
  return std::fwrite("\r\n", 1, 2, file) == 2;
}

}  // namespace tessel
