// TMATS group R: the recorder and its channels.
//
// `ParseRGroup` turns the R lines of the kept TMATS list into the table of enabled
// recorder channels (track number = the channel ID every packet of the channel
// carries, data type, data source, link names ...), in channel order, and the recorder
// record. Only the first recorder is read (the line filter drops R-2 and above).
// Without a channel count it assumes one PCM channel with track number 1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tmats/tmats_lines.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

// Channels a recorder may list; higher channel numbers are ignored.
inline constexpr int kMaxRecorderChannels = 64;

// One enabled recorder channel. The comment after each field names the TMATS
// attribute that sets it; the dump prints the field names as labels.
struct rgroupstruct {
  std::string GGroupDataSourceId = "0";                           // ID
  std::int32_t TrackNumChannelId = 0;                             // TK1 (default: channel number)
  std::string DataSourceId = "UNK";                               // DSI
  std::uint8_t ChannelEnabled = 0;                                // CHE "T"
  std::int32_t ChannelDataType = kTmatsChannelUnknown;            // CDT, channel data type index
  std::string PcmDataLinkName = "UNK";                            // PDLN or CDLN
  std::int32_t DataPackMode = kTmatsPackingUnknown;               // PDP, PCM data packing index
  std::int32_t VideoCompression = kTmatsVideoCompressionUnknown;  // PTF index
  std::string BusDataLinkName = "UNK";                            // BDLN
  std::int32_t TimeFormat = kTmatsTimeFormatUnknown;              // TFMT, time format index
  std::int32_t TimeSource = kTmatsTimeSourceNone;                 // TSRC, time source index
  std::int32_t NumAnalogPktsPerChannel = 1;                       // ACH
  std::int32_t AnalogDataPackOption = 0;                          // ADP
  std::int32_t AnalogSampleRateHz = 0;                            // ASR
  std::string AnalogMeasurementName = "UNK";                      // AMN
  std::int32_t AnalogDataLength = 16;                             // ADL
  std::int32_t AnalogBitMask = 0xFFFF;                            // AMSK
  std::int32_t AnalogMeasurementXferOrder = 0;                    // AMTO
  std::int32_t AnalogSampleFactor = 0;                            // ASF
  // True once PDLN/CDLN resp. BDLN named the link: the "UNK" defaults are no names and
  // never match a link-name lookup.
  bool PcmDataLinkNameSet = false;
  bool BusDataLinkNameSet = false;
};

// The recorder as a whole.
struct rgengroupstruct {
  std::int32_t NumTracks = 0;        // N
  std::string StorageMfgr = "UNK";   // RI1
  std::string StorageModel = "UNK";  // RI2
};

// The R group tables, rebuilt by every parse.
struct RGroupTable {
  rgengroupstruct recorder;
  // The enabled channels in channel order (at most kMaxRecorderChannels). With the
  // fallback, the one assumed channel (which is not marked enabled).
  std::vector<rgroupstruct> channels;
  // True when the TMATS gave no channel count and the fallback channel was assumed.
  bool fallback = false;
};

// Rebuilds `table` from the R lines of `lines` (Group "R"). Without a positive channel
// count: one PCM channel, track 1, IRIG B, throughput packing; BeepError and two log
// lines with code 255.
void ParseRGroup(const TmatsLineList& lines, RGroupTable& table);

// Writes the "TMATS RECORDER INFO" block to the log. Discrete, UART, ARINC 429,
// message and image channels are not dumped.
void DumpRGroup(const RGroupTable& table);
// The dump texts, as logged (each one multi-line entry).
std::string RRecorderDumpText(const rgengroupstruct& recorder);
std::string RChannelDumpText(const rgroupstruct& channel);

// The first channel whose PCM or bus data link name equals `name` (names never set and
// an empty `name` never match): true with its index in `table.channels` and its track
// number; false with both 0. The M group ties a multiplex to its channel this way.
bool FindRChannelByLinkName(const RGroupTable& table, std::string_view name, int& index,
                            std::int32_t& track);

// The first enabled channel whose PCM data link name (PDLN or CDLN) was set and equals
// `name`: true with its index and track number; false with both 0. For TMATS that links
// a channel straight to a PCM format's data link name, without an M group in between.
bool FindPcmChannelByLinkName(const RGroupTable& table, std::string_view name, int& index,
                              std::int32_t& track);

// The first channel with this track number (channel ID), or nullptr.
const rgroupstruct* FindRChannelByTrack(const RGroupTable& table, std::int32_t track);

}  // namespace tessel
