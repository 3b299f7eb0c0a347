// What an engineer asks first about a recording, gathered into one plain record.
//
// `FillRecordingInfo` walks the whole recording once with the file reader, as a
// conversion run does: the per-data-type statistics, the packets read, the IRIG time of
// the last time packet (decoded by the packet processor, so the month-and-year format
// and day 366 come out as in a run) and why the walk ended. The reader's setup record
// pass reads the TMATS text of the first packet into the R, M, P and B tables; the
// record keeps the recorder's channels and the PCM formats with their derived decom
// setups and how they validate. Nothing is shown: the formatters turn the record into
// the text of `tessel-cli info` or one JSON object.
//
// A damaged recording (one that ends inside a packet, a packet length below the
// header, an oversized body, a first packet that holds no TMATS) still gives a full
// record up to the damage, with the reason in `end`.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ch10/data_types.h"
#include "tmats/tmats_reader.h"

namespace tessel {

// One row of the per-data-type statistics, as the progress dialog shows it.
struct RecordingTypeInfo {
  std::string label;          // "0x11 Time F1" ...
  std::int64_t count = 0;     // packets of this row
  std::uint32_t channel = 0;  // channel ID of the last one
  double last_time = 0.0;     // its relative time counter, seconds
  double interval = 0.0;      // last gap above 1 ms between two of them, seconds
};

// One recorder channel of TMATS group R.
struct RecordingChannelInfo {
  std::int32_t track = 0;  // track number = channel ID of its packets
  std::string type;        // channel data type code: "PCMIN", "VIDIN", "TIMEIN", "UNK" ...
  std::string source;      // data source ID
  std::string link;        // PCM (or else bus) data link name; empty when TMATS gave none
  bool enabled = false;
};

// One PCM format of TMATS group P and the decom setup derived from it.
struct RecordingPcmFormatInfo {
  std::int32_t group = 0;    // the d of its P-d attributes
  std::string link;          // data link name (DLN)
  std::int32_t channel = 0;  // recorder channel (track number) that carries it
  std::int32_t words_per_frame = 0;
  std::int32_t common_word_length = 0;
  std::string fsp;        // frame sync pattern text
  std::string fsp_radix;  // "BINARY", "OCTAL", "HEX"
  std::int32_t fsp_length = 0;
  std::int32_t subframes = 0;
  std::string sync_method;  // "NONE", "SFID", "FCC", "URC"
  std::int32_t sfid_word = 0;
  std::int32_t sfid_start_bit = 0;
  std::int32_t first_frame = 0;
  std::int32_t last_frame = 0;
  std::int32_t frames_per_interrupt = 0;
  std::int32_t bit_rate = 0;
  bool valid = false;   // ValidateDecomSetup accepts the setup
  int error_code = 0;   // its code when not valid
  std::string message;  // its message when not valid
};

// Why the walk stopped.
enum class RecordingEnd {
  NotOpened,       // the recording could not be opened
  Complete,        // the last packet ends exactly at the end of the file
  HeaderCut,       // the file ends inside a packet header
  PacketCut,       // the file ends inside a packet
  LengthTooSmall,  // a packet length below the 24-byte header
  BodyTooLarge,    // a loaded body larger than the reader takes
  ReadFailed,      // the file could not be read on
  Stopped,         // the progress callback asked to stop
};

struct RecordingEndInfo {
  RecordingEnd reason = RecordingEnd::NotOpened;
  std::int64_t offset = 0;          // where the walk stopped: after the last packet read
  std::uint32_t packet_length = 0;  // the length the packet there gives (when known)
};

// Everything `tessel-cli info` reports.
struct RecordingInfo {
  std::string path;
  bool opened = false;
  std::string open_error;  // "cannot open <path>: <reason>" when it could not be opened
  std::int64_t size = 0;   // bytes in the file
  std::int64_t packets = 0;
  std::array<RecordingTypeInfo, kStatisticsRows> types{};
  std::int64_t time_packets = 0;  // time packets decoded
  double irig_time = 0.0;         // IRIG time of the last of them (0 without any)
  RecordingEndInfo end;
  bool have_first_packet = false;
  std::uint8_t first_packet_type = 0;  // data type of the first packet (0x01 for TMATS)
  TmatsRecordStatus tmats_status = TmatsRecordStatus::NotOpened;
  std::string recorder_manufacturer;
  std::string recorder_model;
  std::vector<RecordingChannelInfo> channels;
  bool channels_assumed = false;  // TMATS gave no channel count: one PCM channel assumed
  std::vector<RecordingPcmFormatInfo> pcm_formats;
};

struct RecordingInfoOptions {
  // Writes the first packet's dumps and the TMATS line and group dumps to the log, as
  // the "First Packet" debug switch does.
  bool dump = false;
  // Called every 200 packets with the percentage processed; returning false stops the
  // walk (end reason Stopped).
  std::function<bool(double percent)> progress;
};

// Fills `info` from the recording at `path`. False only when it cannot be opened
// (`info.opened` false, `open_error` set).
bool FillRecordingInfo(const std::string& path, RecordingInfo& info,
                       const RecordingInfoOptions& options = {});

// The PCM format record of one TMATS P group (validation runs on a copy of its setup).
struct pgroupstruct;
RecordingPcmFormatInfo PcmFormatInfoOf(const pgroupstruct& group);

// The four cells of a statistics row as the progress dialog shows them: count
// (HexText, 8 digits), channel ID, last time (time of year) and interval; "-----" in
// each when the count is 0.
std::array<std::string, 4> TypeRowTexts(const RecordingTypeInfo& row);

// A sentence saying why the walk ended.
std::string RecordingEndText(const RecordingEndInfo& end);
// "whole", "cut", "short", "no packet", "not opened".
std::string TmatsStatusText(TmatsRecordStatus status);

// The report as plain text lines (LF), control characters of TMATS texts shown as \xNN.
std::string RecordingInfoText(const RecordingInfo& info);
// The report as one JSON object (see json_writer.h), ending with a line break.
std::string RecordingInfoJson(const RecordingInfo& info);

}  // namespace tessel
