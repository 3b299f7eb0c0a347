// Debug dumps of packets to the log, driven by the Debug Logging switches.
//
// Each dump is a fixed-format list of lines, every line logged with its own code
// (LogMessage, no box). The *Lines/*Line functions build the texts (pure, for tests and
// callers that gate on their own flag); the Log* functions write them unconditionally;
// the Dump* functions check the switch that governs them first and build nothing when
// it is off, so a run with every switch off pays only for the test of a flag.
//
// Which switch drives what:
//   DebugFirstPacket       DumpFirstPacket, DumpFirstPacketTrailer (TMATS read at load)
//   DebugPacketHeader      DumpPacketHeader (PCM/video packets and setup records in a run)
//   DebugPacketTrailer     DumpPacketTrailer (every packet a stream takes)
//   DebugFramedBuffer      DumpFramedBuffer (every chunk a stream takes)
//   DebugDRUXBuffer        DumpDruxFrame (every minor frame written into a block)
// DebugMinimalPacketInfo drives the packet processor's own lines, not these.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ch10/packet.h"
#include "support/debug_switches.h"

namespace tessel {

// One line of a dump and the code it is logged with.
struct DumpLine {
  std::string Text;
  int Code = 0;
  bool operator==(const DumpLine&) const = default;
};
using DumpLines = std::vector<DumpLine>;

// --- Texts ---

DumpLines PacketHeaderDumpLines(const ch10pktheaderstruct& header);
DumpLines SecondaryHeaderDumpLines(const ch10secheaderstruct& secondary);
DumpLines ChannelSpecificDumpLines(std::uint8_t data_type, std::uint32_t csdw);
DumpLines TrailerDumpLines(const ch10pkttrailerstruct& trailer);
// "Header checksum calculated is 0x...." (code 0), the packet header dump, the secondary
// header dump when the header announces one, and the channel-specific data dump.
DumpLines FirstPacketDumpLines(const ch10pktstruct& record);
// The chunk line of a stream: its frame time stamp, its lock state name and the
// chunk's first six values (fewer when the chunk is shorter). Logged with the stream
// index as code.
std::string FramedBufferLine(double frame_time, std::string_view lock_state_name,
                             std::span<const std::uint16_t> chunk);
// The archive frame line: stream index, frame time and the first 21 words of the frame's
// slice of the framed buffer (header words, then data; fewer when shorter). Logged with
// the frame's index in its block as code.
std::string DruxFrameLine(int stream_index, double frame_time,
                          std::span<const std::uint16_t> slice);

// --- Unconditional logging ---

// Each line through LogMessage with its code, no box.
void LogDumpLines(const DumpLines& lines);
void LogFirstPacket(const ch10pktstruct& record);
// The trailer dump of the record's trailer when its trailer length is above 0.
void LogFirstPacketTrailer(const ch10pktstruct& record);

// --- Gated by the debug switches ---

void DumpFirstPacket(const DebugSwitches& switches, const ch10pktstruct& record);
void DumpFirstPacketTrailer(const DebugSwitches& switches, const ch10pktstruct& record);
void DumpPacketHeader(const DebugSwitches& switches, const ch10pktheaderstruct& header);
// With DebugPacketTrailer on: fills `trailer` from the packet (ExtractTrailer) and dumps
// it. Otherwise leaves `trailer` alone.
void DumpPacketTrailer(const DebugSwitches& switches, const ch10pktheaderstruct& header,
                       std::span<const std::uint8_t> body, ch10pkttrailerstruct& trailer);
void DumpFramedBuffer(const DebugSwitches& switches, int stream_index, double frame_time,
                      std::string_view lock_state_name, std::span<const std::uint16_t> chunk);
void DumpDruxFrame(const DebugSwitches& switches, int stream_index, int frame_index,
                   double frame_time, std::span<const std::uint16_t> slice);

}  // namespace tessel
