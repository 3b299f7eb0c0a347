// tessel-cli ark: an archive's header, records and frames, as text and JSON.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_files.h"
#include "pcm/archive_builder.h"

namespace tessel {
namespace {

constexpr double kStart = 86'400.0 * 123 + 45'296.789012;

// Three records of two 4-word frames, 1 ms apart.
class ArkCommand : public ::testing::Test {
 protected:
  ArkCommand() : setup(test::ArkSetup(4, 2, 64'000)) {
    test::WriteTestArchive(Path(), *setup, 3, kStart, 0.001);
  }
  std::string Path() const { return dir.File("FLIGHT_STREAM_1.ARK"); }
  std::string Run(const std::string& arguments) {
    return test::RunCli("ark " + arguments + " 2>&1", status);
  }

  test::TempDir dir;
  std::unique_ptr<decomsetupstruct> setup;
  int status = -1;
};

TEST_F(ArkCommand, ShowsTheHeaderFieldsRecordsAndTimeStamps) {
  const std::string out = Run(Path());
  EXPECT_EQ(status, 0) << out;
  const std::vector<std::string> expected_lines = {
      "Archive: " + Path() + "\n",
      "VELTRANE 8.0 ARCHIVE FILE FORMAT\n"
      "Archive File Version: 11\n"
      "Start Time: 123:12:34:56.789012  YEAR 2024\n"
      "Stop Time: 123:12:34:56.794012  YEAR 2024\n"
      "BlockSizeTotal (bytes): 144\n",
      "Serial Frames Per Interrupt: 2\n",
      "Serial Data Setup Filename: SETUP.B72\n"
      "Status Tag Name: D__72_DATAVALID\n",
      "Status Tag Name: D__72_SPARE2\n"
      "Num Serial Stream Header Words: 5\n"
      "Serial Frame Rate (Hz): 1000.0\n"
      "Records: 3 of 144 bytes\n"
      "First time stamp: 123:12:34:56.789012\n"
      "Last time stamp: 123:12:34:56.793012\n",
  };
  for (const std::string& part : expected_lines) {
    EXPECT_NE(out.find(part), std::string::npos) << part << "\nin\n" << out;
  }
  EXPECT_EQ(out.find("Frame 0"), std::string::npos);
  EXPECT_EQ(out.find("Problem"), std::string::npos);
}

TEST_F(ArkCommand, FramesShowTheirDecodedHeaderWords) {
  const std::string out = Run(Path() + " --frames 3");
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("Frame 0: record 0 frame 0  time 123:12:34:56.789012  subframe 0  header "
                     "2301 3412 7856 1290 7000\n"
                     "Frame 1: record 0 frame 1  time 123:12:34:56.790012  subframe 1  header "
                     "2301 3412 7956 1200 7001\n"
                     "Frame 2: record 1 frame 0  time 123:12:34:56.791012  subframe 0  header "
                     "2301 3412 7956 1210 7000\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("Frame 3"), std::string::npos);
  // More frames than the file holds: all six.
  const std::string all = Run(Path() + " --frames 100");
  EXPECT_NE(all.find("Frame 5: record 2 frame 1"), std::string::npos);
  EXPECT_EQ(all.find("Frame 6"), std::string::npos);
}

TEST_F(ArkCommand, JsonHoldsTheSameFacts) {
  const std::string out = Run(Path() + " --json --frames 1");
  EXPECT_EQ(status, 0) << out;
  for (const std::string& part : {
           "\"file\": \"" + Path() + "\"",
           std::string("{\"name\": \"BlockSizeTotal (bytes)\", \"value\": \"144\"}"),
           std::string("{\"name\": \"Start Time\", \"value\": \"123:12:34:56.789012  YEAR 2024\"}"),
           std::string("\"record_size\": 144,\n"),
           std::string("\"record_count\": 3,\n"),
           std::string("\"trailing_bytes\": 0,\n"),
           std::string("\"first_time_stamp\": \"123:12:34:56.789012\",\n"),
           std::string("\"last_time_stamp\": \"123:12:34:56.793012\",\n"),
           std::string("\"problems\": []"),
           std::string("{\"record\": 0, \"frame\": 0, \"time\": \"123:12:34:56.789012\", "
                       "\"subframe_id\": 0, \"header_words\": [\"2301\", \"3412\", \"7856\", "
                       "\"1290\", \"7000\"], \"time_is_bcd\": true, \"marker_ok\": true}"),
       }) {
    EXPECT_NE(out.find(part), std::string::npos) << part << "\nin\n" << out;
  }
  EXPECT_EQ(out.front(), '{');
  EXPECT_EQ(out.substr(out.size() - 2), "}\n");
}

TEST_F(ArkCommand, HeaderOnlyArchiveHasNoTimeStamps) {
  const std::string path = dir.File("EMPTY_STREAM_1.ARK");
  test::WriteTestArchive(path, *setup, 0, 0.0, 0.001);
  const std::string out = Run(path + " --frames 2");
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("Start Time: 000:00:00:00.000000  YEAR 2024\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Records: 0 of 144 bytes\nFirst time stamp: none\nLast time stamp: none\n"),
            std::string::npos)
      << out;
  const std::string json = Run(path + " --json");
  EXPECT_NE(json.find("\"first_time_stamp\": null"), std::string::npos) << json;
}

TEST_F(ArkCommand, BadFilesFailWithTheReason) {
  // A size that is not header plus whole records: shown, then reported.
  std::vector<std::uint8_t> bytes = test::ReadWholeFile(Path());
  bytes.resize(bytes.size() + 5, 0);
  test::WriteWholeFile(dir.File("LONG.ARK"), bytes);
  std::string out = Run(dir.File("LONG.ARK"));
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("Records: 3 of 144 bytes\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ark: " + dir.File("LONG.ARK") +
                     ": 5558 bytes are not the 5121-byte header and whole records of 144 "
                     "bytes (5 bytes left over)\n"),
            std::string::npos)
      << out;

  // A truncated header and a missing file: only the reason.
  bytes.resize(4000);
  test::WriteWholeFile(dir.File("SHORT.ARK"), bytes);
  out = Run(dir.File("SHORT.ARK"));
  EXPECT_NE(status, 0);
  EXPECT_EQ(out, "ark: " + dir.File("SHORT.ARK") +
                     ": the file holds 4000 bytes, fewer than the 5121-byte header\n");
  out = Run(dir.File("NONE.ARK"));
  EXPECT_NE(status, 0);
  EXPECT_EQ(out.rfind("ark: cannot open " + dir.File("NONE.ARK"), 0), 0u) << out;

  Run(Path() + " --frames -1");
  EXPECT_NE(status, 0);
}

TEST_F(ArkCommand, ControlCharactersFromTheFileAreNotPrinted) {
  std::vector<std::uint8_t> bytes = test::ReadWholeFile(Path());
  const std::string text(bytes.begin(), bytes.begin() + 5120);
  const std::size_t at = text.find("SETUP.B72");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 0x1B;      // ESC
  bytes[at + 1] = 0xFF;  // not UTF-8
  test::WriteWholeFile(dir.File("ODD.ARK"), bytes);
  std::string out = Run(dir.File("ODD.ARK"));
  EXPECT_NE(out.find("Serial Data Setup Filename: ?\xFFTUP.B72\n"), std::string::npos) << out;
  out = Run(dir.File("ODD.ARK") + " --json");
  EXPECT_NE(out.find("\"value\": \"\\u001b\\ufffdTUP.B72\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"problems\": [\"the header text holds control characters\"]"),
            std::string::npos)
      << out;
}

}  // namespace
}  // namespace tessel
