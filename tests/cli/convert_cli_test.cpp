// tessel-cli convert: the road from a recording to the setup files, without a screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ch10/synthetic.h"
#include "common/test_files.h"
#include "setup/ddbase_file.h"
#include "setup/stream_config.h"

namespace {

namespace fs = std::filesystem;
using tessel::test::RunCli;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class ConvertCli : public ::testing::Test {
 protected:
  ConvertCli() : current_(dir_.path()) { fs::create_directory(dir_.path() / "out"); }
  bool Exists(const std::string& name) const { return fs::exists(dir_.path() / "out" / name); }

  tessel::test::TempDir dir_;

 private:
  tessel::test::ScopedCurrentDirectory current_;
};

TEST_F(ConvertCli, WritesTheSetupFilesOfEveryVideoChannel) {
  if (!tessel::test::RecordingsAvailable()) GTEST_SKIP() << "no sample recordings";
  int status = -1;
  const std::string output = RunCli("convert '" + tessel::test::RecordingPath("sample.c10") +
                                        "' --project out/flight.prj --no-run",
                                    status);
  ASSERT_EQ(status, 0) << output;
  for (int i = 1; i <= 8; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_NE(output.find("stream " + n + ": channel " + std::to_string(12 + i) + " VIDEO INPUT"),
              std::string::npos)
        << output;
    for (const char* extension : {".PDB", ".PBIN", ".B72"}) {
      EXPECT_TRUE(Exists("FLIGHT_" + n + extension)) << n << extension;
    }
  }
  EXPECT_TRUE(Exists("FLIGHT.PRJ"));
  EXPECT_TRUE(Exists("VeltraneDeviceCfg.Cfg"));
  EXPECT_EQ(Count(output, "wrote "), 8u * 3u + 2u) << output;
  EXPECT_EQ(Count(output, "NOT WRITTEN"), 0u);
  // The log is in the current directory; the options file is neither read nor written.
  EXPECT_TRUE(fs::exists(dir_.path() / "Tessel.Log"));
  EXPECT_FALSE(fs::exists(dir_.path() / "Tessel.Cfg"));

  tessel::pcmsetupinfo back;
  tessel::ResetPcmSetupInfo(back);
  ASSERT_TRUE(tessel::ReadDdbaseFile((dir_.path() / "out" / "FLIGHT_1.B72").string(),
                                     back.DecomSetup, back.SimSetup, back.BitSyncSetup));
  EXPECT_EQ(back.DecomSetup.WordsPerFrame, 188);
}

TEST_F(ConvertCli, WithoutNoRunSaysTheRunIsNotBuiltYet) {
  if (!tessel::test::RecordingsAvailable()) GTEST_SKIP() << "no sample recordings";
  int status = -1;
  const std::string output = RunCli("convert '" + tessel::test::RecordingPath("sample.c10") +
                                        "' --project out/flight.prj --channel 13:video",
                                    status);
  EXPECT_EQ(status, 2) << output;
  EXPECT_NE(output.find("not built yet"), std::string::npos) << output;
  EXPECT_TRUE(Exists("FLIGHT_1.PDB"));
}

TEST_F(ConvertCli, PcmChannelsTakeTheirTmatsFormatAndTheSettings) {
  tessel::SynthOptions options;
  options.duration_seconds = 0.5;
  tessel::SynthPcmStream pcm;
  pcm.words_per_frame = 64;
  pcm.bit_rate = 500'000;
  options.pcm = {pcm, pcm};
  options.video = {tessel::SynthVideoStream{}};
  const std::string recording = (dir_.path() / "pcm.c10").string();
  ASSERT_TRUE(tessel::WriteSyntheticRecording(options, recording).ok);

  int status = -1;
  const std::string output = RunCli(
      "convert pcm.c10 --project out/run7.prj --channel 3 --channel 99 --channel 2 "
      "--set 2:frames-per-interrupt=300 --set 2:bit-rate=750000 --no-run",
      status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_NE(output.find("stream 1: channel 3 PCM INPUT"), std::string::npos) << output;
  EXPECT_NE(output.find("stream 2: channel 2 PCM INPUT"), std::string::npos) << output;
  EXPECT_NE(output.find("note: channel 99 dropped"), std::string::npos) << output;
  EXPECT_NE(output.find("ERROR: Invalid Type Data or ChID for stream 2"), std::string::npos);
  EXPECT_NE(output.find("note: stream 2: frames-per-interrupt 300 taken as 255"),
            std::string::npos);

  tessel::pcmsetupinfo first;
  tessel::pcmsetupinfo second;
  for (auto* setup : {&first, &second}) tessel::ResetPcmSetupInfo(*setup);
  ASSERT_TRUE(tessel::ReadDdbaseFile((dir_.path() / "out" / "RUN7_1.B72").string(),
                                     first.DecomSetup, first.SimSetup, first.BitSyncSetup));
  ASSERT_TRUE(tessel::ReadDdbaseFile((dir_.path() / "out" / "RUN7_2.B72").string(),
                                     second.DecomSetup, second.SimSetup, second.BitSyncSetup));
  EXPECT_EQ(first.DecomSetup.WordsPerFrame, 64);  // from the recording's TMATS
  EXPECT_EQ(first.DecomSetup.BitRate, 500000);
  EXPECT_EQ(second.DecomSetup.BitRate, 750000);
  EXPECT_EQ(second.DecomSetup.FramesPerInterrupt, 255);
  EXPECT_TRUE(Exists("RUN7.PRJ"));
}

TEST_F(ConvertCli, UnwritableProjectDirectoryIsReported) {
  if (!tessel::test::RecordingsAvailable()) GTEST_SKIP() << "no sample recordings";
  const std::string sample = tessel::test::RecordingPath("sample.c10");
  int status = -1;
  std::string output =
      RunCli("convert '" + sample + "' --project missing/flight.prj --channel 13 --no-run", status);
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find("ERROR: CANNOT WRITE THE PROJECT FILES: DIRECTORY DOES NOT EXIST"),
            std::string::npos)
      << output;
  EXPECT_EQ(Count(output, "NOT WRITTEN"), 5u) << output;
  EXPECT_EQ(Count(output, "wrote "), 0u);
}

TEST_F(ConvertCli, ProjectDirectoryWithoutWritePermissionIsReported) {
  if (!tessel::test::RecordingsAvailable()) GTEST_SKIP() << "no sample recordings";
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const std::string sample = tessel::test::RecordingPath("sample.c10");
  fs::create_directory(dir_.path() / "locked");
  fs::permissions(dir_.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  int status = -1;
  const std::string output =
      RunCli("convert '" + sample + "' --project locked/flight.prj --channel 13 --no-run", status);
  fs::permissions(dir_.path() / "locked", fs::perms::owner_all);
  EXPECT_EQ(status, 1) << output;
  EXPECT_EQ(Count(output, "NOT WRITTEN"), 5u) << output;
}

TEST_F(ConvertCli, BadArgumentsAreRefused) {
  int status = -1;
  std::string output = RunCli("convert x.c10 --project out/a.prj --set 1:wordz=3", status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("unknown field wordz"), std::string::npos) << output;
  output = RunCli("convert x.c10 --project out/a.prj --channel 70000", status);
  EXPECT_EQ(status, 1);
  output = RunCli("convert x.c10 --project out/a.prj --no-run", status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("x.c10"), std::string::npos) << output;
  output = RunCli("convert x.c10", status);
  EXPECT_NE(status, 0);
}

TEST_F(ConvertCli, HelpNamesTheDecomFields) {
  int status = -1;
  const std::string output = RunCli("convert --help", status);
  EXPECT_EQ(status, 0);
  for (const char* field :
       {"fsp-position", "fsp-bits", "fsp ", "word-length", "msb-first", "words", "sfid-start",
        "sfid-word", "sfid-bit", "bit-rate", "frames-per-interrupt", "gmode", "Tessel.Log"}) {
    EXPECT_NE(output.find(field), std::string::npos) << field;
  }
}

}  // namespace
