#include "ch10/file_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ch10/recording_builder.h"
#include "common/log_session.h"
#include "common/test_files.h"
#include "support/ui.h"

namespace tessel {
namespace {

using test::PacketParts;
using test::RecordingBuilder;

constexpr std::uint64_t kTicksPerSecond = 10'000'000;

// A log session with a scripted user interface, and a file for the recording.
class FileReaderTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "rec.c10") {
    const std::string path = session_.dir().File(name);
    test::WriteWholeFile(path, bytes);
    return path;
  }

  struct Seen {
    std::uint32_t length;
    int kind;
    std::vector<std::uint8_t> packet;
  };
  // Every packet the reader returns, until it says done.
  std::vector<Seen> ReadAll(filereaderclass& reader) {
    std::vector<Seen> seen;
    std::uint32_t length = 0;
    int kind = -1;
    while (!reader.NextPacket(length, kind)) {
      seen.push_back({length, kind, {reader.Packet().begin(), reader.Packet().end()}});
    }
    return seen;
  }

  test::LogSession session_;
  ScriptedUserInterface ui_;
  ScopedUserInterface scoped_ui_{&ui_};
};

PacketParts Spec(std::uint8_t type, std::uint16_t channel, std::uint64_t ticks,
                std::size_t payload_bytes) {
  PacketParts spec;
  spec.data_type = type;
  spec.channel = channel;
  test::SetRtcTicks(spec, ticks);
  spec.payload.resize(payload_bytes);
  for (std::size_t i = 0; i < payload_bytes; ++i)
    spec.payload[i] = static_cast<std::uint8_t>(i * 7 + type);
  return spec;
}

TEST_F(FileReaderTest, WalksEveryPacketWithKindsStatisticsAndViews) {
  RecordingBuilder rec;
  rec.Add(Spec(0x01, 0, 1000, 100))
      .Add(Spec(0x11, 1, 2000, 8))
      .Add(Spec(0x09, 3, 3000, 64))
      .Add(Spec(0x19, 4, 4000, 40))
      .Add(Spec(0x40, 5, 5000, 188))
      .Add(Spec(0x2A, 6, 6000, 12))
      .Add(Spec(0x09, 7, 30000, 32));
  const std::string path = Write(rec.bytes());
  filereaderclass reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.FileSize(), static_cast<std::int64_t>(rec.bytes().size()));

  const auto seen = ReadAll(reader);
  ASSERT_EQ(seen.size(), 7U);
  const std::vector<int> kinds = {kKindNotHandled, kKindTime,       kKindPcm, kKindMilStd1553,
                                  kKindVideo,      kKindNotHandled, kKindPcm};
  std::size_t offset = 0;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].kind, kinds[i]);
    ch10pktheaderstruct header{};
    ASSERT_TRUE(DecodeHeader(seen[i].packet, header));
    EXPECT_EQ(seen[i].length, header.PacketLength);
    // Loaded bodies come whole; skipped ones leave the header alone.
    const std::size_t expected =
        DataTypeBodyRead(header.DataType) ? header.PacketLength : kCh10HeaderSize;
    ASSERT_EQ(seen[i].packet.size(), expected);
    EXPECT_TRUE(std::equal(seen[i].packet.begin(), seen[i].packet.end(),
                           rec.bytes().begin() + static_cast<std::ptrdiff_t>(offset)));
    offset += header.PacketLength;
  }

  const auto& stats = reader.Statistics();
  EXPECT_EQ(stats[2].Count, 2);
  EXPECT_EQ(stats[2].ChannelId, 7U);
  EXPECT_DOUBLE_EQ(stats[2].LastTime, 30000e-7);
  EXPECT_NEAR(stats[2].Interval, 27000e-7, 1e-12);
  EXPECT_EQ(stats[4].Count, 1);
  EXPECT_DOUBLE_EQ(stats[4].LastTime, 0.0);        // skipped types keep no time
  EXPECT_EQ(stats[kUnknownDataTypeRow].Count, 1);  // 0x2A
  EXPECT_EQ(stats[kUnknownDataTypeRow].ChannelId, 6U);
  EXPECT_EQ(reader.PacketsRead(), 7);

  // After the last packet the percentage is that of the bytes before it.
  const std::size_t last = kCh10HeaderSize + 4 + 32;
  EXPECT_EQ(reader.BytesProcessed(), static_cast<std::int64_t>(rec.bytes().size() - last));
  EXPECT_DOUBLE_EQ(reader.PercentProcessed(), static_cast<double>(rec.bytes().size() - last) /
                                                  static_cast<double>(rec.bytes().size()) * 100.0);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(FileReaderTest, IntervalsAreGapsAboveOneMillisecond) {
  RecordingBuilder rec;
  rec.Add(Spec(0x11, 1, 10 * kTicksPerSecond, 8))
      .Add(Spec(0x11, 1, 10 * kTicksPerSecond + 5000, 8))    // 0.0005 s: no interval yet
      .Add(Spec(0x11, 1, 10 * kTicksPerSecond + 25000, 8));  // 0.002 s later
  filereaderclass reader;
  ASSERT_TRUE(reader.Open(Write(rec.bytes())));
  std::uint32_t length = 0;
  int kind = 0;
  ASSERT_FALSE(reader.NextPacket(length, kind));
  EXPECT_DOUBLE_EQ(reader.Statistics()[3].Interval, 0.0);  // a first packet has no gap
  ASSERT_FALSE(reader.NextPacket(length, kind));
  EXPECT_DOUBLE_EQ(reader.Statistics()[3].Interval, 0.0);
  ASSERT_FALSE(reader.NextPacket(length, kind));
  EXPECT_NEAR(reader.Statistics()[3].Interval, 0.002, 1e-9);
}

