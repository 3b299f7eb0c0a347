#include "ch10/read_packet.h"

#include <algorithm>
#include <array>

#include "ch10/byte_reader.h"
#include "support/files.h"

namespace tessel {

void SplitPacketBody(std::span<const std::uint8_t> body, ch10pktstruct& record,
                     std::vector<std::uint8_t>& payload) {
  const ByteReader reader(body);
  const std::size_t csdw_offset = CsdwOffset(record.Header);

  record.SecondaryHeader = ch10secheaderstruct{};
  if (csdw_offset > 0) {
    std::array<std::uint8_t, kCh10SecondaryHeaderSize> bytes{};
    reader.CopyClamped(0, bytes);
    DecodeSecondaryHeader(bytes, record.SecondaryHeader);
  }

  std::array<std::uint8_t, kCh10CsdwSize> csdw{};
  reader.CopyClamped(csdw_offset, csdw);
  record.Csdw = 0;
  ByteReader(csdw).U32(0, record.Csdw);

  // The data length counts the CSDW; what follows it is the payload. A data length
  // beyond the body is limited so that no read leaves the body buffer.
  const std::uint32_t data_length = record.Header.DataLength;
  const std::size_t claimed = data_length > kCh10CsdwSize ? data_length - kCh10CsdwSize : 0;
  payload.resize(std::min(claimed, kCh10MaxPayloadSize));
  reader.CopyClamped(csdw_offset + kCh10CsdwSize, payload);
}

ch10pkttrailerstruct ExtractTrailer(const ch10pktheaderstruct& header,
                                    std::span<const std::uint8_t> body) {
  ch10pkttrailerstruct trailer;
  trailer.TrailerLength = TrailerSizes(header, trailer.ChecksumSize, trailer.FillerLength);
  if (trailer.TrailerLength <= 0) return trailer;

  const ByteReader reader(body);
  const std::size_t data_end = CsdwOffset(header) + std::size_t{header.DataLength};
  reader.CopyClamped(
      data_end, std::span(trailer.Filler).first(static_cast<std::size_t>(trailer.FillerLength)));

  // The checksum closes the packet. Where the filler is limited to 8 bytes this is not
  // directly after the filler; where the trailer is shorter than the checksum, the
  // checksum starts at the end of the data and what the packet lacks reads as zero.
  const std::int32_t before_checksum = std::max(trailer.TrailerLength - trailer.ChecksumSize, 0);
  std::array<std::uint8_t, 4> checksum{};
  reader.CopyClamped(data_end + static_cast<std::size_t>(before_checksum),
                     std::span(checksum).first(static_cast<std::size_t>(trailer.ChecksumSize)));
  ByteReader(checksum).U32(0, trailer.Checksum);
  return trailer;
}

namespace {

// Reads `size` bytes through `read` (which returns the count read, 0 or less at the end
// or on error) until all are there or the source stops; the count read.
template <typename ReadFunction>
std::size_t ReadFully(ReadFunction&& read, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t got = read(data + done, size - done);
    if (got == 0) break;
    done += std::min(got, size - done);
  }
  return done;
}

template <typename ReadFunction>
bool ReadPacketFrom(ReadFunction&& read, ch10pktstruct& record, std::vector<std::uint8_t>& body,
                    std::vector<std::uint8_t>& payload) {
  std::array<std::uint8_t, kCh10HeaderSize> header_bytes{};
  if (ReadFully(read, header_bytes.data(), header_bytes.size()) != header_bytes.size()) {
    return false;
  }
  DecodeHeader(header_bytes, record.Header);

  // A length below the header's own size, or a body the buffers do not provide for, is
  // refused before anything of the body is read.
  const std::uint32_t packet_length = record.Header.PacketLength;
  if (packet_length < kCh10HeaderSize) return false;
  const std::size_t body_length = packet_length - kCh10HeaderSize;
  if (body_length > kCh10MaxBodySize) return false;

  body.resize(body_length);
  if (ReadFully(read, body.data(), body.size()) != body.size()) return false;

  SplitPacketBody(body, record, payload);
  record.Trailer = ExtractTrailer(record.Header, body);
  return true;
}

}  // namespace

bool ReadPacket(InputFile& file, ch10pktstruct& record, std::vector<std::uint8_t>& body,
                std::vector<std::uint8_t>& payload) {
  auto read = [&file](std::uint8_t* data, std::size_t size) -> std::size_t {
    const std::int64_t got = file.Read(data, size);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  };
  return ReadPacketFrom(read, record, body, payload);
}

bool ReadPacket(std::span<const std::uint8_t> bytes, std::size_t& position, ch10pktstruct& record,
                std::vector<std::uint8_t>& body, std::vector<std::uint8_t>& payload) {
  std::size_t cursor = std::min(position, bytes.size());
  auto read = [&bytes, &cursor](std::uint8_t* data, std::size_t size) -> std::size_t {
    const std::size_t count = std::min(size, bytes.size() - cursor);
    if (count > 0) std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(cursor), count, data);
    cursor += count;
    return count;
  };
  if (!ReadPacketFrom(read, record, body, payload)) return false;
  position = cursor;
  return true;
}

}  // namespace tessel
