// DDbase files: the byte layout, writing with checked writes, reading with the version
// fixes, and refusal of truncated files without touching the caller's setup.
#include "setup/ddbase_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"
#include "setup/stream_config.h"
#include "support/clock.h"
#include "support/files.h"
#include "support/ui.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

constexpr std::size_t kFirstHeader = 0;
constexpr std::size_t kDecomAt = 29;
constexpr std::size_t kSimHeader = 262397;
constexpr std::size_t kSimAt = 262414;
constexpr std::size_t kBitSyncHeader = 328290;
constexpr std::size_t kBitSyncAt = 328307;
constexpr std::size_t kTrailerHeader = 328343;
constexpr std::size_t kTrailerAt = 328360;

struct WriteFaultGuard {
  WriteFaultGuard(std::int64_t bytes_allowed, int error_number) {
    SetWriteFaultForTesting(bytes_allowed, error_number);
  }
  ~WriteFaultGuard() { SetWriteFaultForTesting(-1, 0); }
};

// The four blocks of one stream, at their defaults.
struct Blocks {
  Blocks() {
    SetDecomDefaults(*decom);
    SetSimDefaults(*sim);
    SetBitSyncDefaults(bitsync, 0);
    SetTrailerDefaults(trailer);
  }
  std::vector<std::uint8_t> Image() const {
    return DdbaseFileImage(*decom, *sim, trailer, bitsync);
  }
  std::unique_ptr<decomsetupstruct> decom = std::make_unique<decomsetupstruct>();
  std::unique_ptr<simsetupstruct> sim = std::make_unique<simsetupstruct>();
  bitsyncsetupstruct bitsync{};
  trailerblockstruct trailer{};
};

template <SetupByteImage Record>
std::vector<std::uint8_t> Bytes(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof(Record));
  RecordToBytes(record, bytes);
  return bytes;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                std::size_t size) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
          bytes.begin() + static_cast<std::ptrdiff_t>(at + size)};
}

void PutInt32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// A file as an older program wrote it: the given versions in the three read headers.
std::vector<std::uint8_t> FileOfVersions(const Blocks& blocks, std::int32_t decom_version,
                                         std::int32_t sim_version, std::int32_t bitsync_version) {
  std::vector<std::uint8_t> bytes = blocks.Image();
  PutInt32(bytes, kFirstHeader, decom_version);
  PutInt32(bytes, kSimHeader, sim_version);
  PutInt32(bytes, kBitSyncHeader, bitsync_version);
  return bytes;
}

bool HasErrorBeep(const RecordingSpeaker& speaker) {
  for (const auto& tone : speaker.tones) {
    if (tone == std::pair<int, int>{100, 50}) return true;
  }
  return false;
}

class DdbaseFileTest : public ::testing::Test {
 protected:
  DdbaseFileTest() : ui_scope_(&ui_) { SetSpeaker(&speaker_); }
  ~DdbaseFileTest() override { SetSpeaker(nullptr); }

  std::string File(const std::string& name) const { return log_.dir().File(name); }
  std::vector<test::LogEntry> Logged() const {
    return test::EntriesAfter(test::LogEntries(log_.Text()), "Program Version test");
  }
  bool Logged(const std::string& message, int code) const {
    for (const test::LogEntry& entry : Logged()) {
      if (entry.message == message && entry.code == code) return true;
    }
    return false;
  }
  // Reads the bytes as a file into `into`, whose bit synchroniser keeps its hardware type.
  bool ReadBytes(const std::vector<std::uint8_t>& bytes, Blocks& into) {
    test::WriteWholeFile(File("in.B72"), bytes);
    return ReadDdbaseFile(File("in.B72"), *into.decom, *into.sim, into.bitsync);
  }

  test::LogSession log_;
  ScriptedUserInterface ui_;
  ScopedUserInterface ui_scope_;
  RecordingSpeaker speaker_;
};

// ---- Layout ----

