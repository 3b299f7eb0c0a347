// The recording summary: counts, channels and time against independent readings of
// the sample recordings, the PCM formats of a synthetic recording, damaged recordings,
// the dialog's cell texts, the JSON form and the first-packet dumps.
#include "app/recording_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/recording_fixtures.h"
#include "ch10/synthetic.h"
#include "common/json_value.h"
#include "common/log_session.h"
#include "common/test_files.h"
#include "tmats/tmats_p_group.h"

namespace tessel {
namespace {

const char* const kSamples[] = {"discrete.c10", "ethernet.c10", "event.c10", "sample.c10"};

std::vector<std::string> Labels(const RecordingInfo& info) {
  std::vector<std::string> labels;
  for (const RecordingTypeInfo& row : info.types) labels.push_back(row.label);
  return labels;
}

// The summary's counts, walk end and channels agree with the naive readings.
void ExpectMatchesBytes(const RecordingInfo& info, const std::vector<std::uint8_t>& bytes) {
  const test::NaiveWalk walk = test::WalkPacketLengths(bytes);
  EXPECT_EQ(info.size, static_cast<std::int64_t>(bytes.size()));
  EXPECT_EQ(info.packets, walk.packets);
  const auto labels = Labels(info);
  std::int64_t total = 0;
  for (const RecordingTypeInfo& row : info.types) {
    EXPECT_EQ(row.count, test::ExpectedRowCount(walk, labels, row.label)) << row.label;
    total += row.count;
  }
  EXPECT_EQ(total, walk.packets);
  const auto time_packets = walk.per_type.find(0x11);
  EXPECT_EQ(info.time_packets, time_packets == walk.per_type.end() ? 0 : time_packets->second);
  EXPECT_EQ(info.end.offset, walk.end_offset);
  EXPECT_EQ(info.end.reason == RecordingEnd::Complete,
            walk.end_offset == static_cast<std::int64_t>(bytes.size()));

  const auto channels = test::EnabledChannelsInText(bytes);
  ASSERT_EQ(info.channels.size(), channels.size());
  for (std::size_t i = 0; i < channels.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(info.channels[i].track, channels[i].track);
    EXPECT_EQ(info.channels[i].type, channels[i].type);
    EXPECT_EQ(info.channels[i].source, channels[i].source);
    EXPECT_TRUE(info.channels[i].enabled);
  }
}

TEST(RecordingInfo, SampleRecordingsAgreeWithAnIndependentWalk) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    RecordingInfo info;
    ASSERT_TRUE(FillRecordingInfo(test::RecordingPath(name), info));
    EXPECT_TRUE(info.opened);
    EXPECT_EQ(info.tmats_status, TmatsRecordStatus::Whole);
    EXPECT_EQ(info.first_packet_type, 0x01);
    EXPECT_FALSE(info.channels_assumed);
    EXPECT_TRUE(info.pcm_formats.empty());
    ExpectMatchesBytes(info, test::ReadWholeFile(test::RecordingPath(name)));
  }
}

TEST(RecordingInfo, SampleRecordingDetails) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  RecordingInfo sample;
  ASSERT_TRUE(FillRecordingInfo(test::RecordingPath("sample.c10"), sample));
  // Eight video channels on tracks 13 to 20.
  std::vector<std::int32_t> video_tracks;
  for (const RecordingChannelInfo& c : sample.channels) {
    if (c.type == "VIDIN") video_tracks.push_back(c.track);
  }
  EXPECT_EQ(video_tracks, (std::vector<std::int32_t>{13, 14, 15, 16, 17, 18, 19, 20}));
  EXPECT_EQ(sample.recorder_manufacturer, "Heim");
  EXPECT_EQ(sample.end.reason, RecordingEnd::PacketCut);

  // The Ethernet sample's time packets use the month-and-year form: 17 October 2018 is
  // day 290; its five packets run from 22:19:22 to 22:19:26.
  RecordingInfo ethernet;
  ASSERT_TRUE(FillRecordingInfo(test::RecordingPath("ethernet.c10"), ethernet));
  EXPECT_EQ(ethernet.time_packets, 5);
  EXPECT_DOUBLE_EQ(ethernet.irig_time, 290 * 86400.0 + 22 * 3600.0 + 19 * 60.0 + 26.0);

  RecordingInfo discrete;
  ASSERT_TRUE(FillRecordingInfo(test::RecordingPath("discrete.c10"), discrete));
  EXPECT_EQ(discrete.end.reason, RecordingEnd::Complete);
}

