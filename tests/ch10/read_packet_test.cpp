// ReadPacket and the body split: good packets, damaged headers read like good ones,
// refused lengths, short reads, data lengths beyond the packet, trailers, and the first
// packets and packet walks of the sample recordings.
#include "ch10/read_packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "packet_builder.h"
#include "support/files.h"

namespace tessel {
namespace {

using test::BuildPacket;
using test::CountingBytes;
using test::PacketParts;

// Reads one packet from memory at `position`.
struct Reading {
  bool ok = false;
  std::size_t position = 0;
  ch10pktstruct record;
  std::vector<std::uint8_t> body;
  std::vector<std::uint8_t> payload;
};

Reading ReadFromBytes(const std::vector<std::uint8_t>& bytes, std::size_t position = 0) {
  Reading reading;
  reading.position = position;
  reading.ok = ReadPacket(bytes, reading.position, reading.record, reading.body, reading.payload);
  return reading;
}

TEST(ReadPacket, SplitsAPacketWithSecondaryHeaderIntoItsParts) {
  PacketParts parts;
  parts.flags = 0x83;  // secondary header, four-byte checksum
  parts.data_type = 0x09;
  parts.channel = 0x0123;
  parts.secondary = CountingBytes(12, 0xA0);
  parts.csdw = 0x40080000U;
  parts.payload = CountingBytes(40);
  parts.trailer = {0xF1, 0xF2, 0x11, 0x22, 0x33, 0x44};  // two filler, checksum 0x44332211
  const std::vector<std::uint8_t> bytes = BuildPacket(parts);

  const Reading r = ReadFromBytes(bytes);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.position, bytes.size());
  EXPECT_EQ(r.record.Header.ChannelId, 0x0123);
  EXPECT_EQ(r.record.Header.PacketLength, bytes.size());
  EXPECT_EQ(r.body, std::vector<std::uint8_t>(bytes.begin() + 24, bytes.end()));
  EXPECT_EQ(r.record.SecondaryHeader.TimeLsw, 0xA3A2A1A0U);
  EXPECT_EQ(r.record.SecondaryHeader.Checksum, 0xABAA);
  EXPECT_EQ(r.record.Csdw, 0x40080000U);
  EXPECT_EQ(r.payload, parts.payload);
  EXPECT_EQ(r.record.Trailer.TrailerLength, 6);
  EXPECT_EQ(r.record.Trailer.ChecksumSize, 4);
  EXPECT_EQ(r.record.Trailer.FillerLength, 2);
  EXPECT_EQ(r.record.Trailer.Filler[0], 0xF1);
  EXPECT_EQ(r.record.Trailer.Filler[1], 0xF2);
  EXPECT_EQ(r.record.Trailer.Filler[2], 0x00);
  EXPECT_EQ(r.record.Trailer.Checksum, 0x44332211U);
}

TEST(ReadPacket, DamagedSyncAndChecksumAreReadLikeGoodOnes) {
  PacketParts parts;
  parts.sync = 0x0000;
  parts.checksum = 0xDEAD;
  parts.payload = CountingBytes(8);
  const Reading r = ReadFromBytes(BuildPacket(parts));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.record.Header.SyncPattern, 0x0000);
  EXPECT_EQ(r.record.Header.Checksum, 0xDEAD);
  EXPECT_EQ(r.payload, parts.payload);
}

TEST(ReadPacket, SetupRecordIgnoresTheSecondaryHeaderFlag) {
  PacketParts parts;
  parts.flags = 0x80;
  parts.data_type = 0x01;
  parts.csdw = 0x12345678U;
  parts.payload = {'G', '\\', 'X', ';'};
  const Reading r = ReadFromBytes(BuildPacket(parts));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.record.Csdw, 0x12345678U);  // CSDW at packet offset 24
  EXPECT_EQ(r.record.SecondaryHeader.TimeLsw, 0U);
  EXPECT_EQ(r.payload, parts.payload);
  EXPECT_EQ(r.record.Trailer.TrailerLength, 0);
}

