// tessel-cli info: the command's output on the sample recordings and on built ones,
// checked against independent readings of the bytes; exit status and the log dumps.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/recording_fixtures.h"
#include "common/json_value.h"
#include "common/test_files.h"

namespace tessel {
namespace {

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

// Runs "info <path> --json" and reads its output back; fails the test when the output
// is not one JSON object or the status is not 0.
test::JsonValue InfoJson(const std::string& path) {
  int status = -1;
  const std::string output = test::RunCli("info " + Quoted(path) + " --json", status);
  EXPECT_EQ(status, 0) << output;
  test::JsonValue json;
  std::string error;
  EXPECT_TRUE(test::ParseJson(output, json, error)) << error << "\n" << output;
  EXPECT_EQ(json.type, test::JsonValue::Type::Object);
  return json;
}

void ExpectJsonMatchesBytes(const test::JsonValue& json, const std::vector<std::uint8_t>& bytes) {
  const test::NaiveWalk walk = test::WalkPacketLengths(bytes);
  EXPECT_EQ(json["size"].number, static_cast<double>(bytes.size()));
  EXPECT_EQ(json["packets"].number, static_cast<double>(walk.packets));
  ASSERT_EQ(json["types"].items.size(), 13U);
  std::vector<std::string> labels;
  for (const auto& row : json["types"].items) labels.push_back(row["label"].text);
  for (const auto& row : json["types"].items) {
    EXPECT_EQ(row["count"].number,
              static_cast<double>(test::ExpectedRowCount(walk, labels, row["label"].text)))
        << row["label"].text;
  }
  const auto channels = test::EnabledChannelsInText(bytes);
  ASSERT_EQ(json["channels"].items.size(), channels.size());
  for (std::size_t i = 0; i < channels.size(); ++i) {
    const test::JsonValue& c = json["channels"].items[i];
    EXPECT_EQ(c["track"].number, channels[i].track) << i;
    EXPECT_EQ(c["type"].text, channels[i].type) << i;
    EXPECT_EQ(c["source"].text, channels[i].source) << i;
  }
}

TEST(InfoCli, SampleRecordingsAsJson) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  for (const char* name : {"discrete.c10", "ethernet.c10", "event.c10", "sample.c10"}) {
    SCOPED_TRACE(name);
    const test::JsonValue json = InfoJson(test::RecordingPath(name));
    ExpectJsonMatchesBytes(json, test::ReadWholeFile(test::RecordingPath(name)));
    EXPECT_TRUE(json["pcm_formats"].items.empty());
  }
  // Month-and-year time: 17 October 2018 is day 290.
  const test::JsonValue ethernet = InfoJson(test::RecordingPath("ethernet.c10"));
  EXPECT_EQ(ethernet["irig_time_text"].text, "290:22:19:26.000000");
  EXPECT_EQ(ethernet["end"]["reason"].text, "packet_cut");
}

TEST(InfoCli, SampleRecordingAsText) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  int status = -1;
  const std::string text =
      test::RunCli("info " + Quoted(test::RecordingPath("sample.c10")), status);
  EXPECT_EQ(status, 0);
  for (const char* part : {"Num Ch 10 Pkts  99\n", "Data type             Pkt Cnt     Ch ID  TOY",
                           "0x40 MPEG-2 Video F0  0x00000039  13",
                           "0x09 PCM F1           -----       -----  -----                -----\n",
                           "13    VIDIN      13     VCR40-1-1", "20    VIDIN      20     VCR40-2-4",
                           "the file ends inside a packet", "PCM formats (0)\n"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n--- in ---\n" << text;
  }
}

TEST(InfoCli, SyntheticRecordingWithPcmFormats) {
  test::TempDir dir;
  const auto bytes = test::SyntheticPcmRecording();
  test::WriteWholeFile(dir.File("synth.c10"), bytes);
  const test::JsonValue json = InfoJson(dir.File("synth.c10"));
  ExpectJsonMatchesBytes(json, bytes);
  EXPECT_NEAR(json["irig_time"].number, test::kSyntheticIrigTime, 1e-6);
  ASSERT_EQ(json["pcm_formats"].items.size(), 2U);
  const test::JsonValue& good = json["pcm_formats"].items[0];
  EXPECT_EQ(good["link"].text, "FMT1");
  EXPECT_EQ(good["channel"].number, 3.0);
  EXPECT_EQ(good["words_per_frame"].number, 21.0);
  EXPECT_EQ(good["fsp"].text, "111110101111001100100000");
  EXPECT_EQ(good["sync_method"].text, "SFID");
  EXPECT_TRUE(good["valid"].boolean);
  const test::JsonValue& bad = json["pcm_formats"].items[1];
  EXPECT_FALSE(bad["valid"].boolean);
  EXPECT_EQ(bad["message"].text, "Too Many Subframes, Max is 1024");
}

// A recording from "tessel-cli synth": the command line's two halves agree.
TEST(InfoCli, RecordingWrittenBySynth) {
  test::TempDir dir;
  int status = -1;
  const std::string written = test::RunCli(
      "synth " + Quoted(dir.File("synth.c10")) +
          " --duration 1.5 --streams 2 --words 48 --wordlen 12 --subframes 16 --video 1",
      status);
  ASSERT_EQ(status, 0) << written;
  const test::JsonValue json = InfoJson(dir.File("synth.c10"));
  ExpectJsonMatchesBytes(json, test::ReadWholeFile(dir.File("synth.c10")));
  EXPECT_EQ(json["end"]["reason"].text, "complete");
  ASSERT_EQ(json["pcm_formats"].items.size(), 2U);
  for (const auto& format : json["pcm_formats"].items) {
    EXPECT_EQ(format["words_per_frame"].number, 48.0);
    EXPECT_EQ(format["common_word_length"].number, 12.0);
    EXPECT_EQ(format["subframes"].number, 16.0);
    EXPECT_TRUE(format["valid"].boolean) << format["message"].text;
  }
}

// Exit status: non-zero only when the recording cannot be opened.
TEST(InfoCli, ExitStatus) {
  test::TempDir dir;
  test::WriteWholeFile(dir.File("garbage.c10"), {0x25, 0xEB, 0x01, 0x00, 0x05, 0, 0, 0, 9});
  test::WriteWholeFile(dir.File("empty.c10"), {});
  struct Case {
    std::string arguments;
    bool fails;
    const char* says;
  };
  const Case cases[] = {
      {"info " + Quoted(dir.File("garbage.c10")), false, "the file ends inside a packet header"},
      {"info " + Quoted(dir.File("empty.c10")) + " --json", false, "\"reason\": \"complete\""},
      {"info " + Quoted(dir.File("missing.c10")), true,
       "cannot open " /* the path and the system's reason follow */},
      {"info " + Quoted(dir.path().string()) + " --json", true, "Is a directory"},
      {"info", true, "REC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    int status = -1;
    const std::string output = test::RunCli(c.arguments, status);
    EXPECT_EQ(status != 0, c.fails) << output;
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
  }
}

// --dump writes the first packet's and the TMATS dumps to Tessel.Log in the current
// directory; without it no log is written.
TEST(InfoCli, DumpWritesTheLogInTheCurrentDirectory) {
  for (const bool dump : {false, true}) {
    SCOPED_TRACE(dump);
    test::TempDir dir;
    test::ScopedCurrentDirectory current(dir.path());
    test::WriteWholeFile(dir.File("synth.c10"), test::SyntheticPcmRecording());
    int status = -1;
    const std::string output =
        test::RunCli("info synth.c10 --json" + std::string(dump ? " --dump" : ""), status);
    EXPECT_EQ(status, 0) << output;
    const bool logged = std::filesystem::exists(dir.path() / "Tessel.Log");
    EXPECT_EQ(logged, dump);
    if (!logged) continue;
    const std::string log = test::ReadTextFile(dir.File("Tessel.Log"));
    for (const char* part : {"PROGRAM START", "Packet Header ---", "TMATS LINE INFO",
                             "TMATS RECORDER INFO", "TMATS PCM INFO", "MF5 - BinaryFsp = "}) {
      EXPECT_NE(log.find(part), std::string::npos) << part;
    }
  }
}

}  // namespace
}  // namespace tessel