TEST(RecordingInfo, SyntheticRecordingWithPcmFormats) {
  test::TempDir dir;
  const auto bytes = test::SyntheticPcmRecording();
  test::WriteWholeFile(dir.File("synth.c10"), bytes);
  RecordingInfo info;
  ASSERT_TRUE(FillRecordingInfo(dir.File("synth.c10"), info));
  ExpectMatchesBytes(info, bytes);

  EXPECT_EQ(info.end.reason, RecordingEnd::PacketCut);
  EXPECT_EQ(info.time_packets, 2);
  EXPECT_NEAR(info.irig_time, test::kSyntheticIrigTime, 1e-6);  // day 366 of 2020
  const RecordingTypeInfo& pcm = info.types[2];
  EXPECT_EQ(pcm.count, 4);
  EXPECT_EQ(pcm.channel, 4U);
  EXPECT_DOUBLE_EQ(pcm.last_time, 1.04);
  EXPECT_NEAR(pcm.interval, 0.01, 1e-9);
  EXPECT_EQ(info.recorder_model, "Builder");

  ASSERT_EQ(info.pcm_formats.size(), 2U);
  const RecordingPcmFormatInfo& good = info.pcm_formats[0];
  EXPECT_EQ(good.group, 1);
  EXPECT_EQ(good.link, "FMT1");
  EXPECT_EQ(good.channel, 3);
  EXPECT_EQ(good.words_per_frame, 21);  // 20 words, the 24-bit pattern taking two
  EXPECT_EQ(good.common_word_length, 16);
  EXPECT_EQ(good.fsp, "111110101111001100100000");
  EXPECT_EQ(good.fsp_radix, "BINARY");
  EXPECT_EQ(good.fsp_length, 24);
  EXPECT_EQ(good.subframes, 4);
  EXPECT_EQ(good.sync_method, "SFID");
  EXPECT_EQ(good.sfid_word, 3);
  EXPECT_EQ(good.sfid_start_bit, 7);
  EXPECT_EQ(good.first_frame, 0);
  EXPECT_EQ(good.last_frame, 3);
  EXPECT_EQ(good.frames_per_interrupt, 4);
  EXPECT_EQ(good.bit_rate, 500000);
  EXPECT_TRUE(good.valid);
  EXPECT_EQ(good.message, "");

  const RecordingPcmFormatInfo& bad = info.pcm_formats[1];
  EXPECT_EQ(bad.link, "FMT2");
  EXPECT_EQ(bad.channel, 4);
  EXPECT_EQ(bad.subframes, 2000);
  EXPECT_FALSE(bad.valid);
  EXPECT_EQ(bad.error_code, 12);
  EXPECT_EQ(bad.message, "Too Many Subframes, Max is 1024");
}