// What a damaged or cut recording gives: how many packets come out, and whether an
// error box appears (with which text).
struct DamageCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  std::size_t packets;
  const char* box;  // nullptr: no box
};

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(FileReaderTest, DamagedRecordingsEndTheWalk) {
  const auto good = test::BuildPacket(Spec(0x11, 1, 100, 8));
  PacketParts short_length = Spec(0x11, 1, 100, 8);
  short_length.packet_length = 20;
  PacketParts short_skipped = Spec(0x19, 1, 100, 8);
  short_skipped.packet_length = 0;
  PacketParts beyond_file = Spec(0x19, 1, 100, 8);
  beyond_file.packet_length = 4000;
  PacketParts beyond_file_loaded = Spec(0x40, 1, 100, 8);
  beyond_file_loaded.packet_length = 4000;
  PacketParts data_longer = Spec(0x09, 1, 100, 8);
  data_longer.data_length = 100000;
  PacketParts body_max = Spec(0x40, 1, 100, kCh10MaxBodySize - 4);
  PacketParts body_over = Spec(0x40, 1, 100, kCh10MaxBodySize - 3);
  PacketParts skipped_huge = Spec(0x19, 1, 100, 3 * filereaderclass::kBlockSize);

  const std::string over =
      "Your Packet Size is WAY TOO large..done processing this file.  Size = 1048577.  Max size is "
      "1048576";
  const std::string wrapped =
      "Your Packet Size is WAY TOO large..done processing this file.  Size = 4294967292.  Max size "
      "is 1048576";
  const std::vector<DamageCase> cases = {
      {"empty file", {}, 0, nullptr},
      {"ends inside a header", Concat(good, Cut(good, 10)), 1, nullptr},
      {"ends inside a loaded body", Concat(good, Cut(good, 1)), 1, nullptr},
      {"skipped body ends beyond the file", Concat(good, test::BuildPacket(beyond_file)), 1,
       nullptr},
      {"loaded body ends beyond the file", Concat(good, test::BuildPacket(beyond_file_loaded)), 1,
       nullptr},
      {"length below the header, loaded type", Concat(good, test::BuildPacket(short_length)), 1,
       wrapped.c_str()},
      {"length below the header, skipped type", Concat(good, test::BuildPacket(short_skipped)), 1,
       "Your Packet Size is WAY TOO large..done processing this file.  Size = 4294967272.  Max "
       "size is 1048576"},
      {"data length beyond the packet", Concat(test::BuildPacket(data_longer), good), 2, nullptr},
      {"body of exactly the maximum", Concat(test::BuildPacket(body_max), good), 2, nullptr},
      {"body one byte over the maximum", Concat(good, test::BuildPacket(body_over)), 1,
       over.c_str()},
      {"skipped body larger than a block", Concat(test::BuildPacket(skipped_huge), good), 2,
       nullptr},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.boxes.clear();
    filereaderclass reader;
    ASSERT_TRUE(reader.Open(Write(c.bytes)));
    EXPECT_EQ(ReadAll(reader).size(), c.packets);
    EXPECT_TRUE(reader.AtEnd());
    std::uint32_t length = 0;
    int kind = 0;
    EXPECT_TRUE(reader.NextPacket(length, kind));  // stays done
    if (c.box == nullptr) {
      EXPECT_TRUE(ui_.boxes.empty());
    } else {
      ASSERT_EQ(ui_.boxes.size(), 1U);
      EXPECT_EQ(ui_.boxes[0].caption, "ERROR");
      EXPECT_EQ(ui_.boxes[0].text, c.box);
      EXPECT_NE(session_.Text().find(c.box), std::string::npos);
    }
  }
}