TEST(DdbaseFileLayout, BlocksSitBehindTheirHeaders) {
  Blocks blocks;
  blocks.decom->WordsPerFrame = 99;
  blocks.sim->SimBitRate = 7777;
  blocks.bitsync.BitRate = 5000000;
  blocks.trailer.Reserved0 = 0x12345678;  // written as 0
  const std::vector<std::uint8_t> image = blocks.Image();
  ASSERT_EQ(image.size(), 328380u);

  const std::vector<std::uint8_t> first_header = {2, 0, 0,  0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0,
                                                  0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0};
  EXPECT_EQ(Slice(image, kFirstHeader, 29), first_header);
  const std::vector<std::uint8_t> plain_header = {2, 0, 0, 0, 1, 0, 0, 0, 0,
                                                  0, 0, 0, 0, 0, 0, 0, 0};
  for (std::size_t at : {kSimHeader, kBitSyncHeader, kTrailerHeader}) {
    EXPECT_EQ(Slice(image, at, 17), plain_header) << at;
  }
  EXPECT_EQ(Slice(image, kDecomAt, kDecomSetupBytes), Bytes(*blocks.decom));
  EXPECT_EQ(Slice(image, kSimAt, kSimSetupBytes), Bytes(*blocks.sim));
  EXPECT_EQ(Slice(image, kBitSyncAt, kBitSyncSetupBytes), Bytes(blocks.bitsync));
  trailerblockstruct written = blocks.trailer;
  written.Reserved0 = 0;
  EXPECT_EQ(Slice(image, kTrailerAt, kTrailerBlockBytes), Bytes(written));
}

TEST(DdbaseFileLayout, TextFieldsAreZeroFilledPastTheirTerminator) {
  Blocks blocks;
  // A stale tail behind the terminator, and a field without any terminator.
  std::memset(blocks.decom->FrmSyncPat, 'Q', sizeof blocks.decom->FrmSyncPat);
  std::memcpy(blocks.decom->FrmSyncPat, "EB90\0", 5);
  std::memset(blocks.decom->URCSyncPat, 'Z', sizeof blocks.decom->URCSyncPat);
  std::memset(blocks.sim->FrmSyncPat, 'R', sizeof blocks.sim->FrmSyncPat);
  std::memcpy(blocks.sim->FrmSyncPat, "1\0", 2);
  const std::vector<std::uint8_t> image = blocks.Image();

  std::vector<std::uint8_t> pattern(66, 0);
  std::memcpy(pattern.data(), "EB90", 4);
  EXPECT_EQ(Slice(image, kDecomAt + 20, 66), pattern);
  std::vector<std::uint8_t> urc(66, 'Z');
  urc.back() = 0;
  EXPECT_EQ(Slice(image, kDecomAt + 136, 66), urc);
  std::vector<std::uint8_t> sim_pattern(68, 0);
  sim_pattern[0] = '1';
  EXPECT_EQ(Slice(image, kSimAt + 52, 68), sim_pattern);
}

// ---- Writing ----

TEST_F(DdbaseFileTest, WritesTheImageWhole) {
  Blocks blocks;
  blocks.decom->BitRate = 2000000;
  ASSERT_TRUE(
      WriteDdbaseFile(File("S1.B72"), *blocks.decom, *blocks.sim, blocks.trailer, blocks.bitsync));
  EXPECT_EQ(test::ReadWholeFile(File("S1.B72")), blocks.Image());
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(DdbaseFileTest, WritesTheBlocksOfAStreamSetup) {
  StreamSetups setups;
  pcmsetupinfo& setup = setups.config().PcmSetups[2];
  setup.DecomSetup.WordsPerFrame = 64;
  setup.DecomSetup.WdArrayLength = 64;
  setup.BitSyncSetup.BitRate = 3000000;
  ASSERT_TRUE(WriteDdbaseFile(File("S3.B72"), setup));
  EXPECT_EQ(
      test::ReadWholeFile(File("S3.B72")),
      DdbaseFileImage(setup.DecomSetup, setup.SimSetup, setup.TrailerBlock, setup.BitSyncSetup));
}

TEST_F(DdbaseFileTest, AFileThatCannotBeCreatedIsReported) {
  Blocks blocks;
  const std::string path = File("missing/S1.B72");
  EXPECT_FALSE(WriteDdbaseFile(path, *blocks.decom, *blocks.sim, blocks.trailer, blocks.bitsync));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].caption, "ERROR");
  EXPECT_EQ(ui_.boxes[0].text, "FAILED OPENING FILE FOR SAVE " + path);
  EXPECT_TRUE(Logged("FAILED OPENING FILE FOR SAVE " + path, 255));
  EXPECT_TRUE(HasErrorBeep(speaker_));
}

