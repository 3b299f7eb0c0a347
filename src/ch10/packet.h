// The Chapter 10 packet layout as this program reads it.
//
// Covered: the 24-byte packet header, the 12-byte secondary header, the channel-specific
// data words (CSDW) of PCM Data Format 1 and Time Data Format 1, the trailer (filler
// and data checksum), and the decoded packet record a stream holds a packet in. Not
// covered: every other field of the standard; no checksum is ever verified and the
// sync pattern is never checked, so a damaged header is read like a good one.
//
// All fields are little-endian. Headers are decoded from bytes field by field
// (ByteReader), never by casting a raw buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "ch10/data_types.h"

namespace tessel {

inline constexpr std::size_t kCh10HeaderSize = 24;
inline constexpr std::size_t kCh10SecondaryHeaderSize = 12;
inline constexpr std::size_t kCh10CsdwSize = 4;
inline constexpr std::uint16_t kCh10SyncPattern = 0xEB25;
// Largest packet body (packet length - 24) the program loads.
inline constexpr std::size_t kCh10MaxBodySize = 1'048'576;
// Largest payload (bytes after the CSDW) a loaded body can hold.
inline constexpr std::size_t kCh10MaxPayloadSize = kCh10MaxBodySize - kCh10CsdwSize;

// Packet flags.
inline constexpr std::uint8_t kFlagSecondaryHeader = 0x80;  // bit 7
inline constexpr std::uint8_t kFlagChecksumMask = 0x03;     // bits 1-0

// The packet header, at the start of every packet. Its fields are laid out exactly as
// in the file, without padding (checked below).
struct ch10pktheaderstruct {
  std::uint16_t SyncPattern;     // printed, never checked (0xEB25 in a good header)
  std::uint16_t ChannelId;       // selects the stream a packet belongs to
  std::uint32_t PacketLength;    // bytes in the whole packet, header included
  std::uint32_t DataLength;      // CSDW + payload, without secondary header and trailer
  std::uint8_t DataTypeVersion;  // printed as "Header Version"
  std::uint8_t SequenceNumber;   // printed only
  std::uint8_t PacketFlags;      // bit 7 secondary header, bits 1-0 checksum size
  std::uint8_t DataType;         // decides how the packet is handled (data_types.h)
  std::uint32_t RtcLow;          // relative time counter, low 32 bits
  std::uint16_t RtcHigh;         // relative time counter, high 16 bits
  std::uint16_t Checksum;        // stored header checksum, printed only
};

static_assert(sizeof(ch10pktheaderstruct) == kCh10HeaderSize);
static_assert(std::is_trivially_copyable_v<ch10pktheaderstruct>);
static_assert(std::has_unique_object_representations_v<ch10pktheaderstruct>, "no padding");
static_assert(offsetof(ch10pktheaderstruct, SyncPattern) == 0);
static_assert(offsetof(ch10pktheaderstruct, ChannelId) == 2);
static_assert(offsetof(ch10pktheaderstruct, PacketLength) == 4);
static_assert(offsetof(ch10pktheaderstruct, DataLength) == 8);
static_assert(offsetof(ch10pktheaderstruct, DataTypeVersion) == 12);
static_assert(offsetof(ch10pktheaderstruct, SequenceNumber) == 13);
static_assert(offsetof(ch10pktheaderstruct, PacketFlags) == 14);
static_assert(offsetof(ch10pktheaderstruct, DataType) == 15);
static_assert(offsetof(ch10pktheaderstruct, RtcLow) == 16);
static_assert(offsetof(ch10pktheaderstruct, RtcHigh) == 20);
static_assert(offsetof(ch10pktheaderstruct, Checksum) == 22);

// The secondary header, directly after the packet header when HasSecondaryHeader.
struct ch10secheaderstruct {
  std::uint32_t TimeLsw;   // time word 1
  std::uint32_t TimeMsw;   // time word 2
  std::uint16_t Reserved;  // not interpreted
  std::uint16_t Checksum;  // printed, never verified
};

static_assert(sizeof(ch10secheaderstruct) == kCh10SecondaryHeaderSize);
static_assert(std::is_trivially_copyable_v<ch10secheaderstruct>);
static_assert(std::has_unique_object_representations_v<ch10secheaderstruct>, "no padding");
static_assert(offsetof(ch10secheaderstruct, TimeLsw) == 0);
static_assert(offsetof(ch10secheaderstruct, TimeMsw) == 4);
static_assert(offsetof(ch10secheaderstruct, Reserved) == 8);
static_assert(offsetof(ch10secheaderstruct, Checksum) == 10);

// One entry of the decoded packet record: two payload words, and for the first entry of
// a minor frame in the intra-packet header walks, that frame's time stamp and header.
struct ch10pktentrystruct {
  std::uint32_t TimeStampLow = 0;   // intra-packet time stamp, low half
  std::uint32_t TimeStampHigh = 0;  // intra-packet time stamp, high half
  std::uint16_t DataHeader = 0;     // first two bytes of the intra-packet data header
  std::uint16_t Word1 = 0;          // first payload word
  std::uint16_t Word2 = 0;          // second payload word
};

// The bytes after the body: filler, then the data checksum.
struct ch10pkttrailerstruct {
  std::int32_t TrailerLength = 0;  // packet length - headers - data length (may be < 0)
  std::int32_t ChecksumSize = 0;   // 0, 1, 2 or 4 bytes, from packet flags bits 1-0
  std::uint32_t Checksum = 0;      // checksum bytes, little-endian, the rest zero
  std::int32_t FillerLength = 0;   // trailer length less checksum size, limited to 0..8
  std::array<std::uint8_t, 8> Filler{};
};

// A packet split into its parts. The payload bytes (after the CSDW) are held apart in
// a byte buffer. Entries is sized by whoever walks the payload (the packet processor):
// a full-size body holds far more than 65 536 entries' worth of words, and a vector
// keeps the record small enough to live anywhere.
struct ch10pktstruct {
  ch10pktheaderstruct Header{};
  ch10secheaderstruct SecondaryHeader{};  // meaningful only when HasSecondaryHeader
  std::uint32_t Csdw = 0;
  std::vector<ch10pktentrystruct> Entries;
  ch10pkttrailerstruct Trailer{};
};

// --- Header fields ---

// The 48-bit relative time counter (10 MHz) in seconds.
double RtcSeconds(const ch10pktheaderstruct& header);
// The secondary header's time in seconds, for display only.
double SecondsFromSecondaryHeader(const ch10secheaderstruct& secondary);
// Flags bit 7 set and a data type other than 0x00 and 0x01.
bool HasSecondaryHeader(const ch10pktheaderstruct& header);
// Wrapping sum of the first 22 header bytes as eleven little-endian 16-bit words.
std::uint16_t HeaderChecksum(const ch10pktheaderstruct& header);
// Data checksum size in bytes from flags bits 1-0: 0, 1, 2 or 4.
int ChecksumSize(const ch10pktheaderstruct& header);
// Bytes in front of the CSDW within the body: 12 with a secondary header, else 0.
std::size_t CsdwOffset(const ch10pktheaderstruct& header);
// Trailer length (packet length - 24 - secondary header - data length, limited to the
// 32-bit range; negative when the data length claims more than the packet holds);
// sets the checksum size and the filler length (trailer less checksum, 0..8).
std::int32_t TrailerSizes(const ch10pktheaderstruct& header, std::int32_t& checksum_size,
                          std::int32_t& filler_length);

// --- Encoding and decoding ---

// Decodes a header from the first 24 bytes; false when fewer are given.
bool DecodeHeader(std::span<const std::uint8_t> bytes, ch10pktheaderstruct& header);
std::array<std::uint8_t, kCh10HeaderSize> EncodeHeader(const ch10pktheaderstruct& header);
// Decodes a secondary header from the first 12 bytes; false when fewer are given.
bool DecodeSecondaryHeader(std::span<const std::uint8_t> bytes, ch10secheaderstruct& secondary);
std::array<std::uint8_t, kCh10SecondaryHeaderSize> EncodeSecondaryHeader(
    const ch10secheaderstruct& secondary);

// --- Channel-specific data words ---

// PCM Data Format 1 (data type 0x09).
struct PcmF1Csdw {
  std::uint32_t SyncOffset = 0;      // bits 17-0
  bool UnpackedMode = false;         // bit 18
  bool PackedMode = false;           // bit 19
  bool ThroughputMode = false;       // bit 20
  std::uint8_t MajorLockStatus = 0;  // bits 25-24
  std::uint8_t MinorLockStatus = 0;  // bits 27-26
  bool MinorFrameIndicator = false;  // bit 28
  bool MajorFrameIndicator = false;  // bit 29
  bool IntraPacketHeaders = false;   // bit 30
};
PcmF1Csdw DecodePcmF1Csdw(std::uint32_t csdw);
// Fields wider than their bits are cut to them.
std::uint32_t EncodePcmF1Csdw(const PcmF1Csdw& fields);

// Time Data Format 1 (data type 0x11).
inline constexpr std::uint8_t kTimeSourceNotPresent = 0;
inline constexpr std::uint8_t kTimeSourcePresent = 1;
inline constexpr std::uint8_t kTimeFormatIrigB = 0;
inline constexpr std::uint8_t kTimeFormatIrigA = 1;
inline constexpr std::uint8_t kTimeFormatIrigG = 2;
inline constexpr std::uint8_t kTimeFormatInternalRtc = 3;
inline constexpr std::uint8_t kTimeFormatUtcGps = 4;
inline constexpr std::uint8_t kTimeFormatNativeGps = 5;

struct TimeF1Csdw {
  std::uint8_t TimeSource = 0;      // bits 3-0: 0 external time not present, 1 present
  std::uint8_t TimeFormat = 0;      // bits 7-4: IRIG-B, IRIG-A, IRIG-G, RTC, UTC, GPS
  bool LeapYear = false;            // bit 8
  bool MonthYearAvailable = false;  // bit 9 (date format): clear = IRIG day of year
};
TimeF1Csdw DecodeTimeF1Csdw(std::uint32_t csdw);
std::uint32_t EncodeTimeF1Csdw(const TimeF1Csdw& fields);

}  // namespace tessel
