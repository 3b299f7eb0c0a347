// File helpers: titles and existence, the input file, the checked output writer with
// injected failures, and the stream-file helpers.
#include "support/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"

namespace tessel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

// Removes any injected write failure when the test ends.
struct WriteFaultGuard {
  WriteFaultGuard(std::int64_t bytes_allowed, int error_number) {
    SetWriteFaultForTesting(bytes_allowed, error_number);
  }
  ~WriteFaultGuard() { SetWriteFaultForTesting(-1, 0); }
};

TEST(FileTitle, TakesTheNameUpToItsFirstDot) {
  struct Case {
    std::string path;
    std::string title;
  };
  const std::vector<Case> cases = {
      {"C:\\DATA\\RUN.7.CH10", "RUN"},
      {"C:\\DATA\\", ""},
      {"/data/flight/run7.c10", "run7"},
      {"NODOT", "NODOT"},
      {"C:NAME.PRJ", "NAME"},
      {"  \t/x/y/PLAN.PRJ \r\n", "PLAN"},
      {"/x/.hidden", ""},
      {"", ""},
      {"   ", ""},
      {"mixed/dir\\name.ext", "name"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileTitle(c.path), c.title) << c.path;
}

TEST(FileTitle, LooksOnlyAtTheFirst259Characters) {
  // The separator at 260 lies beyond the cut, so the title comes from the first part.
  std::string path = "/" + std::string(250, 'a') + "/" + std::string(7, 'b') + "/zz.x";
  ASSERT_GT(path.size(), 259u);
  EXPECT_EQ(FileTitle(path), "bbbbbbb");
}

TEST(FileExistence, TellsFilesFromDirectories) {
  TempDir dir;
  test::WriteTextFile(dir.File("a.txt"), "x");
  EXPECT_TRUE(PathExists(dir.File("a.txt")));
  EXPECT_FALSE(DirectoryExists(dir.File("a.txt")));
  EXPECT_TRUE(PathExists(dir.path().string()));
  EXPECT_TRUE(DirectoryExists(dir.path().string()));
  EXPECT_FALSE(PathExists(dir.File("missing")));
  EXPECT_FALSE(DirectoryExists(dir.File("missing")));
  EXPECT_FALSE(PathExists(""));
  EXPECT_FALSE(DirectoryExists(""));
}

TEST(SystemErrorText, GivesTheSystemsMessage) {
  EXPECT_EQ(SystemErrorText(ENOSPC), "No space left on device");
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
}

TEST(InputFile, ReadsSeeksAndReportsShortReadsAtTheEnd) {
  TempDir dir;
  test::WriteTextFile(dir.File("in.bin"), "0123456789");
  InputFile file;
  ASSERT_TRUE(file.Open(dir.File("in.bin"))) << file.error();
  EXPECT_EQ(file.Size(), 10);
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(FilePosition(file), 4);
  EXPECT_EQ(SeekFile(file, SeekOrigin::Current, 3), 7);
  EXPECT_EQ(file.Read(buffer, 8), 3);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(file.Read(buffer, 8), 0);
  EXPECT_EQ(SeekFile(file, SeekOrigin::End, -2), 8);
  EXPECT_EQ(SeekFile(file, SeekOrigin::Begin, 1), 1);
  EXPECT_EQ(ReadBlock(buffer, 2, 3, file), 6u);
  EXPECT_EQ(std::string(buffer, 6), "123456");

  InputFile moved = std::move(file);
  EXPECT_FALSE(file.is_open());
  EXPECT_EQ(FilePosition(moved), 7);
}

TEST(InputFile, MissingFileFailsWithTheReason) {
  TempDir dir;
  InputFile file;
  EXPECT_FALSE(file.Open(dir.File("none.c10")));
  EXPECT_EQ(file.error(), "cannot open " + dir.File("none.c10") + ": No such file or directory");
  EXPECT_EQ(FilePosition(file), -1);
  char buffer[4];
  EXPECT_EQ(ReadBlock(buffer, 1, 4, file), 0u);
}

TEST(InputFile, ReadBlockRefusesAnOverflowingSize) {
  TempDir dir;
  test::WriteTextFile(dir.File("in.bin"), "abc");
  InputFile file;
  ASSERT_TRUE(file.Open(dir.File("in.bin")));
  char buffer[4];
  EXPECT_EQ(ReadBlock(buffer, SIZE_MAX / 2, 3, file), 0u);
  EXPECT_EQ(FilePosition(file), 0);
}

TEST(SeekFile, FailureIsLoggedWithTheSystemErrorNumber) {
  test::LogSession log;
  test::WriteTextFile(log.dir().File("in.bin"), "abc");
  InputFile file;
  ASSERT_TRUE(file.Open(log.dir().File("in.bin")));
  static_assert(EINVAL == 22);
  EXPECT_EQ(SeekFile(file, SeekOrigin::Begin, -5), -1);
  std::vector<test::LogLine> lines = log.Lines();
  ASSERT_EQ(lines.size(), 1u) << log.Text();
  EXPECT_EQ(lines[0].code, "000022");  // EINVAL
  EXPECT_EQ(lines[0].message, "Cannot Seek File Invalid argument");
}

TEST(SeekFile, PositionWithLow32BitsAllOnesIsNoFailure) {
  test::LogSession log;
  test::WriteTextFile(log.dir().File("in.bin"), "abc");
  InputFile file;
  ASSERT_TRUE(file.Open(log.dir().File("in.bin")));
  const std::int64_t far = 0x1FFFFFFFFLL;
  EXPECT_EQ(SeekFile(file, SeekOrigin::Begin, far), far);
  EXPECT_EQ(FilePosition(file), far);
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

TEST(OutputFile, WritesTextLinesBytesAndLittleEndianWords) {
  TempDir dir;
  OutputFile out;
  ASSERT_TRUE(out.Create(dir.File("out.bin"))) << out.error();
  EXPECT_TRUE(out.WriteLine("A"));
  EXPECT_TRUE(out.WriteByte(0x7F));
  EXPECT_TRUE(out.WriteInt32(0x11223344));
  EXPECT_TRUE(out.WriteText("z"));
  EXPECT_EQ(out.bytes_written(), 9);
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(ReadWholeFile(dir.File("out.bin")),
            (std::vector<std::uint8_t>{'A', '\r', '\n', 0x7F, 0x44, 0x33, 0x22, 0x11, 'z'}));
}

TEST(OutputFile, LargeWritesArriveWhole) {
  TempDir dir;
  std::vector<std::uint8_t> data(300'000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  OutputFile out;
  ASSERT_TRUE(out.Create(dir.File("big.bin")));
  EXPECT_TRUE(out.Write(data.data(), 10));
  EXPECT_TRUE(out.Write(data.data() + 10, data.size() - 10));
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(ReadWholeFile(dir.File("big.bin")), data);
}

TEST(OutputFile, CreateReplacesAnOldFile) {
  TempDir dir;
  test::WriteTextFile(dir.File("f.txt"), "old contents");
  OutputFile out;
  ASSERT_TRUE(out.Create(dir.File("f.txt")));
  EXPECT_TRUE(out.WriteText("new"));
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(test::ReadTextFile(dir.File("f.txt")), "new");
}

TEST(OutputFile, UpdateRewritesHeaderLinesInPlace) {
  TempDir dir;
  test::WriteTextFile(dir.File("a.ark"), "Start 000\r\nStop  000\r\nDATA");
  OutputFile out;
  ASSERT_TRUE(out.OpenForUpdate(dir.File("a.ark"))) << out.error();
  EXPECT_TRUE(out.WriteText("Start 123"));
  EXPECT_TRUE(out.SeekTo(11));
  EXPECT_TRUE(out.WriteText("Stop  456"));
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(test::ReadTextFile(dir.File("a.ark")), "Start 123\r\nStop  456\r\nDATA");
  EXPECT_FALSE(out.OpenForUpdate(dir.File("missing.ark")));
  EXPECT_EQ(out.error(), "cannot open " + dir.File("missing.ark") + ": No such file or directory");
}

TEST(OutputFile, DiskFullIsReportedAndLaterWritesFail) {
  TempDir dir;
  const std::string path = dir.File("full.ark");
  OutputFile out;
  ASSERT_TRUE(out.Create(path));
  {
    WriteFaultGuard fault(5, ENOSPC);
    EXPECT_TRUE(out.WriteText("0123456789"));  // still in the buffer
    EXPECT_FALSE(out.Flush());
    EXPECT_FALSE(out.ok());
    EXPECT_EQ(out.error(), "cannot write " + path + ": No space left on device");
  }
  // Once failed, the file stays failed even though the disk has room again.
  EXPECT_FALSE(out.WriteText("more"));
  EXPECT_FALSE(out.Flush());
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(out.error(), "cannot write " + path + ": No space left on device");
  EXPECT_EQ(test::ReadTextFile(path), "01234");
}

TEST(OutputFile, FailureFoundAtCloseMakesCloseFail) {
  TempDir dir;
  const std::string path = dir.File("late.ark");
  OutputFile out;
  ASSERT_TRUE(out.Create(path));
  WriteFaultGuard fault(0, EACCES);
  EXPECT_TRUE(out.WriteText("abc"));
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(out.error(), "cannot write " + path + ": Permission denied");
}

TEST(OutputFile, MissingDirectoryFailsCreateWithTheReason) {
  TempDir dir;
  const std::string path = dir.File("no-such-dir/x.pdb");
  OutputFile out;
  EXPECT_FALSE(out.Create(path));
  EXPECT_FALSE(out.is_open());
  EXPECT_EQ(out.error(), "cannot create " + path + ": No such file or directory");
  EXPECT_FALSE(out.WriteText("x"));
  EXPECT_FALSE(out.Close());
}

TEST(OutputFile, MovedFileKeepsWritingAndDestructorCloses) {
  TempDir dir;
  {
    OutputFile first;
    ASSERT_TRUE(first.Create(dir.File("m.txt")));
    EXPECT_TRUE(first.WriteText("ab"));
    OutputFile second = std::move(first);
    EXPECT_FALSE(first.is_open());
    EXPECT_TRUE(second.WriteText("cd"));
  }
  EXPECT_EQ(test::ReadTextFile(dir.File("m.txt")), "abcd");
}

// A stdio file over a temporary file with the given contents, closed on destruction.
class StreamFile {
 public:
  StreamFile(const TempDir& dir, const std::string& contents, const char* mode) {
    path_ = dir.File("stream.bin");
    test::WriteTextFile(path_, contents);
    file_ = std::fopen(path_.c_str(), mode);
  }
  ~StreamFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;
  std::FILE* get() const { return file_; }
  std::string Close() {
    std::fclose(file_);
    file_ = nullptr;
    return test::ReadTextFile(path_);
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

TEST(StreamFiles, ReadInt32NeedsAllFourBytes) {
  TempDir dir;
  StreamFile file(dir, std::string("\x04\x03\x02\x01\xAA\xBB\xCC", 7), "rb");
  ASSERT_NE(file.get(), nullptr);
  std::uint32_t word = 0;
  EXPECT_TRUE(ReadInt32(file.get(), word));
  EXPECT_EQ(word, 0x01020304u);
  EXPECT_FALSE(ReadInt32(file.get(), word));
  EXPECT_EQ(word, 0x01020304u);
}

TEST(StreamFiles, ReadByteStopsAtTheEnd) {
  TempDir dir;
  StreamFile file(dir, "\xFE", "rb");
  std::uint8_t byte = 0;
  EXPECT_TRUE(ReadByte(file.get(), byte));
  EXPECT_EQ(byte, 0xFE);
  EXPECT_FALSE(ReadByte(file.get(), byte));
}

TEST(StreamFiles, WritesBytesWordsAndCrLfLines) {
  TempDir dir;
  StreamFile file(dir, "", "wb");
  EXPECT_TRUE(WriteByte(file.get(), 0x41));
  EXPECT_TRUE(WriteInt32(file.get(), 0x64636261));
  EXPECT_TRUE(WriteTextLine(file.get(), "line"));
  EXPECT_EQ(file.Close(), "Aabcdline\r\n");
}

TEST(StreamFiles, NoFileDoesNothingAndFails) {
  std::uint8_t byte = 9;
  std::uint32_t word = 9;
  EXPECT_FALSE(WriteByte(nullptr, 1));
  EXPECT_FALSE(WriteInt32(nullptr, 1));
  EXPECT_FALSE(ReadByte(nullptr, byte));
  EXPECT_FALSE(ReadInt32(nullptr, word));
  EXPECT_FALSE(WriteTextLine(nullptr, "x"));
  EXPECT_EQ(byte, 9);
  EXPECT_EQ(word, 9u);
}

}  // namespace
}  // namespace tessel
