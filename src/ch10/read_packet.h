// Reading one whole packet and splitting it into the decoded packet record.
//
// The body buffer holds the packet after its 24-byte header (packet length - 24 bytes,
// at most kCh10MaxBodySize). Splitting takes the secondary header (when present) and the
// CSDW from the body, copies the payload (the data after the CSDW) into the payload
// buffer and fills the trailer record. Splitting never reads outside the body: fields a
// damaged header places beyond the packet read as zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ch10/packet.h"

namespace tessel {

class InputFile;

// Splits a body into the record, whose Header must already be set: secondary header
// (zeroed when the header announces none), CSDW, and the payload, resized to the data
// length less the CSDW (limited to kCh10MaxPayloadSize; payload.size() is the length
// consumers may read). Payload bytes beyond the body read as zero. The trailer and the
// entry table are left alone.
void SplitPacketBody(std::span<const std::uint8_t> body, ch10pktstruct& record,
                     std::vector<std::uint8_t>& payload);

// The trailer record of a packet from its header and body: TrailerSizes, and when the
// trailer length is above 0 the filler bytes that follow the data and the checksum,
// taken as the last checksum-size bytes of the trailer. Bytes beyond the body are zero.
ch10pkttrailerstruct ExtractTrailer(const ch10pktheaderstruct& header,
                                    std::span<const std::uint8_t> body);

// Reads one whole packet at the file's current position into the record (header,
// secondary header, CSDW, trailer), the body buffer (resized to packet length - 24) and
// the payload buffer (see SplitPacketBody). False when the header or body read is short
// (the record is then partly filled), when the packet length is below 24, or when the
// body is larger than kCh10MaxBodySize; an oversized body is not read.
bool ReadPacket(InputFile& file, ch10pktstruct& record, std::vector<std::uint8_t>& body,
                std::vector<std::uint8_t>& payload);

// The same from bytes in memory, starting at `position`; on success `position` moves
// past the packet.
bool ReadPacket(std::span<const std::uint8_t> bytes, std::size_t& position, ch10pktstruct& record,
                std::vector<std::uint8_t>& body, std::vector<std::uint8_t>& payload);

}  // namespace tessel
