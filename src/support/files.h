// File helpers: names and existence, the input file the reader walks, the one output
// writer every file of the program goes through, and the small stream-file helpers.
//
// Every write is checked. The first failure of an output file is kept as
// "cannot write <file>: <reason>" and every later write of that file fails, so no file
// that was not written whole can be reported as written. Tests inject failures
// (disk full, no permission) through SetWriteFaultForTesting.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The file name of the path (after the last separator or ':') up to its first '.';
// the path is cut to 259 characters and trimmed of blanks and control characters first.
std::string FileTitle(const std::string& path);
bool DirectoryExists(const std::string& path);
bool PathExists(const std::string& path);
// The system's text for an error number.
std::string SystemErrorText(int error_number);

enum class SeekOrigin { Begin, Current, End };

// A file opened for reading, shared with writers; move-only, closed by its destructor.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False (with error() set) when the file cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool is_open() const { return fd_ >= 0; }
  // Reads up to `size` bytes; the count read (short at the end), -1 on error.
  std::int64_t Read(void* buffer, std::size_t size);
  // New position, or -1 with errno kept in last_errno().
  std::int64_t Seek(SeekOrigin origin, std::int64_t offset);
  std::int64_t Position() const;
  // Size of the file in bytes, -1 on error.
  std::int64_t Size() const;
  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }
  int last_errno() const { return last_errno_; }

 private:
  int fd_ = -1;
  std::string path_;
  std::string error_;
  int last_errno_ = 0;
};

// One read of item_size * item_count bytes; the number of bytes actually read.
std::size_t ReadBlock(void* buffer, std::size_t item_size, std::size_t item_count,
                      InputFile& file);
// Moves the file pointer; logs "Cannot Seek File <reason>" and returns -1 on failure.
std::int64_t SeekFile(InputFile& file, SeekOrigin origin, std::int64_t offset);
// The current position; -1 when the file is not open or the system reports an error.
std::int64_t FilePosition(const InputFile& file);

// The one writer of output files: buffered, move-only, every write checked.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates (or empties) the file. False with error() "cannot create <file>: <reason>"
  // when it cannot be created.
  bool Create(const std::string& path);
  // Opens an existing file for update at its start (used to rewrite header lines);
  // false with error() "cannot open <file>: <reason>".
  bool OpenForUpdate(const std::string& path);
  bool Write(const void* data, std::size_t size);
  bool WriteText(std::string_view text);
  // The text followed by CR LF.
  bool WriteLine(std::string_view text);
  bool WriteByte(std::uint8_t value);
  bool WriteInt32(std::uint32_t value);  // little-endian
  // Flushes and moves to an absolute position.
  bool SeekTo(std::int64_t position);
  // Flushes the buffer to the system.
  bool Flush();
  // Flushes and closes; false when any write of the file failed.
  bool Close();
  bool is_open() const { return fd_ >= 0; }
  // True while no write has failed.
  bool ok() const { return error_.empty(); }
  // "cannot write <file>: <reason>" after the first failure, else empty.
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }
  // Bytes handed to the writer since Create.
  std::int64_t bytes_written() const { return written_; }

 private:
  bool Fail(int error_number);
  bool Drain();
  bool WriteThrough(const std::uint8_t* data, std::size_t size);
  int fd_ = -1;
  std::string path_;
  std::string error_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t written_ = 0;
};

// Test hook: after `bytes_allowed` more bytes reach the system through OutputFile,
// every system write fails with `error_number` (e.g. ENOSPC). A negative count removes it.
void SetWriteFaultForTesting(std::int64_t bytes_allowed, int error_number);

// Stream-file helpers (C stdio files). Given no file they do nothing and fail.
bool WriteByte(std::FILE* file, std::uint8_t value);
bool WriteInt32(std::FILE* file, std::uint32_t value);
bool ReadByte(std::FILE* file, std::uint8_t& value);
bool ReadInt32(std::FILE* file, std::uint32_t& value);
// The text followed by CR LF.
bool WriteTextLine(std::FILE* file, std::string_view text);

}  // namespace tessel