TEST(ReadPacket, RefusesLengthsItCannotHold) {
  struct Case {
    const char* what;
    std::uint32_t packet_length;
    std::size_t body_bytes;
    bool ok;
  };
  const Case cases[] = {
      {"zero length", 0, 100, false},
      {"length below the header", 23, 100, false},
      {"header only", 24, 0, true},
      {"largest body", 24 + 1'048'576, 1'048'576, true},
      {"body one byte too large", 24 + 1'048'577, 1'048'577, false},
      {"length near 4 GiB", 0xFFFFFFFFU, 100, false},
  };
  for (const Case& c : cases) {
    PacketParts parts;
    parts.packet_length = c.packet_length;
    parts.data_length = 4;
    std::vector<std::uint8_t> bytes = BuildPacket(parts);
    bytes.resize(24 + c.body_bytes, 0x5A);
    const Reading r = ReadFromBytes(bytes);
    EXPECT_EQ(r.ok, c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(r.body.size(), c.body_bytes) << c.what;
      EXPECT_EQ(r.position, bytes.size()) << c.what;
    } else {
      EXPECT_EQ(r.position, 0U) << c.what;
      EXPECT_TRUE(r.body.empty()) << c.what;  // refused before the body is read
    }
  }
}

TEST(ReadPacket, ShortReadsFail) {
  PacketParts parts;
  parts.payload = CountingBytes(20);
  const std::vector<std::uint8_t> bytes = BuildPacket(parts);
  for (std::size_t cut :
       {std::size_t{0}, std::size_t{10}, std::size_t{23}, std::size_t{24}, bytes.size() - 1}) {
    const std::vector<std::uint8_t> shorter(bytes.begin(),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(ReadFromBytes(shorter).ok) << cut;
  }
}

TEST(ReadPacket, DataLengthBeyondThePacketReadsZeroesNotPastTheBody) {
  PacketParts parts;
  parts.payload = CountingBytes(8);
  parts.data_length = 1000;  // the packet holds CSDW + 8 bytes
  std::vector<std::uint8_t> bytes = BuildPacket(parts);
  bytes.resize(bytes.size() + 64, 0xEE);  // a following packet's bytes must not show
  const Reading r = ReadFromBytes(bytes);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.payload.size(), 996U);
  EXPECT_EQ(std::vector<std::uint8_t>(r.payload.begin(), r.payload.begin() + 8), parts.payload);
  for (std::size_t i = 8; i < r.payload.size(); ++i) ASSERT_EQ(r.payload[i], 0) << i;
  EXPECT_LT(r.record.Trailer.TrailerLength, 0);
  EXPECT_EQ(r.record.Trailer.Checksum, 0U);
}

TEST(ReadPacket, HugeDataLengthIsLimitedToThePayloadBuffer) {
  PacketParts parts;
  parts.flags = 0x03;
  parts.payload = CountingBytes(4);
  parts.data_length = 0xFFFFFFFFU;
  const Reading r = ReadFromBytes(BuildPacket(parts));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.payload.size(), kCh10MaxPayloadSize);
  EXPECT_EQ(r.payload[3], 4);
  EXPECT_EQ(r.payload[4], 0);
}

TEST(ReadPacket, DataLengthBelowTheCsdwGivesAnEmptyPayload) {
  PacketParts parts;
  parts.payload = CountingBytes(8);
  parts.data_length = 2;
  const Reading r = ReadFromBytes(BuildPacket(parts));
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.payload.empty());
  EXPECT_EQ(r.record.Trailer.TrailerLength, 10);
}

TEST(ReadPacket, SecondaryHeaderAndCsdwBeyondTheBodyReadAsZero) {
  PacketParts parts;
  parts.flags = 0x80;
  parts.data_type = 0x11;
  parts.packet_length = 24 + 6;  // six body bytes: half a secondary header
  parts.data_length = 4;
  std::vector<std::uint8_t> bytes = BuildPacket(parts);
  bytes.resize(24);
  bytes.resize(30, 0x5A);
  const Reading r = ReadFromBytes(bytes);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.record.SecondaryHeader.TimeLsw, 0x5A5A5A5AU);
  EXPECT_EQ(r.record.SecondaryHeader.TimeMsw, 0x00005A5AU);
  EXPECT_EQ(r.record.SecondaryHeader.Checksum, 0U);
  EXPECT_EQ(r.record.Csdw, 0U);
  EXPECT_TRUE(r.payload.empty());
}

