// Text forms of the synthetic recording options: per-stream overrides, start time,
// pattern, packing, and the description of what was written.
#include "ch10/synthetic_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessel {
namespace {

SynthOptions TwoPcmOneVideo() {
  SynthOptions options;
  options.pcm.resize(2);
  options.video.resize(1);
  return options;
}

TEST(SynthOptionsText, OverrideSetsEveryPcmKey) {
  SynthOptions options = TwoPcmOneVideo();
  EXPECT_EQ(ApplySynthStreamOverride("2:id=40,rate=5000,words=64,wordlen=12,subframes=8,sync=trail,"
                                     "offset=5,noise=2.5,mode=packed,align=32",
                                     options),
            "");
  const SynthPcmStream& s = options.pcm[1];
  EXPECT_EQ(s.channel_id, 40);
  EXPECT_EQ(s.bit_rate, 5000);
  EXPECT_EQ(s.words_per_frame, 64);
  EXPECT_EQ(s.word_length, 12);
  EXPECT_EQ(s.subframes, 8);
  EXPECT_FALSE(s.pattern_leads);
  EXPECT_EQ(s.bit_offset, 5);
  EXPECT_DOUBLE_EQ(s.noise_bursts_per_second, 2.5);
  EXPECT_EQ(s.packing, SynthPacking::Packed);
  EXPECT_TRUE(s.align32);
  EXPECT_EQ(options.pcm[0].words_per_frame, SynthPcmStream{}.words_per_frame)
      << "stream 1 untouched";
}

TEST(SynthOptionsText, PatternLengthFollowsDigitsUnlessGiven) {
  SynthOptions options = TwoPcmOneVideo();
  ASSERT_EQ(ApplySynthStreamOverride("1:pattern=FAF320", options), "");
  EXPECT_EQ(options.pcm[0].pattern, 0xFAF320u);
  EXPECT_EQ(options.pcm[0].pattern_length, 24);
  ASSERT_EQ(ApplySynthStreamOverride("1:patlen=22,pattern=0x2AF320", options), "");
  EXPECT_EQ(options.pcm[0].pattern_length, 22);
}

TEST(SynthOptionsText, VideoOverride) {
  SynthOptions options = TwoPcmOneVideo();
  ASSERT_EQ(ApplySynthStreamOverride("v1:id=20,rate=3000000", options), "");
  EXPECT_EQ(options.video[0].channel_id, 20);
  EXPECT_EQ(options.video[0].bit_rate, 3'000'000);
}

TEST(SynthOptionsText, BadOverridesLeaveTheOptionsAlone) {
  for (const char* text :
       {"words=3", "0:words=64", "3:words=64", "1:words", "1:colour=red", "1:words=abc",
        "1:words=64,", "1:sync=middle", "1:mode=fast", "1:align=8", "1:id=0", "1:id=70000",
        "v1:words=64", "v2:rate=1", "1:pattern=XYZ"}) {
    SynthOptions options = TwoPcmOneVideo();
    const std::string error = ApplySynthStreamOverride(std::string("") + text, options);
    EXPECT_NE(error.find("stream override"), std::string::npos) << text;
    EXPECT_EQ(options.pcm[0].words_per_frame, SynthPcmStream{}.words_per_frame) << text;
    EXPECT_EQ(options.pcm[0].channel_id, 0) << text;
  }
}

TEST(SynthOptionsText, StartTime) {
  int day = 0;
  double seconds = 0;
  ASSERT_TRUE(ParseSynthStartTime("123:12:34:56.789", day, seconds));
  EXPECT_EQ(day, 123);
  EXPECT_DOUBLE_EQ(seconds, 45'296.789);
  ASSERT_TRUE(ParseSynthStartTime("1:00:00:00", day, seconds));
  EXPECT_EQ(day, 1);
  EXPECT_DOUBLE_EQ(seconds, 0.0);
  for (const char* bad : {"367:00:00:00", "0:00:00:00", "1:24:00:00", "1:00:60:00", "1:00:00:60",
                          "1:00:00", "a:b:c:d", "1:00:00:00:00", ""}) {
    EXPECT_FALSE(ParseSynthStartTime(bad, day, seconds)) << bad;
  }
}

TEST(SynthOptionsText, PatternAndPacking) {
  std::uint64_t pattern = 0;
  int digits = 0;
  ASSERT_TRUE(ParseSynthPattern("FE6B2840", pattern, digits));
  EXPECT_EQ(pattern, 0xFE6B2840u);
  EXPECT_EQ(digits, 8);
  ASSERT_TRUE(ParseSynthPattern("0xfaf320", pattern, digits));
  EXPECT_EQ(pattern, 0xFAF320u);
  EXPECT_EQ(digits, 6);
  for (const char* bad : {"", "0x", "XYZ", "12 34", "11112222333344445"}) {
    EXPECT_FALSE(ParseSynthPattern(bad, pattern, digits)) << bad;
  }
  SynthPacking packing = SynthPacking::Throughput;
  EXPECT_TRUE(ParseSynthPacking("unpacked", packing));
  EXPECT_EQ(packing, SynthPacking::Unpacked);
  EXPECT_FALSE(ParseSynthPacking("Packed", packing));
}

TEST(SynthOptionsText, DescriptionNamesChannelsRatesAndLayout) {
  SynthOptions options = TwoPcmOneVideo();
  options.duration_seconds = 0.5;
  options.start_day = 12;
  options.start_seconds = 3723.5;
  options.pcm[1].channel_id = 40;
  options.pcm[1].subframes = 1;
  options.pcm[1].pattern_leads = false;
  options.pcm[1].packing = SynthPacking::Unpacked;
  options.pcm[1].word_length = 12;
  options.pcm[0].noise_bursts_per_second = 100;
  SynthResult result;
  std::vector<std::uint8_t> bytes;
  result = GenerateSyntheticRecording(options, bytes);
  ASSERT_TRUE(result.ok) << result.error;
  const std::string text = DescribeSyntheticRecording(options, result, "out.c10");
  for (const std::string& part :
       {"Wrote out.c10: " + std::to_string(bytes.size()) + " bytes, ",
        std::string("0.5 s from day 012 01:02:03.500"),
        std::string("time          channel 1: 1 packets"),
        std::string("PCM 1         channel 2: 1000000 bit/s"), std::string(", throughput\n"),
        std::string("minor frame 128 words x 16 bits = 2048 bits, sync FE6B2840 (32 bits) leading "
                    "in 2 word(s), "
                    "4 subframes, counter in word 3 (from 1), 2 bits"),
        std::string(" noise bursts ("), std::string("PCM 2         channel 40: "),
        std::string("unpacked, 16-bit aligned"),
        std::string("minor frame 128 words x 12 bits = 1536 bits, sync "
                    "FE6B2840 (32 bits) trailing in 3 word(s)\n"),
        std::string("video 1       channel 10: 2000000 bit/s"),
        std::string("MPEG-2 transport stream, 664 TS packets")}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\nin\n" << text;
  }
}

}  // namespace
}  // namespace tessel