// The generator's recordings: what it reports writing is what the summary finds, and
// the P groups it writes derive the decom setups of its streams.
TEST(RecordingInfo, GeneratedRecordingsMatchWhatTheGeneratorWrote) {
  SynthOptions options;
  options.duration_seconds = 2.5;
  options.start_day = 366;
  options.start_seconds = 3600.0;
  SynthPcmStream narrow;
  narrow.bit_rate = 200'000;
  narrow.words_per_frame = 40;
  narrow.word_length = 10;
  narrow.subframes = 8;
  narrow.pattern = 0xEB90;
  narrow.pattern_length = 16;
  narrow.packing = SynthPacking::Packed;
  SynthPcmStream single;
  single.channel_id = 9;
  single.subframes = 1;
  single.words_per_frame = 64;
  single.pattern_length = 24;
  single.pattern = 0xFAF320;
  options.pcm = {SynthPcmStream{}, narrow, single};
  options.video = {SynthVideoStream{}};

  std::vector<std::uint8_t> bytes;
  const SynthResult written = GenerateSyntheticRecording(options, bytes);
  ASSERT_TRUE(written.ok) << written.error;
  test::TempDir dir;
  test::WriteWholeFile(dir.File("generated.c10"), bytes);
  RecordingInfo info;
  ASSERT_TRUE(FillRecordingInfo(dir.File("generated.c10"), info));
  ExpectMatchesBytes(info, bytes);

  EXPECT_EQ(info.end.reason, RecordingEnd::Complete);
  EXPECT_EQ(info.packets, written.packets);
  EXPECT_EQ(info.time_packets, written.time_packets);
  std::int64_t pcm_packets = 0;
  for (const SynthStreamReport& stream : written.streams) {
    if (!stream.video) pcm_packets += stream.packets;
  }
  EXPECT_EQ(info.types[2].count, pcm_packets);
  // The last time packet: two seconds after the first.
  EXPECT_NEAR(info.irig_time, 366 * 86400.0 + 3602.0, 1e-6);

  ASSERT_EQ(info.pcm_formats.size(), options.pcm.size());
  for (std::size_t i = 0; i < options.pcm.size(); ++i) {
    SCOPED_TRACE(i);
    const SynthPcmStream& stream = options.pcm[i];
    const RecordingPcmFormatInfo& format = info.pcm_formats[i];
    EXPECT_EQ(format.channel, written.streams[i].channel_id);
    EXPECT_EQ(format.words_per_frame, stream.words_per_frame);
    EXPECT_EQ(format.common_word_length, stream.word_length);
    EXPECT_EQ(format.fsp_length, stream.pattern_length);
    EXPECT_EQ(format.subframes, stream.subframes);
    EXPECT_EQ(format.bit_rate, stream.bit_rate);
    EXPECT_TRUE(format.valid) << format.message;
  }
}

// Validation corrects a setup in place; the summary must leave the P group's as it is.
TEST(RecordingInfo, PcmFormatIsValidatedOnACopy) {
  pgroupstruct group;
  group.MultiplexNum = 7;
  group.DataLinkName = "FMT7";
  group.UseSfidSyncMethod = false;  // validation sets one subframe for such a setup
  group.NumSubframes = 4;
  DerivePDecomSetup(group);
  ASSERT_EQ(group.DecomSetup->NumSubframes, 4);
  const RecordingPcmFormatInfo info = PcmFormatInfoOf(group);
  EXPECT_EQ(group.DecomSetup->NumSubframes, 4);
  EXPECT_EQ(info.subframes, 4);
  EXPECT_EQ(info.sync_method, "NONE");
  EXPECT_EQ(info.group, 7);
  EXPECT_EQ(info.link, "FMT7");
}

