// tessel-cli synth: writes the recording the options describe and says what it wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ch10/synthetic.h"
#include "common/test_files.h"

namespace {

using tessel::test::RunCli;

TEST(SynthCli, WritesTheRecordingTheOptionsDescribe) {
  tessel::test::TempDir dir;
  const std::string path = dir.File("demo.c10");
  int status = -1;
  const std::string output =
      RunCli("synth '" + path +
                 "' --duration 1.5 --streams 2 --bitrate 500000 --words 64 --wordlen 12 "
                 "--subframes 8 --pattern FAF320 --noise 3 --bit-offset 7 --video 1 --seed 9 "
                 "--start 045:10:20:30.5 --stream 2:id=77,mode=packed,align=32,noise=0,offset=0",
             status);
  ASSERT_EQ(status, 0) << output;

  // The same recording, made through the library.
  tessel::SynthOptions options;
  options.duration_seconds = 1.5;
  tessel::SynthPcmStream s;
  s.bit_rate = 500'000;
  s.words_per_frame = 64;
  s.word_length = 12;
  s.subframes = 8;
  s.pattern = 0xFAF320;
  s.pattern_length = 24;
  s.noise_bursts_per_second = 3;
  s.bit_offset = 7;
  options.pcm = {s, s};
  options.pcm[1].channel_id = 77;
  options.pcm[1].packing = tessel::SynthPacking::Packed;
  options.pcm[1].align32 = true;
  options.pcm[1].noise_bursts_per_second = 0;
  options.pcm[1].bit_offset = 0;
  options.video.resize(1);
  options.seed = 9;
  options.start_day = 45;
  options.start_seconds = 10 * 3600 + 20 * 60 + 30.5;
  std::vector<std::uint8_t> expected;
  ASSERT_TRUE(tessel::GenerateSyntheticRecording(options, expected).ok);
  EXPECT_EQ(tessel::test::ReadWholeFile(path), expected);

  for (const std::string& part :
       {"Wrote " + path + ": " + std::to_string(expected.size()) + " bytes",
        std::string("from day 045 10:20:30.500"),
        std::string("PCM 1         channel 2: 500000 bit/s"),
        std::string("PCM 2         channel 77: 500000 bit/s"),
        std::string("packed, 32-bit aligned"),
        std::string("64 words x 12 bits = 768 bits, sync FAF320 (24 bits) leading"),
        std::string("7 junk bits first"), std::string("video 1       channel 10")}) {
    EXPECT_NE(output.find(part), std::string::npos) << part << "\nin\n" << output;
  }
}

TEST(SynthCli, RefusesWhatItCannotWrite) {
  tessel::test::TempDir dir;
  const std::string path = dir.File("bad.c10");
  struct Case {
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {"--wordlen 20", "word length"},
      {"--pattern ZZ", "hexadecimal pattern"},
      {"--start 400:00:00:00", "start time"},
      {"--packing sideways", "packing"},
      {"--packing packed --noise 2", "throughput"},
      {"--stream 3:words=10", "no PCM stream 3"},
  };
  for (const Case& c : cases) {
    int status = 0;
    const std::string output = RunCli("synth '" + path + "' " + c.arguments, status);
    EXPECT_NE(status, 0) << c.arguments;
    EXPECT_NE(output.find(c.message), std::string::npos) << c.arguments << ": " << output;
  }
  int status = 0;
  RunCli("synth '" + path + "' --streams 9", status);
  EXPECT_NE(status, 0) << "at most 8 streams";
  RunCli("synth", status);
  EXPECT_NE(status, 0) << "the output path is required";
}

TEST(SynthCli, HelpListsTheOptions) {
  int status = -1;
  const std::string output = RunCli("synth --help", status);
  EXPECT_EQ(status, 0);
  for (const char* option :
       {"--duration", "--streams", "--bitrate", "--words", "--wordlen", "--subframes", "--pattern",
        "--pattern-length", "--trailing", "--bit-offset", "--noise", "--packing", "--align32",
        "--video", "--start", "--seed", "--stream"}) {
    EXPECT_NE(output.find(option), std::string::npos) << option;
  }
}

}  // namespace
