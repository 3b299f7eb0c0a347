#include "pcm/archive_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "pcm/archive_builder.h"

namespace tessel {
namespace {

using test::ArkSetup;

constexpr double kStart = 86'400.0 * 123 + 45'296.789012;
constexpr double kFrameTime = 0.004;

// A three-record archive of two 4-word frames per record, and its bytes.
class ArchiveReading : public ::testing::Test {
 protected:
  ArchiveReading() : setup(ArkSetup(4, 2, 64'000)) {
    written = test::WriteTestArchive(Path(), *setup, 3, kStart, kFrameTime);
    bytes = test::ReadWholeFile(Path());
  }
  std::string Path() const { return dir.File("GOOD_STREAM_1.ARK"); }
  // Writes `data` as a new file and opens it.
  bool OpenBytes(const std::vector<std::uint8_t>& data) {
    test::WriteWholeFile(dir.File("X.ARK"), data);
    return reader.Open(dir.File("X.ARK"));
  }
  // The good bytes with header text `from` replaced by `to` (same length).
  std::vector<std::uint8_t> Replaced(const std::string& from, const std::string& to) const {
    std::string text(bytes.begin(), bytes.begin() + 5120);
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(from.size(), to.size());
    std::vector<std::uint8_t> out = bytes;
    for (std::size_t i = 0; i < to.size(); ++i) out[at + i] = static_cast<std::uint8_t>(to[i]);
    return out;
  }

  test::TempDir dir;
  std::unique_ptr<decomsetupstruct> setup;
  test::TestArchive written;
  std::vector<std::uint8_t> bytes;
  ArkReader reader;
};

TEST_F(ArchiveReading, HeaderFieldsReadBackByName) {
  ASSERT_TRUE(reader.Open(Path())) << reader.error();
  const ArkHeaderInfo& info = reader.header();
  EXPECT_TRUE(info.problems.empty());
  EXPECT_EQ(info.lines[0], "VELTRANE 8.0 ARCHIVE FILE FORMAT");
  ASSERT_NE(info.Field("BlockSizeTotal (bytes)"), nullptr);
  EXPECT_EQ(*info.Field("BlockSizeTotal (bytes)"), "144");  // 12 + 2 frames x 9 words x 2 + 96
  EXPECT_EQ(*info.Field("Start Time"), "123:12:34:56.789012  YEAR 2024");
  EXPECT_EQ(*info.Field("Stop Time"), "123:12:34:56.809012  YEAR 2024");
  EXPECT_EQ(*info.Field("Serial Frame Rate (Hz)"), "1000.0");
  EXPECT_EQ(info.Field("No Such Field"), nullptr);
  EXPECT_EQ(info.start_year, 2024);
  EXPECT_EQ(info.stop_year, 2024);
  EXPECT_TRUE(info.frames_decodable);

  // Every field of the record the header was written from comes back.
  const arkheaderstruct& h = info.header;
  const arkheaderstruct& w = written.header;
  EXPECT_EQ(h.Version, w.Version);
  EXPECT_NEAR(h.StartTime, w.StartTime, 1e-6);
  EXPECT_NEAR(h.StopTime, w.StopTime, 1e-6);
  EXPECT_EQ(h.BlockSizeTotal, w.BlockSizeTotal);
  EXPECT_EQ(h.BlockSizeMisc, w.BlockSizeMisc);
  EXPECT_EQ(h.BlockSizeSerial, w.BlockSizeSerial);
  EXPECT_EQ(h.BlockSizeDevice, w.BlockSizeDevice);
  EXPECT_EQ(h.StreamId, w.StreamId);
  EXPECT_EQ(h.WordsPerFrame, w.WordsPerFrame);
  EXPECT_EQ(h.NumSubframes, w.NumSubframes);
  EXPECT_EQ(h.SubframeIdStartCount, w.SubframeIdStartCount);
  EXPECT_EQ(h.SubframeIdWord, w.SubframeIdWord);
  EXPECT_EQ(h.RightAligned, w.RightAligned);
  EXPECT_EQ(h.FramesPerInterrupt, w.FramesPerInterrupt);
  EXPECT_EQ(h.Application, w.Application);
  EXPECT_EQ(h.CardIndex, w.CardIndex);
  EXPECT_EQ(h.SetupFileName, w.SetupFileName);
  EXPECT_EQ(h.StatusTagNames, w.StatusTagNames);
  EXPECT_DOUBLE_EQ(h.FrameRate, w.FrameRate);
  EXPECT_EQ(h.Notes, w.Notes);
}

TEST_F(ArchiveReading, RecordsDecodeBack) {
  ASSERT_TRUE(reader.Open(Path()));
  EXPECT_EQ(reader.record_size(), 144);
  EXPECT_EQ(reader.record_count(), 3);
  EXPECT_EQ(reader.trailing_bytes(), 0);
  EXPECT_EQ(reader.LayoutError(), "");

  double stamp = 0.0;
  ASSERT_TRUE(reader.ReadTimeStamp(2, stamp));
  EXPECT_EQ(stamp, written.time_stamps[2]);
  EXPECT_FALSE(reader.ReadTimeStamp(3, stamp));
  EXPECT_FALSE(reader.ReadTimeStamp(-1, stamp));

  ArkRecord record;
  ASSERT_TRUE(reader.ReadRecord(1, record));
  EXPECT_EQ(record.time_stamp, written.time_stamps[1]);
  EXPECT_EQ(record.spare1, 0);
  EXPECT_EQ(record.spare2, 0);
  EXPECT_EQ(record.run_number, 0);
  ASSERT_EQ(record.frames.size(), 2u);
  for (std::size_t f = 0; f < 2; ++f) {
    const ArkFrame& frame = record.frames[f];
    const double t = kStart + static_cast<double>(2 + f) * kFrameTime;
    EXPECT_EQ(frame.header.time, SplitArkTime(t));
    EXPECT_NEAR(frame.header.TimeOfYear(), t, 1e-6);
    EXPECT_TRUE(frame.header.time_is_bcd);
    EXPECT_TRUE(frame.header.marker_ok);
    EXPECT_EQ(frame.header.subframe_id, static_cast<int>(f));
    ASSERT_EQ(frame.words.size(), 4u);
    for (std::size_t w = 0; w < 4; ++w) EXPECT_EQ(frame.words[w], test::ArkTestWord(1, f, w));
  }
  const auto devices = ArkDeviceValues(written.time_stamps[1], 64'000, 2);
  EXPECT_EQ(record.device_values, std::vector<double>(devices.begin(), devices.end()));
  EXPECT_FALSE(reader.ReadRecord(3, record));
}

TEST(DecodeArkFrameHeader, ReadsTimeAndSubframeBack) {
  for (double t : {0.0, 59.9999996, 86'400.0 * 366 + 86'399.999999, kStart}) {
    SCOPED_TRACE(t);
    const auto words = ArkFrameHeaderWords(1023, t);
    const ArkFrameHeader h = DecodeArkFrameHeader(words);
    EXPECT_EQ(h.time, SplitArkTime(t));
    EXPECT_EQ(h.subframe_id, 1023);
    EXPECT_TRUE(h.time_is_bcd);
    EXPECT_TRUE(h.marker_ok);
  }
  const std::array<std::uint16_t, 5> bad = {0x00A0, 0, 0, 0, 0x8001};
  const ArkFrameHeader h = DecodeArkFrameHeader(bad);
  EXPECT_FALSE(h.time_is_bcd);
  EXPECT_FALSE(h.marker_ok);
  EXPECT_EQ(h.subframe_id, 1);
}

TEST(ParseArkTimeText, AcceptsOnlyTheTimeOfYearForm) {
  double t = -1.0;
  EXPECT_TRUE(ParseArkTimeText("123:12:34:56.789012", t));
  EXPECT_NEAR(t, kStart, 1e-6);
  EXPECT_TRUE(ParseArkTimeText("000:00:00:00.000000", t));
  EXPECT_EQ(t, 0.0);
  for (const char* text :
       {"XXX:XX:XX:XX.XXXXXX", "123:24:00:00.000000", "123:12:60:00.000000", "123:12:34:60.000000",
        "123:12:34:56.78901", "", "-12:12:34:56.789012", "123-12:34:56.789012"}) {
    EXPECT_FALSE(ParseArkTimeText(text, t)) << text;
  }
}

TEST_F(ArchiveReading, SizeThatIsNotWholeRecordsIsReported) {
  std::vector<std::uint8_t> longer = bytes;
  longer.resize(longer.size() + 7, 0x55);
  ASSERT_TRUE(OpenBytes(longer));
  EXPECT_EQ(reader.record_count(), 3);
  EXPECT_EQ(reader.trailing_bytes(), 7);
  EXPECT_EQ(reader.LayoutError(), dir.File("X.ARK") +
                                      ": 5560 bytes are not the 5121-byte header and whole "
                                      "records of 144 bytes (7 bytes left over)");
  std::vector<std::uint8_t> shorter(bytes.begin(), bytes.end() - 1);
  ASSERT_TRUE(OpenBytes(shorter));
  EXPECT_EQ(reader.record_count(), 2);
  EXPECT_EQ(reader.trailing_bytes(), 143);
  ArkRecord record;
  EXPECT_TRUE(reader.ReadRecord(1, record));
  EXPECT_FALSE(reader.ReadRecord(2, record));
}

TEST_F(ArchiveReading, UnusableHeadersAreRefusedWithTheReason) {
  struct Case {
    std::vector<std::uint8_t> data;
    std::string reason;
  };
  std::vector<std::uint8_t> no_nul = bytes;
  no_nul[5120] = 'A';
  std::vector<std::uint8_t> no_crlf = bytes;
  no_crlf[5118] = 'A';
  const std::vector<Case> cases = {
      {{}, "the file holds 0 bytes, fewer than the 5121-byte header"},
      {std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 3000),
       "the file holds 3000 bytes, fewer than the 5121-byte header"},
      {no_nul, "the header is not 5120 bytes of text ended by CR LF and a NUL"},
      {no_crlf, "the header is not 5120 bytes of text ended by CR LF and a NUL"},
      {std::vector<std::uint8_t>(6000, 0),
       "the header is not 5120 bytes of text ended by CR LF and a NUL"},
      {Replaced("VELTRANE 8.0", "VELTRANE 9.0"),
       "the first line is not \"VELTRANE 8.0 ARCHIVE FILE FORMAT\""},
      {Replaced("BlockSizeTotal (", "BlockSizeTotaX ("), "no BlockSizeTotal (bytes) line"},
      {Replaced("BlockSizeTotal (bytes) :144", "BlockSizeTotal (bytes) :19x"),
       "BlockSizeTotal (bytes) is not a number: 19x"},
      {Replaced("BlockSizeTotal (bytes) :144", "BlockSizeTotal (bytes) :145"),
       "the block sizes do not add up: total 145, serial 36, device 96"},
      {Replaced("BlockSizeSerial (bytes) :36", "BlockSizeSerial (bytes) :-3"),
       "the block sizes do not add up: total 144, serial -3, device 96"},
      {Replaced("BlockSizeMisc (bytes) :4", "BlockSizeMisc (bytes) :5"),
       "BlockSizeMisc (bytes) is not 4"},
      {Replaced("BlockSizeTimeStamp :8", "BlockSizeTimeStamp :9"), "BlockSizeTimeStamp is not 8"},
      {Replaced("Serial Words Per Frame :4", "Serial Words Per Frame : "),
       "Serial Words Per Frame is not a number: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    EXPECT_FALSE(OpenBytes(c.data));
    EXPECT_EQ(reader.error(), dir.File("X.ARK") + ": " + c.reason);
    EXPECT_EQ(reader.record_count(), 0);
  }
  EXPECT_FALSE(reader.Open(dir.File("missing.ARK")));
  EXPECT_EQ(reader.error().rfind("cannot open " + dir.File("missing.ARK") + ": ", 0), 0u);
}

TEST_F(ArchiveReading, OddButReadableHeadersAreNoted) {
  // Frames that do not fill the serial block cannot be split, but the records can be read.
  ASSERT_TRUE(
      OpenBytes(Replaced("Serial Frames Per Interrupt :2", "Serial Frames Per Interrupt :3")));
  EXPECT_FALSE(reader.header().frames_decodable);
  EXPECT_EQ(
      reader.header().problems,
      std::vector<std::string>{"the serial block is not 3 frames of 5 header words and 4 words"});
  ArkRecord record;
  ASSERT_TRUE(reader.ReadRecord(0, record));
  EXPECT_TRUE(record.frames.empty());
  EXPECT_EQ(record.device_values.size(), 12u);

  ASSERT_TRUE(OpenBytes(Replaced("Start Time :123", "Start Time :1x3")));
  EXPECT_EQ(reader.header().problems,
            std::vector<std::string>{"Start Time is not a time of year and a year"});
  ASSERT_TRUE(OpenBytes(Replaced("AAAA\r\n", "AAxA\r\n")));
  EXPECT_EQ(reader.header().problems,
            std::vector<std::string>{"the fill holds bytes other than 'A'"});
  ASSERT_TRUE(
      OpenBytes(Replaced("Status Tag Name :D__72_SPARE2", "Status Tag XXXX :D__72_SPARE2")));
  EXPECT_EQ(reader.header().problems,
            std::vector<std::string>{"the device block does not hold one value per tag name"});
}

TEST_F(ArchiveReading, HeaderOnlyArchiveHasNoRecords) {
  const std::string path = dir.File("EMPTY_STREAM_1.ARK");
  test::WriteTestArchive(path, *setup, 0, 0.0, kFrameTime);
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.record_count(), 0);
  EXPECT_EQ(reader.LayoutError(), "");
  EXPECT_EQ(*reader.header().Field("Start Time"), "000:00:00:00.000000  YEAR 2024");
}

TEST_F(ArchiveReading, DamagedBytesNeverBreakTheReader) {
  // Random damage to the header and the first record: the reader either refuses the
  // file or reads what it can, always within the file (the sanitizer build checks).
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> data = bytes;
    const int hits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < hits; ++i) {
      const std::size_t at = rng() % (5121 + 144);
      data[at] = static_cast<std::uint8_t>(rng());
    }
    if (rng() % 4 == 0) data.resize(rng() % data.size());
    if (!OpenBytes(data)) continue;
    ArkRecord record;
    for (std::int64_t r = 0; r < reader.record_count(); ++r) {
      EXPECT_TRUE(reader.ReadRecord(r, record));
      EXPECT_LE(record.device_values.size() * 8 + record.frames.size() * 10 + 12,
                static_cast<std::size_t>(reader.record_size()));
    }
  }
}

}  // namespace
}  // namespace tessel