// Damaged and hostile recordings give a summary up to the damage, never a failure.
TEST(RecordingInfo, DamagedRecordingsSayWhereTheWalkStopped) {
  const std::vector<std::uint8_t> setup = test::BuildPacket(test::SetupPacket("R-1\\N:0;"));
  auto with = [&](std::vector<std::uint8_t> tail) {
    std::vector<std::uint8_t> bytes = setup;
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  test::PacketParts tiny = test::PcmPacket(3, 0);
  tiny.packet_length = 10;
  test::PacketParts huge = test::PcmPacket(3, 0);
  huge.packet_length = 24 + (1U << 20) + 4;
  const auto time = test::BuildPacket(test::TimePacket(0, 0, test::TimePayload(1, 2, 3, 4, 5)));

  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    RecordingEnd reason;
    std::int64_t packets;
    std::int64_t offset;
    TmatsRecordStatus tmats;
  };
  const std::int64_t after_setup = static_cast<std::int64_t>(setup.size());
  const Case cases[] = {
      {"empty file", {}, RecordingEnd::Complete, 0, 0, TmatsRecordStatus::NoPacket},
      {"part of a header",
       {0x25, 0xEB, 1, 0},
       RecordingEnd::HeaderCut,
       0,
       0,
       TmatsRecordStatus::NoPacket},
      {"whole", setup, RecordingEnd::Complete, 1, after_setup, TmatsRecordStatus::Whole},
      {"header cut", with({0x25, 0xEB, 3}), RecordingEnd::HeaderCut, 1, after_setup,
       TmatsRecordStatus::Whole},
      {"packet cut", with({time.begin(), time.end() - 1}), RecordingEnd::PacketCut, 1, after_setup,
       TmatsRecordStatus::Whole},
      {"length below the header", with(test::BuildPacket(tiny)), RecordingEnd::LengthTooSmall, 1,
       after_setup, TmatsRecordStatus::Whole},
      {"oversized body", with(test::BuildPacket(huge)), RecordingEnd::BodyTooLarge, 1, after_setup,
       TmatsRecordStatus::Whole},
      {"first packet cut",
       {setup.begin(), setup.end() - 3},
       RecordingEnd::PacketCut,
       0,
       0,
       TmatsRecordStatus::Short},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteWholeFile(dir.File("damaged.c10"), c.bytes);
    RecordingInfo info;
    ASSERT_TRUE(FillRecordingInfo(dir.File("damaged.c10"), info));
    EXPECT_EQ(info.end.reason, c.reason);
    EXPECT_EQ(info.packets, c.packets);
    EXPECT_EQ(info.end.offset, c.offset);
    EXPECT_EQ(info.tmats_status, c.tmats);
    EXPECT_FALSE(RecordingEndText(info.end).empty());
    test::JsonValue json;
    std::string error;
    EXPECT_TRUE(test::ParseJson(RecordingInfoJson(info), json, error)) << error;
  }
}

TEST(RecordingInfo, RecordingThatCannotBeOpened) {
  test::TempDir dir;
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("missing.c10"), "No such file"},
      {dir.path().string(), "directory"},
  };
  for (const auto& [path, reason] : cases) {
    RecordingInfo info;
    EXPECT_FALSE(FillRecordingInfo(path, info));
    EXPECT_FALSE(info.opened);
    EXPECT_NE(info.open_error.find("cannot open " + path), std::string::npos) << info.open_error;
    EXPECT_NE(info.open_error.find(reason), std::string::npos) << info.open_error;
  }
}

// TMATS texts are the recorder's: control characters and bytes that are not UTF-8
// reach neither the terminal nor the JSON raw.
TEST(RecordingInfo, HostileTmatsTextsAreEscaped) {
  const std::string source = "\x1B[31mRED\"\\\xFF";
  const std::string text =
      "R-1\\N:1;\nR-1\\CHE-1:T;\nR-1\\TK1-1:5;\nR-1\\CDT-1:PCMIN;\nR-1\\DSI-1:" + source + ";\n";
  test::PacketParts first = test::SetupPacket(text);
  first.data_type = 0x00;  // not even a setup record
  test::TempDir dir;
  test::WriteWholeFile(dir.File("hostile.c10"), test::BuildPacket(first));
  RecordingInfo info;
  ASSERT_TRUE(FillRecordingInfo(dir.File("hostile.c10"), info));
  EXPECT_EQ(info.first_packet_type, 0x00);
  ASSERT_EQ(info.channels.size(), 1U);
  EXPECT_EQ(info.channels[0].source, source);

  const std::string shown = RecordingInfoText(info);
  EXPECT_EQ(shown.find('\x1B'), std::string::npos);
  EXPECT_NE(shown.find("\\x1B[31mRED"), std::string::npos);

  test::JsonValue json;
  std::string error;
  ASSERT_TRUE(test::ParseJson(RecordingInfoJson(info), json, error)) << error;
  EXPECT_EQ(json["channels"].items.at(0)["source"].text, "\x1B[31mRED\"\\\xC3\xBF");
}

