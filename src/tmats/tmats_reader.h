// Reading the TMATS setup record of a recording: its first packet, whatever data type
// it carries, taken as TMATS text and parsed into the group tables (R, M, P, B).
//
// The first packet's body is read up to the packet layout's body limit (1 048 576
// bytes): a larger setup record is cut there and its last, incomplete line is not read;
// a recording that ends inside its first packet gives the part that is there. Either
// way the tables are rebuilt from what was read and a log line says what happened.
#pragma once

#include <cstdint>
#include <string>

#include "tmats/tmats_tables.h"

namespace tessel {

// How the first packet was read.
enum class TmatsRecordStatus {
  NotOpened,  // the recording could not be opened; the tables were left as they were
  NoPacket,   // shorter than a packet header: the tables are rebuilt from no text
  Whole,      // the whole packet was read
  Cut,        // the body was larger than the limit; its first part was read
  Short,      // the recording ends inside the packet; the part there was read
};

struct TmatsReadResult {
  std::int64_t file_size = 0;  // bytes in the recording; 0 when it could not be opened
  TmatsRecordStatus status = TmatsRecordStatus::NotOpened;
};

// Reads the recording's first packet and rebuilds `tables` from its TMATS text. With
// `debug` (the "First Packet" switch) it also logs the packet's header, secondary header
// and channel-specific data word, the kept TMATS lines, the packet's trailer and the
// group dumps, in that order.
TmatsReadResult ReadTmatsFromRecording(const std::string& path, bool debug, TmatsTables& tables,
                                       const TmatsGroupHooks& hooks = {});

}  // namespace tessel