TEST_F(DdbaseFileTest, AWriteThatFailsIsReportedAndLeavesNoFile) {
  Blocks blocks;
  const std::string path = File("S1.B72");
  // Early in the file, and on the very last byte.
  for (std::int64_t allowed : {std::int64_t{1000}, std::int64_t{328379}}) {
    ui_.boxes.clear();
    {
      WriteFaultGuard full(allowed, ENOSPC);
      EXPECT_FALSE(
          WriteDdbaseFile(path, *blocks.decom, *blocks.sim, blocks.trailer, blocks.bitsync));
    }
    ASSERT_EQ(ui_.boxes.size(), 1u) << allowed;
    EXPECT_EQ(ui_.boxes[0].caption, "ERROR");
    EXPECT_EQ(ui_.boxes[0].text, "cannot write " + path + ": No space left on device");
    EXPECT_FALSE(PathExists(path)) << allowed;
  }
  EXPECT_TRUE(HasErrorBeep(speaker_));
}

// ---- Reading ----

TEST_F(DdbaseFileTest, RoundTripKeepsTheSetupExceptPcmCodeAndBitRate) {
  Blocks written;
  decomsetupstruct& decom = *written.decom;
  decom.WordsPerFrame = 128;
  decom.WdArrayLength = 128;
  decom.PcmInputCode = 3;
  decom.BitRate = 2000000;
  decom.FramesPerInterrupt = 10;
  decom.WdArray[5].iWdLen = 12;
  written.sim->SimBitRate = 2000000;
  written.bitsync.BitRate = 5000000;
  written.bitsync.BitRateBand = BitRateBand(5000000);
  ASSERT_TRUE(
      WriteDdbaseFile(File("RT.B72"), decom, *written.sim, written.trailer, written.bitsync));

  Blocks read;
  std::memset(read.decom.get(), 0x5A, sizeof(decomsetupstruct));
  ASSERT_TRUE(ReadDdbaseFile(File("RT.B72"), *read.decom, *read.sim, read.bitsync));

  decomsetupstruct& expected = *written.decom;
  expected.PcmInputCode = 0;
  expected.BitRate = 5000000;
  EXPECT_EQ(Bytes(*read.decom), Bytes(expected));
  EXPECT_EQ(Bytes(*read.sim), Bytes(*written.sim));
  EXPECT_EQ(Bytes(read.bitsync), Bytes(written.bitsync));
  EXPECT_FALSE(HasErrorBeep(speaker_));
}

TEST_F(DdbaseFileTest, OlderVersionsGetTheirFixes) {
  struct Case {
    std::int32_t decom_version;
    std::int32_t sim_version;
    std::int16_t first_frame;      // of the decom setup
    std::int32_t num_subframes;    // of the decom setup
    std::int16_t decom_start_bit;  // expected after reading
    std::uint8_t pcm_code;         // expected after reading
    std::int32_t sim_start_bit;    // expected after reading
  };
  // Stored start bits: decom 9, simulator 10; the simulator counts 16 frames from 0.
  const std::vector<Case> cases = {
      {1, 1, 0, 64, 5, 0, 3},    // counter 0..63: top bit 5
      {1, 2, 1, 64, 6, 0, 10},   // counter 1..64: top bit 6; simulator of version 2 kept
      {0, 1, 0, 1, 9, 0, 3},     // one subframe: start bit kept
      {-7, 2, 0, 64, 5, 0, 10},  // any version below 2
      {2, 1, 0, 64, 9, 0, 3},    // version 2: only the PCM code is reset
      {3, 3, 0, 64, 9, 3, 10},   // version 3 and later: nothing changes
      {99, 99, 0, 64, 9, 3, 10},
  };
  for (const Case& c : cases) {
    Blocks file;
    file.decom->PcmInputCode = 3;
    file.decom->SubFrameIdStartBitLsb = 9;
    file.decom->FirstFrame = c.first_frame;
    file.decom->NumSubframes = c.num_subframes;
    file.decom->LastFrame = static_cast<std::int16_t>(
        c.num_subframes == 1 ? 0 : c.num_subframes - (c.first_frame == 0 ? 1 : 0));
    file.sim->NumSubframes = 16;
    file.sim->SubFrameIdStartBitLsb = 10;
    Blocks read;
    ASSERT_TRUE(ReadBytes(FileOfVersions(file, c.decom_version, c.sim_version, 2), read));
    EXPECT_EQ(read.decom->SubFrameIdStartBitLsb, c.decom_start_bit) << c.decom_version;
    EXPECT_EQ(read.decom->PcmInputCode, c.pcm_code) << c.decom_version;
    EXPECT_EQ(read.sim->SubFrameIdStartBitLsb, c.sim_start_bit) << c.sim_version;
    EXPECT_FALSE(HasErrorBeep(speaker_)) << c.decom_version;
  }
}