TEST(RecordingInfo, StatisticsCellsAsTheProgressDialogShowsThem) {
  RecordingTypeInfo row;
  row.label = "0x40 MPEG-2 Video F0";
  EXPECT_EQ(TypeRowTexts(row), (std::array<std::string, 4>{"-----", "-----", "-----", "-----"}));
  row.count = 26;
  row.channel = 13;
  row.last_time = 86400.0 + 3600.0 + 60.5;
  row.interval = 0.026644;
  EXPECT_EQ(TypeRowTexts(row),
            (std::array<std::string, 4>{"0x0000001A", "13", "001:01:01:00.500000", "0.026644"}));
}

TEST(RecordingInfo, JsonHasEveryKeyWithItsType) {
  test::TempDir dir;
  test::WriteWholeFile(dir.File("synth.c10"), test::SyntheticPcmRecording());
  RecordingInfo info;
  ASSERT_TRUE(FillRecordingInfo(dir.File("synth.c10"), info));
  test::JsonValue json;
  std::string error;
  ASSERT_TRUE(test::ParseJson(RecordingInfoJson(info), json, error)) << error;
  using Type = test::JsonValue::Type;
  auto expect_keys = [](const test::JsonValue& object,
                        const std::vector<std::pair<std::string, Type>>& keys) {
    ASSERT_EQ(object.type, Type::Object);
    for (const auto& [key, type] : keys) {
      ASSERT_TRUE(object.Has(key)) << key;
      EXPECT_EQ(object[key].type, type) << key;
    }
  };
  expect_keys(json, {{"size", Type::Number},
                     {"packets", Type::Number},
                     {"types", Type::Array},
                     {"irig_time", Type::Number},
                     {"channels", Type::Array},
                     {"pcm_formats", Type::Array},
                     {"end", Type::Object},
                     {"tmats", Type::Object}});
  EXPECT_EQ(json["packets"].number, 7.0);
  EXPECT_NEAR(json["irig_time"].number, test::kSyntheticIrigTime, 1e-6);
  EXPECT_EQ(json["irig_time_text"].text, "366:12:34:56.780000");
  EXPECT_EQ(json["end"]["reason"].text, "packet_cut");

  ASSERT_EQ(json["types"].items.size(), 13U);
  for (const auto& row : json["types"].items) {
    expect_keys(row, {{"label", Type::String},
                      {"count", Type::Number},
                      {"channel", Type::Number},
                      {"last_time", Type::Number},
                      {"interval", Type::Number}});
  }
  EXPECT_EQ(json["types"].items[2]["label"].text, "0x09 PCM F1");
  EXPECT_EQ(json["types"].items[2]["count"].number, 4.0);

  ASSERT_EQ(json["channels"].items.size(), 3U);
  for (const auto& channel : json["channels"].items) {
    expect_keys(channel, {{"track", Type::Number},
                          {"type", Type::String},
                          {"source", Type::String},
                          {"link", Type::String}});
  }
  EXPECT_EQ(json["channels"].items[1]["type"].text, "PCMIN");
  EXPECT_EQ(json["channels"].items[1]["link"].text, "LINK-A");

  ASSERT_EQ(json["pcm_formats"].items.size(), 2U);
  const std::vector<std::pair<std::string, Type>> format_keys = {
      {"group", Type::Number},
      {"link", Type::String},
      {"channel", Type::Number},
      {"words_per_frame", Type::Number},
      {"common_word_length", Type::Number},
      {"fsp", Type::String},
      {"fsp_radix", Type::String},
      {"fsp_length", Type::Number},
      {"subframes", Type::Number},
      {"sync_method", Type::String},
      {"sfid_word", Type::Number},
      {"sfid_start_bit", Type::Number},
      {"first_frame", Type::Number},
      {"last_frame", Type::Number},
      {"frames_per_interrupt", Type::Number},
      {"bit_rate", Type::Number},
      {"valid", Type::Bool},
      {"message", Type::String}};
  for (const auto& format : json["pcm_formats"].items) expect_keys(format, format_keys);
  EXPECT_TRUE(json["pcm_formats"].items[0]["valid"].boolean);
  EXPECT_FALSE(json["pcm_formats"].items[1]["valid"].boolean);
}

