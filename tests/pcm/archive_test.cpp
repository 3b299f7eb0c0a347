#include "pcm/archive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"
#include "pcm/archive_builder.h"
#include "support/files.h"
#include "support/format.h"
#include "support/ui.h"

namespace tessel {
namespace {

using test::ArkSetup;

// Removes any injected write failure when the test ends.
struct WriteFaultGuard {
  WriteFaultGuard(std::int64_t bytes_allowed, int error_number) {
    SetWriteFaultForTesting(bytes_allowed, error_number);
  }
  ~WriteFaultGuard() { SetWriteFaultForTesting(-1, 0); }
};

std::string Text(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size) {
  std::string text;
  for (std::size_t i = offset; i < offset + size && i < bytes.size(); ++i) {
    text += static_cast<char>(bytes[i]);
  }
  return text;
}

double DoubleAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  double value = 0.0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

std::uint16_t U16At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// An archive in a private directory, dated 2024.
class ArchiveFile : public ::testing::Test {
 protected:
  ArchiveFile() {
    file.SetYearSource([this] { return year; });
  }
  std::string Path() const { return dir.File("T_STREAM_1.ARK"); }
  std::vector<std::uint8_t> Bytes() const { return test::ReadWholeFile(Path()); }

  test::TempDir dir;
  int year = 2024;
  ArkFile file;
};

// --- Header record ---

TEST(BuildArkHeader, BlockSizesFollowTheFrameShape) {
  struct Case {
    int words, frames;
    std::int32_t serial, total;
  };
  const std::vector<Case> cases = {
      {256, 1, 522, 630},  // (256 + 5) x 1 x 2; + 96 + 4 + 8
      {10, 4, 120, 228},
      {0, 1, 10, 118},
      {16383, 32767, 1'073'971'192, 1'073'971'300},  // the largest setup stays in 32 bits
      {-3, -2, 0, 108},                              // negative counts are taken as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    const auto setup = ArkSetup(c.words, c.frames);
    const arkheaderstruct h = BuildArkHeader(*setup, 1, "S.B72", ArkTagNames());
    EXPECT_EQ(h.BlockSizeSerial, c.serial);
    EXPECT_EQ(h.BlockSizeDevice, 96);
    EXPECT_EQ(h.BlockSizeMisc, 4);
    EXPECT_EQ(h.BlockSizeTotal, c.total);
  }
}

TEST(BuildArkHeader, CopiesTheStreamAndSetupFields) {
  auto setup = ArkSetup(10, 2, 1600);
  setup->NumSubframes = 4;
  setup->FirstFrame = 1;
  setup->SubFrameIdWord = 3;
  setup->eWordAlignment = kWordAlignmentLeft;
  const arkheaderstruct h = BuildArkHeader(*setup, 5, "/d/X.B72", ArkTagNames());
  EXPECT_EQ(h.Version, 11);
  EXPECT_EQ(h.StartTime, 0.0);
  EXPECT_EQ(h.StopTime, 0.0);
  EXPECT_EQ(h.StreamId, 5);
  EXPECT_EQ(h.CardIndex, 5);
  EXPECT_EQ(h.WordsPerFrame, 10);
  EXPECT_EQ(h.NumSubframes, 4);
  EXPECT_EQ(h.SubframeIdStartCount, 1);
  EXPECT_EQ(h.SubframeIdWord, 3);
  EXPECT_FALSE(h.RightAligned);
  EXPECT_EQ(h.FramesPerInterrupt, 2);
  EXPECT_EQ(h.Application, 2);
  EXPECT_EQ(h.SetupFileName, "/d/X.B72");
  EXPECT_EQ(h.StatusTagNames, ArkTagNames());
  EXPECT_DOUBLE_EQ(h.FrameRate, 10.0);  // 10 words x 16 bits at 1600 bit/s
  EXPECT_EQ(h.Notes[0], "");
  EXPECT_EQ(h.Notes[3], ArkDescription(60, 12));
}

TEST(BuildArkHeader, FrameRateLine) {
  struct Case {
    int words, bit_rate;
    std::string line;
  };
  const std::vector<Case> cases = {
      {256, 0, "Serial Frame Rate (Hz) :100.0   "},            // no bit rate: 0.01 s frames
      {256, 1'024'000, "Serial Frame Rate (Hz) :250.0   "},    // 4 ms frames
      {1, 2'000'000'000, "Serial Frame Rate (Hz) :1250000 "},  // the number cut to 7
      {0, 1'024'000, "Serial Frame Rate (Hz) :0.0     "},      // a frame without bits
  };
  for (const Case& c : cases) {
    const auto setup = ArkSetup(c.words, 1, c.bit_rate);
    const auto lines = ArkHeaderLines(BuildArkHeader(*setup, 0, "", ArkTagNames()), 2024);
    const std::string* found = nullptr;
    for (const std::string& line : lines) {
      if (line.starts_with("Serial Frame Rate")) found = &line;
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, c.line);
    EXPECT_EQ(found->size(), 32u);
  }
}

TEST(BuildArkHeader, LongNamesAreCutSoTheHeaderAlwaysFits) {
  const auto setup = ArkSetup(16383, 32767, std::numeric_limits<std::int32_t>::max());
  std::vector<std::string> tags(50, std::string(100, 'T'));
  arkheaderstruct h = BuildArkHeader(*setup, 7, std::string(5000, 'F'), tags);
  h.StartTime = h.StopTime = kMaxTimeOfYear;
  h.NumSubframes = h.SubframeIdStartCount = h.SubframeIdWord = -1'000'000;
  EXPECT_EQ(h.SetupFileName.size(), 259u);
  ASSERT_EQ(h.StatusTagNames.size(), 40u);
  EXPECT_EQ(h.StatusTagNames[0].size(), 32u);
  EXPECT_EQ(h.BlockSizeDevice, 320);
  EXPECT_EQ(ArkHeaderText(h, 9999).size(), 5120u);
}

// --- Header text ---

TEST_F(ArchiveFile, HeaderTextOfASmallSetup) {
  auto setup = ArkSetup(10, 2, 1600);
  setup->NumSubframes = 4;
  setup->FirstFrame = 1;
  setup->SubFrameIdWord = 3;
  setup->eWordAlignment = kWordAlignmentRight;
  ASSERT_TRUE(file.Create(Path()));
  const ArkLineOffsets offsets =
      WriteArkHeader(file, BuildArkHeader(*setup, 2, "/data/FLIGHT7_STREAM_3.B72", ArkTagNames()));
  ASSERT_TRUE(file.Close());

  std::string expected =
      "VELTRANE 8.0 ARCHIVE FILE FORMAT\r\n"
      "Archive File Version :11\r\n"
      "Start Time :000:00:00:00.000000  YEAR 2024\r\n"
      "Stop Time  :000:00:00:00.000000  YEAR 2024\r\n"
      "BlockSizeTotal (bytes) :168\r\n"
      "BlockSizeTimeStamp :8\r\n"
      "BlockSizeMisc (bytes) :4\r\n"
      "BlockSizeSerial (bytes) :60\r\n"
      "BlockSizeDevice (bytes) :96\r\n"
      "Stream ID (0 based) :2\r\n"
      "Serial Words Per Frame :10\r\n"
      "Serial Num Subframes :4\r\n"
      "Serial Subframe ID Start Count :1\r\n"
      "Serial Subframe ID Word Number (1 based) :3\r\n"
      "Serial Data Right Aligned :YES\r\n"
      "Serial Frames Per Interrupt :2\r\n"
      "Serial Data Application :2\r\n"
      "Serial Data Card Index :2\r\n"
      "Serial Data Setup Filename :/data/FLIGHT7_STREAM_3.B72\r\n"
      "Status Tag Name :D__72_DATAVALID\r\n"
      "Status Tag Name :D__72_DEC_MAJFRM\r\n"
      "Status Tag Name :D__72_DEC_MINFRM\r\n"
      "Status Tag Name :D__72_DEC_TOY\r\n"
      "Status Tag Name :D__72_DEC_CLOCK\r\n"
      "Status Tag Name :D__72_DEC_RTALIGN\r\n"
      "Status Tag Name :D__72_IRIG_TIME\r\n"
      "Status Tag Name :D__72_BIT_STATUS\r\n"
      "Status Tag Name :D__72_BIT_CONF\r\n"
      "Status Tag Name :D__72_IRIG_STATUS\r\n"
      "Status Tag Name :D__72_SPARE1\r\n"
      "Status Tag Name :D__72_SPARE2\r\n"
      "Num Serial Stream Header Words :5\r\n"
      "Serial Frame Rate (Hz) :10.0    \r\n"
      "....PROJECT NOTES....\r\n";
  for (int i = 0; i < 3; ++i) expected += std::string(256, ' ') + "\r\n";
  expected +=
      "....END PROJECT NOTES....\r\n"
      "After the header, Data will read System TimeStamp (a double time of year in seconds), "
      "then  Spare1 signed byte, then  Spare2 signed byte, then  Run number (an unsigned "
      "short (2 bytes)), then 30  Tags for data stream of WORD (2 bytes per word, which "
      "includes 5 header words per minor frame), then 12  Tags for the device values of "
      "DOUBLE (8 bytes per tag)and then repeat itself.    After that, the rest of the header "
      "is fill data, with the fill character of A.   The total header size is 5120, not "
      "including the NULL character.\r\n";
  ASSERT_LT(expected.size(), 5118u);
  expected += std::string(5118 - expected.size(), 'A') + "\r\n";
  expected += '\0';

  const std::vector<std::uint8_t> bytes = Bytes();
  ASSERT_EQ(bytes.size(), 5121u);
  EXPECT_EQ(Text(bytes, 0, bytes.size()), expected);
  EXPECT_TRUE(offsets.ok);
  EXPECT_EQ(offsets.start_line, 60);  // after the 32- and 24-character lines
  EXPECT_EQ(offsets.stop_line, 104);  // after the 42-character Start line
}

TEST(ArkHeaderText, ControlCharactersInTextsBecomeBlanks) {
  const auto setup = ArkSetup(10, 1);
  arkheaderstruct h = BuildArkHeader(*setup, 0, "A\r\nB", {"T\x01G"});
  h.Notes[0] = "x\ny";
  const std::vector<std::string> lines = ArkHeaderLines(h, 2024);
  EXPECT_EQ(lines[18], "Serial Data Setup Filename :A  B");
  EXPECT_EQ(lines[19], "Status Tag Name :T G");
  EXPECT_EQ(lines[23].substr(0, 3), "x y");
  // The text has one CR LF per line and one after the fill.
  const std::string text = ArkHeaderText(h, 2024);
  std::size_t breaks = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++breaks;
  }
  EXPECT_EQ(breaks, lines.size() + 1);
}

TEST_F(ArchiveFile, HeaderThatCannotBeWrittenFailsTheFile) {
  const auto setup = ArkSetup(10, 1);
  struct Case {
    const char* what;
    void (*damage)(arkheaderstruct&);
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"too long", [](arkheaderstruct& h) { h.SetupFileName.assign(6000, 'F'); },
       "the header lines do not fit in 5118 bytes"},
      {"total", [](arkheaderstruct& h) { h.BlockSizeTotal += 2; },
       "the header's block sizes do not add up"},
      {"misc",
       [](arkheaderstruct& h) {
         h.BlockSizeMisc = 6;
         h.BlockSizeTotal += 2;
       },
       "the header's block sizes do not add up"},
      {"negative",
       [](arkheaderstruct& h) {
         h.BlockSizeSerial = -100;
         h.BlockSizeTotal -= 130;
       },
       "the header's block sizes do not add up"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    arkheaderstruct h = BuildArkHeader(*setup, 0, "S", ArkTagNames());
    c.damage(h);
    ASSERT_TRUE(file.Create(Path()));
    EXPECT_FALSE(WriteArkHeader(file, h).ok);
    EXPECT_EQ(file.error(), "cannot write " + Path() + ": " + c.reason);
    EXPECT_FALSE(WriteArkRecord(file, 1.0, {}, {}));
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(Bytes().size(), 0u);
  }
}

// --- Time words ---

TEST(ArkTime, SplitRoundsMicrosecondsAndCarries) {
  struct Case {
    double t;
    ArkTime time;
  };
  const std::vector<Case> cases = {
      {0.0, {0, 0, 0, 0, 0}},
      {86'400.0 * 123 + 45'296.789012, {123, 12, 34, 56, 789'012}},
      {0.0078125, {0, 0, 0, 0, 7'812}},                  // 7 812.5 us: an exact half goes down
      {59.9999996, {0, 0, 1, 0, 0}},                     // rounds to a whole second: carried
      {86'400.0 * 2 + 86'399.9999997, {3, 0, 0, 0, 0}},  // carried on into the day
      {3'599.9999999, {0, 1, 0, 0, 0}},
      {kMaxTimeOfYear, {367, 0, 0, 0, 0}},
      {-1.0, {}},
      {kMaxTimeOfYear + 1.0, {}},
      {std::nan(""), {}},
      {std::numeric_limits<double>::infinity(), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    EXPECT_EQ(SplitArkTime(c.t), c.time);
  }
}

TEST(ArkTime, BcdWordsAndTheStoredHeaderWords) {
  const double t = 86'400.0 * 123 + 45'296.789012;
  const std::array<std::uint16_t, 4> bcd = ArkTimeBcd(t);
  EXPECT_EQ(bcd, (std::array<std::uint16_t, 4>{0x0123, 0x1234, 0x5678, 0x9012}));
  EXPECT_EQ(ArkFrameHeaderWords(0x405, t),
            (std::array<std::uint16_t, 5>{0x2301, 0x3412, 0x7856, 0x1290, 0x7005}));
  EXPECT_EQ(ArkFrameHeaderWords(0, 0.0), (std::array<std::uint16_t, 5>{0, 0, 0, 0, 0x7000}));
  EXPECT_EQ(ArkFrameHeaderWords(-1, 0.0)[4], 0x73FF);
  // The carry reaches the words: 59.9999996 s is written as 00:01:00.000000.
  EXPECT_EQ(ArkTimeBcd(59.9999996), (std::array<std::uint16_t, 4>{0x0000, 0x0001, 0x0000, 0x0000}));
}

// --- Device values, file name ---

TEST(ArkDeviceValues, FollowTheTagTable) {
  EXPECT_EQ(ArkTagNames(),
            (std::vector<std::string>{"D__72_DATAVALID", "D__72_DEC_MAJFRM", "D__72_DEC_MINFRM",
                                      "D__72_DEC_TOY", "D__72_DEC_CLOCK", "D__72_DEC_RTALIGN",
                                      "D__72_IRIG_TIME", "D__72_BIT_STATUS", "D__72_BIT_CONF",
                                      "D__72_IRIG_STATUS", "D__72_SPARE1", "D__72_SPARE2"}));
  EXPECT_EQ(ArkDeviceValues(1234.5, 1'024'000.0, 2),
            (std::array<double, 12>{3.0, 2.0, 2.0, 1234.5, 1'024'000.0, 1.0, 1234.5, 2.0,
                                    16'777'215.0, 1.0, 0.0, 0.0}));
}

TEST(ArkFileName, DirectoryKeepsItsCaseTheNameIsUpperCase) {
  EXPECT_EQ(ArkFileName("/x/y", "plan", 0), "/x/y/PLAN_STREAM_1.ARK");
  EXPECT_EQ(ArkFileName("/Data/Mixed", "Flight7", 7), "/Data/Mixed/FLIGHT7_STREAM_8.ARK");
  EXPECT_EQ(ArkFileName("/x/y/", "P", 2), "/x/y/P_STREAM_3.ARK");
  EXPECT_EQ(ArkFileName("", "t", 1), "T_STREAM_2.ARK");
}

// --- Records ---

TEST_F(ArchiveFile, RecordsAreWholeBlocksAfterTheHeader) {
  // Buffers smaller than, equal to and larger than a record take different paths.
  for (std::size_t buffer : {std::size_t{64}, std::size_t{630}, kArkDefaultBufferSize}) {
    SCOPED_TRACE(buffer);
    ArkFile ark(buffer);
    ASSERT_TRUE(ark.Create(Path()));
    const auto setup = ArkSetup(256, 1);
    const arkheaderstruct h = BuildArkHeader(*setup, 0, "S", ArkTagNames());
    ASSERT_TRUE(WriteArkHeader(ark, h).ok);
    std::vector<std::uint16_t> serial(261);
    for (std::size_t i = 0; i < serial.size(); ++i) serial[i] = static_cast<std::uint16_t>(i + 1);
    const auto devices = ArkDeviceValues(100.25, 1e6, 2);
    EXPECT_TRUE(WriteArkRecord(ark, 100.25, serial, devices));
    // Too few words and values are padded with zeros, too many are cut.
    EXPECT_TRUE(
        WriteArkRecord(ark, 200.5, std::span(serial).first(3), std::span(devices).first(1)));
    std::vector<std::uint16_t> longer(70'000, 0xAAAA);
    EXPECT_TRUE(WriteArkRecord(ark, 300.0, longer, std::vector<double>(20, 9.0)));
    EXPECT_EQ(ark.records_written(), 3);
    ASSERT_TRUE(ark.Close());

    const std::vector<std::uint8_t> bytes = Bytes();
    ASSERT_EQ(bytes.size(), 5121u + 3 * 630);
    EXPECT_EQ(bytes[5120], 0);
    const std::size_t r0 = 5121;
    EXPECT_EQ(DoubleAt(bytes, r0), 100.25);
    EXPECT_EQ(Text(bytes, r0 + 8, 4), std::string(4, '\0'));
    EXPECT_EQ(U16At(bytes, r0 + 12), 1);
    EXPECT_EQ(U16At(bytes, r0 + 12 + 2 * 260), 261);
    EXPECT_EQ(DoubleAt(bytes, r0 + 534), 3.0);
    EXPECT_EQ(DoubleAt(bytes, r0 + 534 + 3 * 8), 100.25);
    EXPECT_EQ(DoubleAt(bytes, r0 + 534 + 11 * 8), 0.0);
    const std::size_t r1 = r0 + 630;
    EXPECT_EQ(DoubleAt(bytes, r1), 200.5);
    EXPECT_EQ(U16At(bytes, r1 + 12 + 4), 3);
    EXPECT_EQ(U16At(bytes, r1 + 12 + 6), 0);
    EXPECT_EQ(DoubleAt(bytes, r1 + 534), 3.0);
    EXPECT_EQ(DoubleAt(bytes, r1 + 534 + 8), 0.0);
    const std::size_t r2 = r1 + 630;
    EXPECT_EQ(U16At(bytes, r2 + 12 + 2 * 260), 0xAAAA);
    EXPECT_EQ(DoubleAt(bytes, r2 + 534 + 11 * 8), 9.0);
  }
}

TEST_F(ArchiveFile, RecordBeforeTheHeaderFailsTheFile) {
  ASSERT_TRUE(file.Create(Path()));
  EXPECT_FALSE(WriteArkRecord(file, 1.0, {}, {}));
  EXPECT_EQ(file.error(), "cannot write " + Path() + ": record before the header");
}

// --- Start and Stop lines ---

TEST_F(ArchiveFile, RewritingStartAndStopKeepsTheLengthAndThePosition) {
  const auto setup = ArkSetup(256, 1);
  ASSERT_TRUE(file.Create(Path()));
  const ArkLineOffsets at = WriteArkHeader(file, BuildArkHeader(*setup, 0, "S", ArkTagNames()));
  const std::vector<std::uint16_t> serial(261, 7);
  EXPECT_TRUE(WriteArkRecord(file, 1.0, serial, ArkDeviceValues(1.0, 0, 2)));
  year = 2025;  // the lines carry the year they are rewritten in
  const double start = 86'400.0 * 123 + 45'296.789012;
  EXPECT_TRUE(UpdateArkTimes(file, at.start_line, start, at.stop_line, 86'400.0 * 366 + 0.5));
  EXPECT_TRUE(WriteArkRecord(file, 2.0, serial, ArkDeviceValues(2.0, 0, 2)));
  ASSERT_TRUE(file.Close());

  const std::vector<std::uint8_t> bytes = Bytes();
  ASSERT_EQ(bytes.size(), 5121u + 2 * 630);  // the second record follows the first
  EXPECT_EQ(Text(bytes, 60, 44), "Start Time :123:12:34:56.789012  YEAR 2025\r\n");
  EXPECT_EQ(Text(bytes, 104, 44), "Stop Time  :366:00:00:00.500000  YEAR 2025\r\n");
  EXPECT_EQ(Text(bytes, 148, 28), "BlockSizeTotal (bytes) :630\r");
  EXPECT_EQ(DoubleAt(bytes, 5121 + 630), 2.0);
}

TEST_F(ArchiveFile, StreamThatNeverLocksHoldsTheHeaderOnly) {
  const auto setup = ArkSetup(256, 1);
  ASSERT_TRUE(file.Create(Path()));
  const ArkLineOffsets at = WriteArkHeader(file, BuildArkHeader(*setup, 0, "S", ArkTagNames()));
  EXPECT_TRUE(UpdateArkTimes(file, at.start_line, 0.0, at.stop_line, 0.0));
  ASSERT_TRUE(file.Close());
  const std::vector<std::uint8_t> bytes = Bytes();
  ASSERT_EQ(bytes.size(), 5121u);
  EXPECT_EQ(Text(bytes, 60, 88),
            "Start Time :000:00:00:00.000000  YEAR 2024\r\n"
            "Stop Time  :000:00:00:00.000000  YEAR 2024\r\n");
}

TEST_F(ArchiveFile, LinesThatWouldChangeLengthAreNotRewritten) {
  const auto setup = ArkSetup(256, 1);
  ASSERT_TRUE(file.Create(Path()));
  const ArkLineOffsets at = WriteArkHeader(file, BuildArkHeader(*setup, 0, "S", ArkTagNames()));
  const std::vector<std::uint8_t> before = (file.Close(), Bytes());
  ASSERT_TRUE(file.Create(Path()));
  WriteArkHeader(file, BuildArkHeader(*setup, 0, "S", ArkTagNames()));
  year = 999;  // three digits: the line would be one character shorter
  EXPECT_FALSE(UpdateArkTimes(file, at.start_line, 5.0, at.stop_line, 6.0));
  year = 2024;
  EXPECT_FALSE(UpdateArkTimes(file, 5100, 5.0, at.stop_line, 6.0));  // would run into the fill
  EXPECT_FALSE(UpdateArkTimes(file, at.start_line, 5.0, -1, 6.0));
  EXPECT_TRUE(file.ok());
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Bytes(), before);
}

// --- Write failures ---

TEST_F(ArchiveFile, WriteFailureIsKeptReportedOnceAndStopsTheFile) {
  // The failure shows when buffered records reach the system: while records are
  // written, or at the latest when the file is closed. Either way the file is known
  // to be incomplete and nothing more is written to it.
  struct Case {
    std::size_t buffer;
    int records;
    bool fails_while_writing;
  };
  const std::vector<Case> cases = {
      {1024, 10'000, true},
      {kArkDefaultBufferSize, 10'000, true},
      {kArkDefaultBufferSize, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buffer);
    SCOPED_TRACE(c.records);
    ArkFile ark(c.buffer);
    ASSERT_TRUE(ark.Create(Path()));
    const auto setup = ArkSetup(256, 1);
    ASSERT_TRUE(WriteArkHeader(ark, BuildArkHeader(*setup, 0, "S", ArkTagNames())).ok);
    WriteFaultGuard fault(8000, ENOSPC);
    const std::vector<std::uint16_t> serial(261, 1);
    int accepted = 0;
    while (accepted < c.records &&
           WriteArkRecord(ark, accepted, serial, ArkDeviceValues(accepted, 0, 2))) {
      ++accepted;
    }
    EXPECT_EQ(accepted < c.records, c.fails_while_writing);
    EXPECT_FALSE(ark.Close());
    EXPECT_FALSE(ark.ok());
    EXPECT_EQ(ark.error(), "cannot write " + Path() + ": " + SystemErrorText(ENOSPC));
    EXPECT_TRUE(ark.TakeFailureToReport());
    EXPECT_FALSE(ark.TakeFailureToReport());
    EXPECT_FALSE(WriteArkRecord(ark, 0.0, serial, {}));
    EXPECT_FALSE(UpdateArkTimes(ark, 60, 0.0, 104, 0.0));
    EXPECT_EQ(test::ReadWholeFile(Path()).size(), 8000u);
  }
}

TEST_F(ArchiveFile, NothingIsWrittenAfterTheFirstFailedWrite) {
  ArkFile ark(1024);
  ASSERT_TRUE(ark.Create(Path()));
  EXPECT_FALSE(ark.TakeFailureToReport());  // nothing to report while the file is sound
  const auto setup = ArkSetup(256, 1);
  ASSERT_TRUE(WriteArkHeader(ark, BuildArkHeader(*setup, 0, "S", ArkTagNames())).ok);
  WriteFaultGuard fault(5121 + 630, EIO);
  const std::vector<std::uint16_t> serial(261, 1);
  int accepted = 0;
  while (accepted < 10'000 && WriteArkRecord(ark, 1.0, serial, {})) ++accepted;
  EXPECT_LT(accepted, 10'000);
  EXPECT_TRUE(ark.TakeFailureToReport());
  SetWriteFaultForTesting(-1, 0);
  // The failure stays: nothing more reaches the file even once the disk recovers.
  EXPECT_FALSE(WriteArkRecord(ark, 1.0, serial, {}));
  EXPECT_FALSE(ark.Close());
  EXPECT_EQ(ark.error(), "cannot write " + Path() + ": " + SystemErrorText(EIO));
  EXPECT_EQ(test::ReadWholeFile(Path()).size(), 5121u + 630);
}

TEST(ArkWriteFailure, IsLoggedOnceWithTheFileAndTheReasonInABox) {
  test::LogSession log;
  ScriptedUserInterface ui;
  ScopedUserInterface scoped_ui(&ui);
  const std::string path = log.dir().File("P_STREAM_1.ARK");
  ArkFile ark;
  ASSERT_TRUE(ark.Create(path));
  EXPECT_FALSE(LogArkWriteFailure(ark));  // a sound file: nothing to log
  const auto setup = ArkSetup(256, 1);
  WriteArkHeader(ark, BuildArkHeader(*setup, 0, "S", ArkTagNames()));
  {
    WriteFaultGuard fault(100, ENOSPC);
    EXPECT_FALSE(ark.Close());
  }
  EXPECT_TRUE(LogArkWriteFailure(ark));
  EXPECT_FALSE(LogArkWriteFailure(ark));
  const std::string message = "cannot write " + path + ": " + SystemErrorText(ENOSPC);
  const std::vector<test::LogLine> lines = log.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].code, "000001");
  EXPECT_EQ(lines[0].message, message);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "ERROR");
  EXPECT_EQ(ui.boxes[0].text, message);
}

TEST_F(ArchiveFile, CreateFailureSaysWhy) {
  ArkFile ark;
  EXPECT_FALSE(ark.Create(dir.File("missing/X.ARK")));
  EXPECT_EQ(ark.error(),
            "cannot create " + dir.File("missing/X.ARK") + ": " + SystemErrorText(ENOENT));
  EXPECT_EQ(kArkOpenErrorText, "Could Not Open File For Archive");
}

}  // namespace
}  // namespace tessel