TEST(ReadPacket, TrailerCasesTakeFillerAfterTheDataAndTheChecksumAtTheEnd) {
  struct Case {
    const char* what;
    std::uint8_t flags;
    std::vector<std::uint8_t> trailer;
    std::int32_t filler_length;
    std::vector<std::uint8_t> filler;
    std::uint32_t checksum;
  };
  const Case cases[] = {
      {"no trailer", 0x03, {}, 0, {}, 0},
      {"one-byte checksum", 0x01, {0x10, 0x20, 0x99}, 2, {0x10, 0x20}, 0x99},
      {"two-byte checksum", 0x02, {0x10, 0x99, 0x88}, 1, {0x10}, 0x8899},
      {"four-byte checksum, three filler",
       0x03,
       CountingBytes(7, 0x31),
       3,
       {0x31, 0x32, 0x33},
       0x37363534},
      {"filler limited to eight", 0x03, CountingBytes(20, 0x41), 8, CountingBytes(8, 0x41),
       0x54535251},
      {"trailer of 20 without checksum", 0x00, CountingBytes(20, 0x41), 8, CountingBytes(8, 0x41),
       0},
      {"trailer shorter than its checksum", 0x03, {0x61, 0x62}, 0, {}, 0x6261},
  };
  for (const Case& c : cases) {
    PacketParts parts;
    parts.flags = c.flags;
    parts.payload = CountingBytes(12);
    parts.trailer = c.trailer;
    std::vector<std::uint8_t> bytes = BuildPacket(parts);
    bytes.resize(bytes.size() + 8, 0xEE);  // the next packet's bytes must not show
    const Reading r = ReadFromBytes(bytes);
    ASSERT_TRUE(r.ok) << c.what;
    const ch10pkttrailerstruct& t = r.record.Trailer;
    EXPECT_EQ(t.TrailerLength, static_cast<std::int32_t>(c.trailer.size())) << c.what;
    EXPECT_EQ(t.FillerLength, c.filler_length) << c.what;
    std::vector<std::uint8_t> expected_filler = c.filler;
    expected_filler.resize(8, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(t.Filler.begin(), t.Filler.end()), expected_filler)
        << c.what;
    EXPECT_EQ(t.Checksum, c.checksum) << c.what;
  }
}

// Damaged headers of every kind: lengths, flags and types at random over short
// buffers. Whatever the header claims, nothing is read outside the input (the sanitizer
// build checks every access) and what is returned stays within its limits.
TEST(ReadPacket, RandomDamagedHeadersStayInsideTheirBuffers) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::uint8_t> bytes(24 + random() % 80);
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
    // Mostly plausible packet lengths, sometimes anything at all.
    const std::uint32_t length = round % 4 == 0
                                     ? static_cast<std::uint32_t>(random())
                                     : static_cast<std::uint32_t>(random() % (bytes.size() + 8));
    const std::uint32_t data_length =
        round % 16 == 0 ? static_cast<std::uint32_t>(random())
                        : static_cast<std::uint32_t>(random() % (bytes.size() + 8));
    for (int i = 0; i < 4; ++i) {
      bytes[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
      bytes[8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(data_length >> (8 * i));
    }
    const Reading r = ReadFromBytes(bytes);
    const bool fits = length >= 24 && length <= bytes.size();
    ASSERT_EQ(r.ok, fits) << "round " << round;
    if (!r.ok) continue;
    EXPECT_EQ(r.body.size(), length - 24U);
    EXPECT_EQ(r.payload.size(),
              std::min<std::size_t>(data_length > 4 ? data_length - 4 : 0, kCh10MaxPayloadSize));
    EXPECT_LE(r.record.Trailer.FillerLength, 8);
    EXPECT_GE(r.record.Trailer.FillerLength, 0);
  }
}