TEST(RecordingInfo, TextShowsTheDialogLabelsAndTheFormats) {
  test::TempDir dir;
  test::WriteWholeFile(dir.File("synth.c10"), test::SyntheticPcmRecording());
  RecordingInfo info;
  ASSERT_TRUE(FillRecordingInfo(dir.File("synth.c10"), info));
  const std::string text = RecordingInfoText(info);
  for (const char* part :
       {"Num Ch 10 Pkts  7\n", "IRIG Time       366:12:34:56.780000 (last of 2 time packets)",
        "0x09 PCM F1           0x00000004  4      000:00:00:01.040000  0.010000\n",
        "0x40 MPEG-2 Video F0  -----       -----  -----                -----\n",
        "2     PCMIN      3      TM-A         LINK-A  YES\n", "PCM formats (2)\n",
        "P-1  link FMT1  channel 3\n",
        "  Frame sync pattern    111110101111001100100000 (BINARY, 24 bits)\n",
        "  Validation            OK\n",
        "  Validation            ERROR 12: Too Many Subframes, Max is 1024\n"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n--- in ---\n" << text;
  }
}

TEST(RecordingInfo, ProgressIsReportedAndCanStopTheWalk) {
  test::RecordingBuilder recording;
  recording.Add(test::SetupPacket("R-1\\N:0;"));
  for (int i = 0; i < 449; ++i) recording.Add(test::PcmPacket(3, 0));
  test::TempDir dir;
  test::WriteWholeFile(dir.File("long.c10"), recording.bytes());

  std::vector<double> seen;
  RecordingInfoOptions options;
  options.progress = [&](double percent) {
    seen.push_back(percent);
    return true;
  };
  RecordingInfo info;
  ASSERT_TRUE(FillRecordingInfo(dir.File("long.c10"), info, options));
  EXPECT_EQ(seen.size(), 2U);  // after packets 200 and 400
  EXPECT_EQ(info.packets, 450);
  EXPECT_EQ(info.end.reason, RecordingEnd::Complete);

  options.progress = [](double) { return false; };
  ASSERT_TRUE(FillRecordingInfo(dir.File("long.c10"), info, options));
  EXPECT_EQ(info.packets, 200);
  EXPECT_EQ(info.end.reason, RecordingEnd::Stopped);
}

TEST(RecordingInfo, DumpWritesTheFirstPacketAndTmatsDumpsToTheLog) {
  for (const bool dump : {false, true}) {
    SCOPED_TRACE(dump);
    test::LogSession log;
    test::WriteWholeFile(log.dir().File("synth.c10"), test::SyntheticPcmRecording());
    RecordingInfoOptions options;
    options.dump = dump;
    RecordingInfo info;
    ASSERT_TRUE(FillRecordingInfo(log.dir().File("synth.c10"), info, options));
    const std::string text = log.Text();
    for (const char* part : {"Packet Header ---", "Channel Specific Data", "TMATS LINE INFO",
                             "TMATS RECORDER INFO", "TMATS PCM INFO"}) {
      EXPECT_EQ(text.find(part) != std::string::npos, dump) << part;
    }
  }
}

}  // namespace
}  // namespace tessel
