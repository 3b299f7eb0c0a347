#include "ch10/packet.h"

#include <algorithm>
#include <limits>

#include "ch10/byte_reader.h"

namespace tessel {

namespace {

constexpr std::uint32_t Bits(std::uint32_t value, int low, int count) {
  return (value >> low) & ((std::uint32_t{1} << count) - 1U);
}

constexpr bool Bit(std::uint32_t value, int bit) {
  return ((value >> bit) & 1U) != 0;
}

constexpr std::uint32_t Field(std::uint32_t value, int low, int count) {
  return (value & ((std::uint32_t{1} << count) - 1U)) << low;
}

constexpr std::uint32_t Flag(bool value, int bit) {
  return value ? std::uint32_t{1} << bit : 0U;
}

}  // namespace

double RtcSeconds(const ch10pktheaderstruct& header) {
  // Built up 16 bits at a time in double precision, as every time stamp is.
  const double high = header.RtcHigh;
  const double middle = header.RtcLow >> 16;
  const double low = header.RtcLow & 0xFFFFU;
  return ((high * 65536.0 + middle) * 65536.0 + low) * 1e-7;
}

double SecondsFromSecondaryHeader(const ch10secheaderstruct& secondary) {
  const std::uint32_t micro = std::min<std::uint32_t>(secondary.TimeMsw >> 16, 10'000U);
  return static_cast<double>(secondary.TimeLsw) * 0.01 + static_cast<double>(micro) * 1e-6;
}

bool HasSecondaryHeader(const ch10pktheaderstruct& header) {
  // Computer-generated packets never carry one, whatever their flags say.
  return (header.PacketFlags & kFlagSecondaryHeader) != 0 &&
         header.DataType != kDataTypeUserDefined && header.DataType != kDataTypeSetupRecord;
}

std::uint16_t HeaderChecksum(const ch10pktheaderstruct& header) {
  const auto bytes = EncodeHeader(header);
  const ByteReader reader(bytes);
  std::uint32_t sum = 0;
  for (std::size_t offset = 0; offset < 22; offset += 2) {
    std::uint16_t word = 0;
    reader.U16(offset, word);
    sum += word;
  }
  return static_cast<std::uint16_t>(sum & 0xFFFFU);
}

int ChecksumSize(const ch10pktheaderstruct& header) {
  static constexpr std::array<int, 4> kSizes = {0, 1, 2, 4};
  return kSizes[header.PacketFlags & kFlagChecksumMask];
}

std::size_t CsdwOffset(const ch10pktheaderstruct& header) {
  return HasSecondaryHeader(header) ? kCh10SecondaryHeaderSize : 0;
}

std::int32_t TrailerSizes(const ch10pktheaderstruct& header, std::int32_t& checksum_size,
                          std::int32_t& filler_length) {
  // 64-bit arithmetic: both lengths are any 32-bit values in a damaged header.
  const std::int64_t trailer =
      std::int64_t{header.PacketLength} - static_cast<std::int64_t>(kCh10HeaderSize) -
      static_cast<std::int64_t>(CsdwOffset(header)) - std::int64_t{header.DataLength};
  checksum_size = ChecksumSize(header);
  filler_length =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(trailer - checksum_size, 0, 8));
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      trailer, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool DecodeHeader(std::span<const std::uint8_t> bytes, ch10pktheaderstruct& header) {
  const ByteReader reader(bytes);
  if (!reader.Contains(0, kCh10HeaderSize)) return false;
  ch10pktheaderstruct decoded{};
  reader.U16(0, decoded.SyncPattern);
  reader.U16(2, decoded.ChannelId);
  reader.U32(4, decoded.PacketLength);
  reader.U32(8, decoded.DataLength);
  reader.U8(12, decoded.DataTypeVersion);
  reader.U8(13, decoded.SequenceNumber);
  reader.U8(14, decoded.PacketFlags);
  reader.U8(15, decoded.DataType);
  reader.U32(16, decoded.RtcLow);
  reader.U16(20, decoded.RtcHigh);
  reader.U16(22, decoded.Checksum);
  header = decoded;
  return true;
}

std::array<std::uint8_t, kCh10HeaderSize> EncodeHeader(const ch10pktheaderstruct& header) {
  std::array<std::uint8_t, kCh10HeaderSize> bytes{};
  StoreU16(bytes, 0, header.SyncPattern);
  StoreU16(bytes, 2, header.ChannelId);
  StoreU32(bytes, 4, header.PacketLength);
  StoreU32(bytes, 8, header.DataLength);
  StoreU8(bytes, 12, header.DataTypeVersion);
  StoreU8(bytes, 13, header.SequenceNumber);
  StoreU8(bytes, 14, header.PacketFlags);
  StoreU8(bytes, 15, header.DataType);
  StoreU32(bytes, 16, header.RtcLow);
  StoreU16(bytes, 20, header.RtcHigh);
  StoreU16(bytes, 22, header.Checksum);
  return bytes;
}

bool DecodeSecondaryHeader(std::span<const std::uint8_t> bytes, ch10secheaderstruct& secondary) {
  const ByteReader reader(bytes);
  if (!reader.Contains(0, kCh10SecondaryHeaderSize)) return false;
  ch10secheaderstruct decoded{};
  reader.U32(0, decoded.TimeLsw);
  reader.U32(4, decoded.TimeMsw);
  reader.U16(8, decoded.Reserved);
  reader.U16(10, decoded.Checksum);
  secondary = decoded;
  return true;
}

std::array<std::uint8_t, kCh10SecondaryHeaderSize> EncodeSecondaryHeader(
    const ch10secheaderstruct& secondary) {
  std::array<std::uint8_t, kCh10SecondaryHeaderSize> bytes{};
  StoreU32(bytes, 0, secondary.TimeLsw);
  StoreU32(bytes, 4, secondary.TimeMsw);
  StoreU16(bytes, 8, secondary.Reserved);
  StoreU16(bytes, 10, secondary.Checksum);
  return bytes;
}

PcmF1Csdw DecodePcmF1Csdw(std::uint32_t csdw) {
  PcmF1Csdw fields;
  fields.SyncOffset = Bits(csdw, 0, 18);
  fields.UnpackedMode = Bit(csdw, 18);
  fields.PackedMode = Bit(csdw, 19);
  fields.ThroughputMode = Bit(csdw, 20);
  fields.MajorLockStatus = static_cast<std::uint8_t>(Bits(csdw, 24, 2));
  fields.MinorLockStatus = static_cast<std::uint8_t>(Bits(csdw, 26, 2));
  fields.MinorFrameIndicator = Bit(csdw, 28);
  fields.MajorFrameIndicator = Bit(csdw, 29);
  fields.IntraPacketHeaders = Bit(csdw, 30);
  return fields;
}

std::uint32_t EncodePcmF1Csdw(const PcmF1Csdw& fields) {
  return Field(fields.SyncOffset, 0, 18) | Flag(fields.UnpackedMode, 18) |
         Flag(fields.PackedMode, 19) | Flag(fields.ThroughputMode, 20) |
         Field(fields.MajorLockStatus, 24, 2) | Field(fields.MinorLockStatus, 26, 2) |
         Flag(fields.MinorFrameIndicator, 28) | Flag(fields.MajorFrameIndicator, 29) |
         Flag(fields.IntraPacketHeaders, 30);
}

TimeF1Csdw DecodeTimeF1Csdw(std::uint32_t csdw) {
  TimeF1Csdw fields;
  fields.TimeSource = static_cast<std::uint8_t>(Bits(csdw, 0, 4));
  fields.TimeFormat = static_cast<std::uint8_t>(Bits(csdw, 4, 4));
  fields.LeapYear = Bit(csdw, 8);
  fields.MonthYearAvailable = Bit(csdw, 9);
  return fields;
}

std::uint32_t EncodeTimeF1Csdw(const TimeF1Csdw& fields) {
  return Field(fields.TimeSource, 0, 4) | Field(fields.TimeFormat, 4, 4) |
         Flag(fields.LeapYear, 8) | Flag(fields.MonthYearAvailable, 9);
}

}  // namespace tessel