// Packets of every size around the block boundaries: each comes out whole and in
// order, whichever block it starts or ends in.
TEST_F(FileReaderTest, PacketsAcrossBlockBoundariesComeOutWhole) {
  RecordingBuilder rec;
  std::vector<std::size_t> payloads;
  for (std::size_t i = 0; rec.bytes().size() < 3 * filereaderclass::kBlockSize; ++i) {
    const std::size_t payload = (i * 104729) % 700000 + (i % 3);
    const std::uint8_t type = (i % 4 == 3) ? 0x19 : 0x40;
    rec.Add(Spec(type, static_cast<std::uint16_t>(i), i, payload));
    payloads.push_back(payload);
  }
  filereaderclass reader;
  ASSERT_TRUE(reader.Open(Write(rec.bytes())));
  const auto seen = ReadAll(reader);
  ASSERT_EQ(seen.size(), payloads.size());
  std::size_t offset = 0;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    ASSERT_TRUE(std::equal(seen[i].packet.begin(), seen[i].packet.end(),
                           rec.bytes().begin() + static_cast<std::ptrdiff_t>(offset)))
        << "packet " << i;
    offset += seen[i].length;
  }
  EXPECT_EQ(offset, rec.bytes().size());
}

TEST_F(FileReaderTest, OpenRefusesMissingFilesAndDirectories) {
  filereaderclass reader;
  EXPECT_FALSE(reader.Open(session_.dir().File("missing.c10")));
  EXPECT_FALSE(reader.Open(session_.dir().path().string()));
  std::uint32_t length = 0;
  int kind = 0;
  EXPECT_TRUE(reader.NextPacket(length, kind));
  EXPECT_TRUE(reader.AtEnd());
}

TEST_F(FileReaderTest, OpenReReadsTheSetupRecordAndStartsAfresh) {
  RecordingBuilder rec;
  rec.Add(Spec(0x01, 0, 0, 40)).Add(Spec(0x11, 1, 100, 8));
  const std::string first = Write(rec.bytes(), "first.c10");
  const std::string second = Write(rec.bytes(), "second.c10");
  std::vector<std::string> reread;
  filereaderclass reader;
  reader.SetSetupRecordReader([&reread](const std::string& path) { reread.push_back(path); });

  ASSERT_TRUE(reader.Open(first));
  std::uint32_t length = 0;
  int kind = 0;
  ASSERT_FALSE(reader.NextPacket(length, kind));
  ASSERT_TRUE(reader.Open(second));
  EXPECT_EQ(reader.FileName(), second);
  EXPECT_EQ(reader.PacketsRead(), 0);
  EXPECT_EQ(reader.Statistics()[1].Count, 0);
  EXPECT_EQ(ReadAll(reader).size(), 2U);
  EXPECT_EQ(reread, (std::vector<std::string>{first, second}));
}

TEST_F(FileReaderTest, ResetClearsCountsAndKeepsThePosition) {
  RecordingBuilder rec;
  rec.Add(Spec(0x11, 1, 100, 8)).Add(Spec(0x09, 2, 200, 8)).Add(Spec(0x09, 2, 300, 8));
  filereaderclass reader;
  ASSERT_TRUE(reader.Open(Write(rec.bytes())));
  std::uint32_t length = 0;
  int kind = 0;
  ASSERT_FALSE(reader.NextPacket(length, kind));
  reader.Reset();
  EXPECT_EQ(reader.PacketsRead(), 0);
  EXPECT_TRUE(reader.Packet().empty());
  ASSERT_FALSE(reader.NextPacket(length, kind));
  EXPECT_EQ(kind, kKindPcm);
  EXPECT_EQ(reader.BytesProcessed(), 0);
  EXPECT_EQ(reader.Statistics()[2].Count, 1);
  EXPECT_EQ(reader.Statistics()[3].Count, 0);
}

// The public sample recordings: packets per statistics row up to the end of the file
// or a last packet it holds only in part.
TEST_F(FileReaderTest, SampleRecordingsCountPerDataType) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  const std::map<std::string, std::map<int, std::int64_t>> expected = {
      {"sample.c10", {{0, 4}, {1, 1}, {3, 1}, {4, 12}, {7, 6}, {8, 18}, {9, 57}}},
      {"discrete.c10", {{0, 1}, {1, 1}, {3, 61}, {6, 2}, {12, 18}}},
      {"ethernet.c10", {{0, 10}, {1, 1}, {3, 5}, {5, 132}, {11, 15}, {12, 1994}}},
      {"event.c10", {{1, 1}, {3, 2}, {5, 82}, {9, 72}, {12, 5}}},
  };
  for (const auto& [name, rows] : expected) {
    SCOPED_TRACE(name);
    filereaderclass reader;
    ASSERT_TRUE(reader.Open(test::RecordingPath(name)));
    const auto seen = ReadAll(reader);
    std::int64_t total = 0;
    for (int row = 0; row < kStatisticsRows; ++row) {
      const auto it = rows.find(row);
      const std::int64_t count = it == rows.end() ? 0 : it->second;
      EXPECT_EQ(reader.Statistics()[static_cast<std::size_t>(row)].Count, count) << "row " << row;
      total += count;
    }
    EXPECT_EQ(static_cast<std::int64_t>(seen.size()), total);
    EXPECT_EQ(reader.PacketsRead(), total);
    EXPECT_LT(reader.PercentProcessed(), 100.0);
    EXPECT_TRUE(ui_.boxes.empty());
  }
}

}  // namespace
}  // namespace tessel
