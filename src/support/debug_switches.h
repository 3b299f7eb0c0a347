// The six debug switches of the Debug Logging menu: all off at start, never saved.
// Each turns on a diagnostic dump to the log.
#pragma once

namespace tessel {

struct DebugSwitches {
  bool DebugFirstPacket = false;        // dumps of the first packet and its TMATS
  bool DebugFramedBuffer = false;       // each framed buffer of a stream
  bool DebugDRUXBuffer = false;         // each archive record
  bool DebugMinimalPacketInfo = false;  // one line per PCM/video packet
  bool DebugPacketHeader = false;       // every packet header during a run
  bool DebugPacketTrailer = false;      // every packet trailer during a run

  void Clear() { *this = DebugSwitches{}; }
};

}  // namespace tessel
