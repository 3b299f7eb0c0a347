// The stream configuration: reset values, and the owner that pairs each stream's setup
// with its parameter database.
#include "setup/stream_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "pdbase/pdbase.h"

namespace tessel {
namespace {

template <SetupByteImage Record>
std::vector<std::uint8_t> Bytes(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof(Record));
  RecordToBytes(record, bytes);
  return bytes;
}

// Checks every field of the setup against its reset value.
void ExpectResetSetup(const pcmsetupinfo& setup) {
  auto decom = std::make_unique<decomsetupstruct>();
  SetDecomDefaults(*decom);
  auto sim = std::make_unique<simsetupstruct>();
  SetSimDefaults(*sim);
  bitsyncsetupstruct bitsync{};
  SetBitSyncDefaults(bitsync, 0);
  trailerblockstruct trailer{};
  SetTrailerDefaults(trailer);
  EXPECT_EQ(Bytes(setup.DecomSetup), Bytes(*decom));
  EXPECT_EQ(Bytes(setup.SimSetup), Bytes(*sim));
  EXPECT_EQ(Bytes(setup.BitSyncSetup), Bytes(bitsync));
  EXPECT_EQ(Bytes(setup.TrailerBlock), Bytes(trailer));
  EXPECT_EQ(setup.DecomFromUser, 1);
  EXPECT_EQ(setup.PdbaseFromUser, 1);
  EXPECT_TRUE(setup.DecomSetupFileName.empty());
  EXPECT_TRUE(setup.PdbaseFileName.empty());
}

void ExpectResetConfig(const streamconfiginfostruct& config) {
  EXPECT_EQ(config.NumStreams, 0);
  for (const streamchannelstruct& stream : config.Streams) {
    EXPECT_EQ(stream.ChannelId, 0);
    EXPECT_EQ(stream.DataType, 0);
    EXPECT_EQ(stream.RawData, 0);
  }
  for (const pcmsetupinfo& setup : config.PcmSetups) ExpectResetSetup(setup);
  EXPECT_EQ(config.Project.RecordVersion, 4);
  EXPECT_EQ(config.Project.SerialCards[7].CardNumber, 7);
  EXPECT_EQ(config.Project.NonSerialCards[0].Application, 12);
}

TEST(StreamSetups, StartResetWithEachSetupOnItsOwnDatabase) {
  StreamSetups setups;
  ExpectResetConfig(setups.config());
  for (int i = 0; i < kMaxStreams; ++i) {
    const pcmsetupinfo& setup = setups.config().PcmSetups[static_cast<std::size_t>(i)];
    EXPECT_EQ(setup.Pdbase, &setups.pdbase(i));
    EXPECT_EQ(setups.pdbase(i).slot_index(), static_cast<std::uint32_t>(i));
  }
}

TEST(StreamSetups, ResetReturnsEverythingButKeepsTheDatabases) {
  StreamSetups setups;
  streamconfiginfostruct& config = setups.config();
  config.NumStreams = 3;
  config.Streams[2] = {17, 4, 1};
  pcmsetupinfo& setup = config.PcmSetups[5];
  setup.DecomSetup.WordsPerFrame = 12;
  setup.SimSetup.SimBitRate = 99;
  setup.BitSyncSetup.HardwareType = 3;
  setup.TrailerBlock.Reserved8 = 5;
  setup.DecomFromUser = 0;
  setup.PdbaseFromUser = 0;
  setup.DecomSetupFileName = "/d/X.B72";
  setup.PdbaseFileName = "/d/X.PDB";
  config.Project.StreamIncluded[1] = 1;
  config.Project.Notes[1] = "/data/run.c10";
  pdbaseclass* database = setup.Pdbase;

  ResetStreamConfig(config);
  ExpectResetConfig(config);
  EXPECT_EQ(setup.Pdbase, database);
  EXPECT_EQ(config.Project.StreamIncluded[1], 0);
  EXPECT_TRUE(config.Project.Notes[1].empty());
}

}  // namespace
}  // namespace tessel