TEST(ReadPacket, WalksConsecutivePacketsFromAFile) {
  test::TempDir dir;
  PacketParts first;
  first.data_type = 0x11;
  first.payload = CountingBytes(8);
  PacketParts second;
  second.sequence = 1;
  second.payload = CountingBytes(16, 0x80);
  std::vector<std::uint8_t> bytes = BuildPacket(first);
  const std::vector<std::uint8_t> more = BuildPacket(second);
  bytes.insert(bytes.end(), more.begin(), more.end());
  bytes.insert(bytes.end(), more.begin(), more.end() - 3);  // a truncated third packet
  test::WriteWholeFile(dir.File("walk.c10"), bytes);

  InputFile file;
  ASSERT_TRUE(file.Open(dir.File("walk.c10")));
  ch10pktstruct record;
  std::vector<std::uint8_t> body;
  std::vector<std::uint8_t> payload;
  ASSERT_TRUE(ReadPacket(file, record, body, payload));
  EXPECT_EQ(record.Header.DataType, 0x11);
  EXPECT_EQ(payload, first.payload);
  ASSERT_TRUE(ReadPacket(file, record, body, payload));
  EXPECT_EQ(record.Header.SequenceNumber, 1);
  EXPECT_EQ(payload, second.payload);
  EXPECT_FALSE(ReadPacket(file, record, body, payload));
  EXPECT_FALSE(ReadPacket(file, record, body, payload));
}

// The sample recordings: the first packet is the TMATS setup record, and every packet
// of the walk agrees with checksums and trailer sizes computed here from the raw bytes.
TEST(ReadPacket, SampleRecordingsFirstPacketAndWalk) {
  if (!test::RecordingsAvailable()) GTEST_SKIP() << "sample recordings not found";
  for (const char* name : {"discrete.c10", "ethernet.c10", "event.c10", "sample.c10"}) {
    SCOPED_TRACE(name);
    const std::string path = test::RecordingPath(name);

    InputFile file;
    ASSERT_TRUE(file.Open(path));
    ch10pktstruct record;
    std::vector<std::uint8_t> body;
    std::vector<std::uint8_t> payload;
    ASSERT_TRUE(ReadPacket(file, record, body, payload));
    EXPECT_EQ(record.Header.SyncPattern, kCh10SyncPattern);
    EXPECT_EQ(record.Header.DataType, 0x01);
    EXPECT_FALSE(HasSecondaryHeader(record.Header));
    EXPECT_EQ(payload.size(), record.Header.DataLength - 4);
    const std::string text(payload.begin(), payload.begin() + 7);
    EXPECT_TRUE(text.starts_with("G\\") || text.starts_with("COMMENT")) << text;

    const std::vector<std::uint8_t> bytes = test::ReadWholeFile(path);
    std::size_t position = 0;
    int packets = 0;
    while (position + 24 <= bytes.size()) {
      const std::uint8_t* raw = bytes.data() + position;
      auto u32 = [raw](int at) {
        return std::uint32_t{raw[at]} | std::uint32_t{raw[at + 1]} << 8 |
               std::uint32_t{raw[at + 2]} << 16 | std::uint32_t{raw[at + 3]} << 24;
      };
      const std::uint32_t packet_length = u32(4);
      const std::uint32_t data_length = u32(8);
      const std::uint8_t flags = raw[14];
      const std::uint8_t type = raw[15];
      const std::uint16_t stored = static_cast<std::uint16_t>(raw[22] | raw[23] << 8);
      const bool truncated = position + packet_length > bytes.size();

      Reading r = ReadFromBytes(bytes, position);
      ASSERT_EQ(r.ok, !truncated) << "packet " << packets;
      if (truncated) break;
      EXPECT_EQ(HeaderChecksum(r.record.Header), test::SumOfHeaderWords(raw));
      EXPECT_EQ(HeaderChecksum(r.record.Header), stored);  // these recorders sum correctly

      const long secondary = (flags & 0x80) != 0 && type > 0x01 ? 12 : 0;
      const long trailer = long{packet_length} - 24 - secondary - long{data_length};
      const int checksum_size = (flags & 3) == 3 ? 4 : flags & 3;
      EXPECT_EQ(r.record.Trailer.TrailerLength, trailer) << "packet " << packets;
      EXPECT_EQ(r.record.Trailer.ChecksumSize, checksum_size) << "packet " << packets;
      EXPECT_EQ(r.record.Trailer.FillerLength, std::min(std::max(trailer - checksum_size, 0L), 8L))
          << "packet " << packets;
      position = r.position;
      ++packets;
    }
    EXPECT_GT(packets, 50);
  }
}

}  // namespace
}  // namespace tessel
