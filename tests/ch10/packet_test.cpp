// Packet layout: header and secondary header decoding, the header-derived values
// (RTC seconds, secondary header, checksum, trailer sizes), the CSDW bit fields and the
// data type table.
#include "ch10/packet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "ch10/byte_reader.h"
#include "packet_builder.h"

namespace tessel {
namespace {

using test::CountingBytes;

TEST(PacketHeader, DecodesEveryFieldAtItsOffset) {
  const std::vector<std::uint8_t> bytes = CountingBytes(24);  // 01 02 03 ... 18
  ch10pktheaderstruct header{};
  ASSERT_TRUE(DecodeHeader(bytes, header));
  EXPECT_EQ(header.SyncPattern, 0x0201);
  EXPECT_EQ(header.ChannelId, 0x0403);
  EXPECT_EQ(header.PacketLength, 0x08070605U);
  EXPECT_EQ(header.DataLength, 0x0C0B0A09U);
  EXPECT_EQ(header.DataTypeVersion, 0x0D);
  EXPECT_EQ(header.SequenceNumber, 0x0E);
  EXPECT_EQ(header.PacketFlags, 0x0F);
  EXPECT_EQ(header.DataType, 0x10);
  EXPECT_EQ(header.RtcLow, 0x14131211U);
  EXPECT_EQ(header.RtcHigh, 0x1615);
  EXPECT_EQ(header.Checksum, 0x1817);

  const auto encoded = EncodeHeader(header);
  EXPECT_EQ(std::vector<std::uint8_t>(encoded.begin(), encoded.end()), bytes);
}

TEST(PacketHeader, ShortInputIsRefusedAndLeavesTheHeaderAlone) {
  const std::vector<std::uint8_t> bytes = CountingBytes(23);
  ch10pktheaderstruct header{};
  header.ChannelId = 77;
  EXPECT_FALSE(DecodeHeader(bytes, header));
  EXPECT_EQ(header.ChannelId, 77);
}

TEST(SecondaryHeader, DecodesEveryFieldAtItsOffsetAndGivesDisplaySeconds) {
  const std::vector<std::uint8_t> bytes = CountingBytes(12);
  ch10secheaderstruct secondary{};
  ASSERT_TRUE(DecodeSecondaryHeader(bytes, secondary));
  EXPECT_EQ(secondary.TimeLsw, 0x04030201U);
  EXPECT_EQ(secondary.TimeMsw, 0x08070605U);
  EXPECT_EQ(secondary.Reserved, 0x0A09);
  EXPECT_EQ(secondary.Checksum, 0x0C0B);
  const auto encoded = EncodeSecondaryHeader(secondary);
  EXPECT_EQ(std::vector<std::uint8_t>(encoded.begin(), encoded.end()), bytes);
  EXPECT_FALSE(DecodeSecondaryHeader(CountingBytes(11), secondary));

  // Word 1 in hundredths; bits 31-16 of word 2 in microseconds, at most 10 000 of them.
  EXPECT_DOUBLE_EQ(SecondsFromSecondaryHeader({100, 1234U << 16, 0, 0}), 1.001234);
  EXPECT_DOUBLE_EQ(SecondsFromSecondaryHeader({0, 0xFFFF0000U, 0, 0}), 0.01);
  EXPECT_DOUBLE_EQ(SecondsFromSecondaryHeader({0, 0x0000FFFFU, 0, 0}), 0.0);
}

TEST(PacketHeader, RtcSecondsCountsTenMegahertzTicks) {
  ch10pktheaderstruct header{};
  header.RtcHigh = 0x0001;
  header.RtcLow = 0;
  EXPECT_DOUBLE_EQ(RtcSeconds(header), 429.4967296);
  header.RtcHigh = 0;
  header.RtcLow = 10'000'000;
  EXPECT_DOUBLE_EQ(RtcSeconds(header), 1.0);
  header.RtcHigh = 0xFFFF;
  header.RtcLow = 0xFFFFFFFF;
  EXPECT_DOUBLE_EQ(RtcSeconds(header), 281474976710655.0 * 1e-7);
}

TEST(PacketHeader, SecondaryHeaderOnlyWithFlagAndNotForComputerGeneratedTypes) {
  struct Case {
    std::uint8_t flags, data_type;
    bool expected;
  };
  const Case cases[] = {
      {0x80, 0x01, false}, {0x80, 0x00, false}, {0xFF, 0x01, false}, {0x80, 0x09, true},
      {0x83, 0x11, true},  {0x7F, 0x11, false}, {0x00, 0x40, false}, {0x80, 0x60, true},
  };
  for (const Case& c : cases) {
    ch10pktheaderstruct header{};
    header.PacketFlags = c.flags;
    header.DataType = c.data_type;
    EXPECT_EQ(HasSecondaryHeader(header), c.expected)
        << "flags " << int{c.flags} << " type " << int{c.data_type};
    EXPECT_EQ(CsdwOffset(header), c.expected ? 12U : 0U);
  }
}

TEST(PacketHeader, ChecksumIsTheWrappingSumOfElevenWords) {
  // Every header word 0xFFFF except the stored checksum: 11 x 0xFFFF wraps to 0xFFF5.
  std::vector<std::uint8_t> bytes(24, 0xFF);
  bytes[22] = 0x12;
  bytes[23] = 0x34;
  ch10pktheaderstruct header{};
  ASSERT_TRUE(DecodeHeader(bytes, header));
  EXPECT_EQ(HeaderChecksum(header), 0xFFF5);
  EXPECT_EQ(HeaderChecksum(header), test::SumOfHeaderWords(bytes.data()));

  // The stored checksum and the sync pattern take no part in the sum of the others.
  test::PacketParts parts;
  parts.sync = 0x1234;
  parts.checksum = 0xBEEF;
  parts.rtc_low = 0x89ABCDEF;
  parts.rtc_high = 0x4567;
  const std::vector<std::uint8_t> packet = test::BuildPacket(parts);
  ASSERT_TRUE(DecodeHeader(packet, header));
  EXPECT_EQ(HeaderChecksum(header), test::SumOfHeaderWords(packet.data()));
  EXPECT_EQ(header.Checksum, 0xBEEF);
}

TEST(PacketHeader, TrailerSizesFromLengthsAndFlags) {
  struct Case {
    std::uint8_t flags, data_type;
    std::uint32_t packet_length, data_length;
    std::int32_t trailer, checksum, filler;
  };
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const Case cases[] = {
      {0x03, 0x09, 24 + 100 + 7, 100, 7, 4, 3},    // four-byte checksum and three filler
      {0x00, 0x09, 24 + 100 + 20, 100, 20, 0, 8},  // filler limited to eight
      {0x01, 0x09, 24 + 100 + 1, 100, 1, 1, 0},
      {0x02, 0x09, 24 + 100, 100, 0, 2, 0},
      {0x03, 0x09, 24 + 100 + 2, 100, 2, 4, 0},        // trailer shorter than its checksum
      {0x83, 0x09, 24 + 12 + 100 + 6, 100, 6, 4, 2},   // secondary header is not trailer
      {0x83, 0x01, 24 + 12 + 100 + 6, 100, 18, 4, 8},  // ... unless the type has none
      {0x00, 0x09, 24 + 100, 104, -4, 0, 0},           // data length beyond the packet
      {0x00, 0x09, 24, 0xFFFFFFFFU, kMin, 0, 0},       // limited to the 32-bit range
      {0x00, 0x09, 0, 0, -24, 0, 0},
  };
  for (const Case& c : cases) {
    ch10pktheaderstruct header{};
    header.PacketFlags = c.flags;
    header.DataType = c.data_type;
    header.PacketLength = c.packet_length;
    header.DataLength = c.data_length;
    std::int32_t checksum = -1;
    std::int32_t filler = -1;
    EXPECT_EQ(TrailerSizes(header, checksum, filler), c.trailer) << c.packet_length;
    EXPECT_EQ(checksum, c.checksum) << c.packet_length;
    EXPECT_EQ(filler, c.filler) << c.packet_length;
    EXPECT_EQ(ChecksumSize(header), c.checksum);
  }
}

TEST(ChannelSpecificData, PcmFormat1BitFields) {
  const PcmF1Csdw none = DecodePcmF1Csdw(0);
  EXPECT_EQ(EncodePcmF1Csdw(none), 0U);

  const PcmF1Csdw all = DecodePcmF1Csdw(0xFFFFFFFFU);
  EXPECT_EQ(all.SyncOffset, 0x3FFFFU);
  EXPECT_TRUE(all.UnpackedMode && all.PackedMode && all.ThroughputMode);
  EXPECT_EQ(all.MajorLockStatus, 3);
  EXPECT_EQ(all.MinorLockStatus, 3);
  EXPECT_TRUE(all.MinorFrameIndicator && all.MajorFrameIndicator && all.IntraPacketHeaders);
  // Bits 23-21 and 31 belong to no field.
  EXPECT_EQ(EncodePcmF1Csdw(all), 0x7F1FFFFFU);

  struct Case {
    std::uint32_t csdw;
    bool unpacked, packed, throughput, headers;
    int major, minor;
    std::uint32_t sync_offset;
  };
  const Case cases[] = {
      {1U << 18, true, false, false, false, 0, 0, 0},
      {1U << 19, false, true, false, false, 0, 0, 0},
      {1U << 20, false, false, true, false, 0, 0, 0},
      {1U << 30, false, false, false, true, 0, 0, 0},
      {2U << 24, false, false, false, false, 2, 0, 0},
      {1U << 26, false, false, false, false, 0, 1, 0},
      {0x00012345U, false, false, false, false, 0, 0, 0x12345},
  };
  for (const Case& c : cases) {
    const PcmF1Csdw pcm = DecodePcmF1Csdw(c.csdw);
    EXPECT_EQ(pcm.UnpackedMode, c.unpacked) << std::hex << c.csdw;
    EXPECT_EQ(pcm.PackedMode, c.packed) << std::hex << c.csdw;
    EXPECT_EQ(pcm.ThroughputMode, c.throughput) << std::hex << c.csdw;
    EXPECT_EQ(pcm.IntraPacketHeaders, c.headers) << std::hex << c.csdw;
    EXPECT_EQ(pcm.MajorLockStatus, c.major) << std::hex << c.csdw;
    EXPECT_EQ(pcm.MinorLockStatus, c.minor) << std::hex << c.csdw;
    EXPECT_EQ(pcm.SyncOffset, c.sync_offset) << std::hex << c.csdw;
    EXPECT_EQ(EncodePcmF1Csdw(pcm), c.csdw);
  }
}

TEST(ChannelSpecificData, TimeFormat1BitFields) {
  const TimeF1Csdw time = DecodeTimeF1Csdw(0x00000311U);
  EXPECT_EQ(time.TimeSource, kTimeSourcePresent);
  EXPECT_EQ(time.TimeFormat, kTimeFormatIrigA);
  EXPECT_TRUE(time.LeapYear);
  EXPECT_TRUE(time.MonthYearAvailable);
  EXPECT_EQ(EncodeTimeF1Csdw(time), 0x00000311U);

  const TimeF1Csdw day_of_year = DecodeTimeF1Csdw(0xFFFFFDFFU);  // all but bit 9
  EXPECT_FALSE(day_of_year.MonthYearAvailable);
  EXPECT_TRUE(day_of_year.LeapYear);
  EXPECT_EQ(day_of_year.TimeSource, 0xF);
  EXPECT_EQ(day_of_year.TimeFormat, 0xF);
  EXPECT_EQ(EncodeTimeF1Csdw(day_of_year), 0x000001FFU);
}

TEST(DataTypeTable, NamedTypesAndTheUnknownRow) {
  struct Case {
    std::uint8_t code;
    const char* name;
    const char* label;
    int kind, row;
    bool body;
  };
  const Case cases[] = {
      {0x00, "Computer Generated User Defined", "0x00 CPU Gen User", kKindNotHandled, 0, false},
      {0x01, "Computer Generated Setup Record", "0x01 CPU Gen Setup", kKindNotHandled, 1, true},
      {0x09, "PCM Data Format 1", "0x09 PCM F1", kKindPcm, 2, true},
      {0x11, "Time Data Format 1", "0x11 Time F1", kKindTime, 3, true},
      {0x19, "MIL-STD-1553 Data Format 1", "0x19 1553 F1", kKindMilStd1553, 4, false},
      {0x40, "Video Data Format 0 (MPEG-2 Video)", "0x40 MPEG-2 Video F0", kKindVideo, 9, true},
      {0x50, "UART Data Format 0", "0x50 UART F0", kKindUart, 11, false},
      {0x2A, "UNKNOWN, TYPE ERROR", "0xxx UNK", kKindNotHandled, 12, false},
      {0x60, "UNKNOWN, TYPE ERROR", "0xxx UNK", kKindNotHandled, 12, false},
      {0xFF, "UNKNOWN, TYPE ERROR", "0xxx UNK", kKindNotHandled, 12, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DataTypeName(c.code), c.name);
    EXPECT_EQ(StatisticsRowLabel(DataTypeRow(c.code)), c.label);
    EXPECT_EQ(DataTypeKind(c.code), c.kind) << c.name;
    EXPECT_EQ(DataTypeRow(c.code), c.row) << c.name;
    EXPECT_EQ(DataTypeBodyRead(c.code), c.body) << c.name;
  }
  EXPECT_EQ(StatisticsRowLabel(-1), "0xxx UNK");
  EXPECT_EQ(StatisticsRowLabel(kStatisticsRows), "0xxx UNK");

  // Only the four decoded or needed types have their bodies loaded.
  int body_read = 0;
  for (int code = 0; code < 256; ++code) {
    body_read += DataTypeBodyRead(static_cast<std::uint8_t>(code)) ? 1 : 0;
  }
  EXPECT_EQ(body_read, 4);
}

TEST(ByteReader, ReadsInsideAndRefusesOutside) {
  const std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x03, 0x04, 0x05};
  const ByteReader reader(bytes);
  std::uint32_t u32 = 0;
  std::uint16_t u16 = 0;
  std::uint8_t u8 = 0;
  EXPECT_TRUE(reader.U32(1, u32));
  EXPECT_EQ(u32, 0x05040302U);
  EXPECT_FALSE(reader.U32(2, u32));
  EXPECT_EQ(u32, 0x05040302U);  // unchanged on failure
  EXPECT_TRUE(reader.U16(3, u16));
  EXPECT_EQ(u16, 0x0504);
  EXPECT_FALSE(reader.U16(4, u16));
  EXPECT_TRUE(reader.U8(4, u8));
  EXPECT_FALSE(reader.U8(5, u8));
  EXPECT_FALSE(reader.U8(std::numeric_limits<std::size_t>::max(), u8));
  EXPECT_FALSE(reader.Contains(1, std::numeric_limits<std::size_t>::max()));
  EXPECT_TRUE(reader.Contains(5, 0));

  std::vector<std::uint8_t> out(4, 0xEE);
  EXPECT_FALSE(reader.Copy(2, out));
  EXPECT_EQ(out, std::vector<std::uint8_t>(4, 0xEE));
  EXPECT_EQ(reader.CopyClamped(2, out), 3U);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0x03, 0x04, 0x05, 0x00}));
  EXPECT_EQ(reader.CopyClamped(9, out), 0U);
  EXPECT_EQ(out, std::vector<std::uint8_t>(4, 0x00));

  std::vector<std::uint8_t> target(6, 0);
  EXPECT_TRUE(StoreU32(target, 2, 0xA1B2C3D4U));
  EXPECT_EQ(target, (std::vector<std::uint8_t>{0, 0, 0xD4, 0xC3, 0xB2, 0xA1}));
  EXPECT_FALSE(StoreU32(target, 3, 0));
  EXPECT_FALSE(StoreU16(target, 5, 0));
}

}  // namespace
}  // namespace tessel