TEST_F(DdbaseFileTest, BitSynchroniserKeepsItsHardwareTypeAndLimitsItsBand) {
  struct Case {
    std::int32_t hardware_type;  // the caller's, before the read
    std::int32_t band_in_file;
    std::int32_t band;  // expected
  };
  const std::vector<Case> cases = {
      {0, 12, 7},  {1, -3, 0},  {4, 7, 7},  {5, 8, 7},
      {2, 12, 12}, {3, 17, 16}, {2, -1, 0}, {9, 40, 40},
  };
  for (const Case& c : cases) {
    Blocks file;
    file.bitsync.HardwareType = 6;  // the file's own type is never taken
    file.bitsync.BitRateBand = c.band_in_file;
    file.bitsync.BitRate = 3000000;
    file.bitsync.Reserved28[4] = 0xAA;  // byte 32
    file.bitsync.Reserved28[3] = 0xBB;
    Blocks read;
    read.bitsync.HardwareType = c.hardware_type;
    ASSERT_TRUE(ReadBytes(file.Image(), read));
    EXPECT_EQ(read.bitsync.HardwareType, c.hardware_type);
    EXPECT_EQ(read.bitsync.BitRateBand, c.band) << c.hardware_type << " " << c.band_in_file;
    EXPECT_EQ(read.bitsync.Reserved28[4], 0);
    EXPECT_EQ(read.bitsync.Reserved28[3], 0xBB);
    EXPECT_EQ(read.bitsync.BitRate, 3000000);
    EXPECT_EQ(read.decom->BitRate, 3000000);
  }
}

TEST_F(DdbaseFileTest, DamagedSimulatorSettingsBringBackItsDefaults) {
  const std::vector<std::function<void(simsetupstruct&)>> damages = {
      [](simsetupstruct& s) { s.BitOrder = 2; },
      [](simsetupstruct& s) { s.SubframeMode = 4; },
      [](simsetupstruct& s) { s.SubframeDirection = -1; },
      [](simsetupstruct& s) { s.PatternLeads = 2; },
      [](simsetupstruct& s) { s.SimBitRate = 9; },
      [](simsetupstruct& s) { s.SimBitRate = 33000001; },
      [](simsetupstruct& s) { s.SimOutputCode = 18; },
  };
  auto defaults = std::make_unique<simsetupstruct>();
  SetSimDefaults(*defaults);
  for (std::size_t i = 0; i < damages.size(); ++i) {
    Blocks file;
    file.sim->WordsPerFrame = 100;
    damages[i](*file.sim);
    Blocks read;
    ASSERT_TRUE(ReadBytes(file.Image(), read));
    EXPECT_EQ(Bytes(*read.sim), Bytes(*defaults)) << i;
  }
  int lines = 0;
  for (const test::LogEntry& entry : Logged()) {
    if (entry.message == "Appear to have file corruption for simulator, setting defaults" &&
        entry.code == 255) {
      ++lines;
    }
  }
  EXPECT_EQ(lines, static_cast<int>(damages.size()));
}

TEST_F(DdbaseFileTest, InconsistentSimulatorFrameOnlyBeeps) {
  Blocks file;
  file.sim->FrmSyncPatLen = 2;
  Blocks read;
  ASSERT_TRUE(ReadBytes(file.Image(), read));
  EXPECT_EQ(read.sim->FrmSyncPatLen, 2);
  EXPECT_TRUE(HasErrorBeep(speaker_));
}

TEST_F(DdbaseFileTest, ADecomSetupThatFailsValidationIsReturnedAfterABeep) {
  Blocks file;
  file.decom->FrmSyncPatLen = 2;
  Blocks read;
  ASSERT_TRUE(ReadBytes(file.Image(), read));
  EXPECT_EQ(read.decom->FrmSyncPatLen, 2);
  EXPECT_TRUE(HasErrorBeep(speaker_));
}

TEST_F(DdbaseFileTest, AFileEndingInsideAnyRecordIsRefusedAndChangesNothing) {
  Blocks file;
  file.decom->WordsPerFrame = 77;
  const std::vector<std::uint8_t> whole = file.Image();
  // Every record boundary, and a cut inside each record.
  const std::vector<std::size_t> sizes = {0,
                                          3,
                                          17,
                                          28,
                                          kDecomAt,
                                          100000,
                                          kSimHeader,
                                          262400,
                                          kSimAt,
                                          300000,
                                          kBitSyncHeader,
                                          328300,
                                          kBitSyncAt,
                                          328330,
                                          kTrailerHeader,
                                          328350,
                                          kTrailerAt,
                                          328379};
  for (std::size_t size : sizes) {
    Blocks read;
    std::memset(read.decom.get(), 0x11, sizeof(decomsetupstruct));
    std::memset(read.sim.get(), 0x22, sizeof(simsetupstruct));
    std::memset(&read.bitsync, 0x33, sizeof(bitsyncsetupstruct));
    const std::vector<std::uint8_t> decom_before = Bytes(*read.decom);
    const std::vector<std::uint8_t> sim_before = Bytes(*read.sim);
    const std::vector<std::uint8_t> bitsync_before = Bytes(read.bitsync);
    EXPECT_FALSE(ReadBytes(Slice(whole, 0, size), read)) << size;
    EXPECT_EQ(Bytes(*read.decom), decom_before) << size;
    EXPECT_EQ(Bytes(*read.sim), sim_before) << size;
    EXPECT_EQ(Bytes(read.bitsync), bitsync_before) << size;
  }
  const std::vector<test::LogEntry> logged = Logged();
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back().message, "DDbase file " + File("in.B72") +
                                       " ends inside its trailer block (328379 of 328380 bytes)");
  EXPECT_EQ(logged.back().code, 255);
  EXPECT_FALSE(HasErrorBeep(speaker_));
}

TEST_F(DdbaseFileTest, ExtraBytesAfterTheTrailerAreIgnored) {
  Blocks file;
  std::vector<std::uint8_t> bytes = file.Image();
  bytes.resize(bytes.size() + 100, 0xEE);
  Blocks read;
  EXPECT_TRUE(ReadBytes(bytes, read));
}

TEST_F(DdbaseFileTest, AMissingFileIsRefused) {
  Blocks read;
  std::memset(read.decom.get(), 0x11, sizeof(decomsetupstruct));
  const std::vector<std::uint8_t> before = Bytes(*read.decom);
  EXPECT_FALSE(ReadDdbaseFile(File("none.B72"), *read.decom, *read.sim, read.bitsync));
  EXPECT_EQ(Bytes(*read.decom), before);
  EXPECT_TRUE(Logged("DDbase file " + File("none.B72") + " does not exist", 255));
}

TEST_F(DdbaseFileTest, ARelativeNameIsTakenFromTheStartDirectory) {
  Blocks file;
  file.bitsync.BitRate = 4000000;
  test::WriteWholeFile(File("REL.B72"), file.Image());
  test::TempDir elsewhere;
  test::ScopedCurrentDirectory moved(elsewhere.path());
  Blocks read;
  ASSERT_TRUE(ReadDdbaseFile("REL.B72", *read.decom, *read.sim, read.bitsync));
  EXPECT_EQ(read.decom->BitRate, 4000000);
}

}  // namespace
}  // namespace tessel
