// Walks a Chapter 10 recording packet by packet for the conversion run.
//
// For each packet the reader decodes the 24-byte header, loads the body of the data
// types the program decodes or needs (setup record, PCM, time, video; see
// data_types.h) and passes over the body of every other type, classifies the packet
// into its kind code and keeps per-data-type statistics, the packet count and the
// percentage of the file processed for the progress display. It never interprets a
// payload.
//
// The file is read in large blocks; a packet is handed out as a view into the block
// (header followed by body), so loaded bodies are not copied and skipped bodies are
// never read when they extend beyond the block (the file position is moved instead).
// Offsets are 64-bit throughout.
//
// The walk ends at the end of the file, at a packet that the file does not hold whole
// (a truncated last packet), at a packet length below the 24-byte header and at a
// loaded body larger than kCh10MaxBodySize (reported with an error box).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ch10/data_types.h"
#include "ch10/packet.h"
#include "support/files.h"

namespace tessel {

// Statistics of one row of the data type table.
struct ch10typestatstruct {
  std::int64_t Count = 0;       // packets of this row seen
  std::uint32_t ChannelId = 0;  // channel ID of the last packet of this row
  double LastTime = 0.0;        // RTC seconds of the last packet (body-read types only)
  double Interval = 0.0;        // last gap above 0.001 s between consecutive packets, seconds
};

class filereaderclass {
 public:
  // Re-reads the recording's setup record (TMATS) when a recording is opened; given
  // the recording's path.
  using SetupRecordReader = std::function<void(const std::string& path)>;

  // Size of the blocks the file is read in.
  static constexpr std::size_t kBlockSize = std::size_t{4} << 20;

  filereaderclass();
  ~filereaderclass();
  filereaderclass(const filereaderclass&) = delete;
  filereaderclass& operator=(const filereaderclass&) = delete;

  // Installs what Open calls to re-read the setup record (none by default).
  void SetSetupRecordReader(SetupRecordReader reader) { setup_reader_ = std::move(reader); }

  // Opens the recording: false when it does not exist or cannot be opened. Closes any
  // open file, clears the end flag, resets the statistics, re-reads the setup record
  // and takes the file's size.
  bool Open(const std::string& file_name);
  // Closes the file and forgets its name.
  void Close();
  // Zeroes the statistics, the packet count, bytes and percent processed, and forgets
  // the current packet. The file size and the file position are kept.
  void Reset();

  // Reads the next packet. True means there is none: the file is not open, ended, or
  // the packet could not be read (the file has then been closed). False means a packet
  // was read: its length and kind are set and Packet() holds it.
  bool NextPacket(std::uint32_t& packet_length, int& kind);

  // The packet last returned: its header followed by its body for body-read types,
  // its header alone for the others. Valid until the next NextPacket, Reset or Close.
  std::span<const std::uint8_t> Packet() const { return packet_; }
  // The decoded header of the packet last returned.
  const ch10pktheaderstruct& Header() const { return header_; }

  bool IsOpen() const { return open_; }
  // True when the last call found no further packet.
  bool AtEnd() const { return end_; }
  const std::array<ch10typestatstruct, kStatisticsRows>& Statistics() const { return statistics_; }
  std::int64_t PacketsRead() const { return packets_read_; }
  const std::string& FileName() const { return file_name_; }
  std::int64_t FileSize() const { return file_size_; }
  // Summed lengths of the packets returned before the current one.
  std::int64_t BytesProcessed() const { return bytes_processed_; }
  // Bytes processed as a percentage of the file size, 0 to 100.
  double PercentProcessed() const { return percent_processed_; }

 private:
  // Reads one packet into the block; false at the end or on a failure.
  bool ReadOnePacket();
  // Makes at least `count` unread bytes available at the cursor; false when the file
  // does not hold them.
  bool EnsureAvailable(std::size_t count);
  // Moves past `count` bytes from the cursor; false when the file ends before them.
  bool Skip(std::uint64_t count);
  void UpdateStatistics();

  bool open_ = false;
  bool end_ = false;
  std::array<ch10typestatstruct, kStatisticsRows> statistics_{};
  std::int64_t packets_read_ = 0;
  std::string file_name_;
  std::int64_t file_size_ = 0;
  std::int64_t bytes_processed_ = 0;
  std::uint32_t previous_length_ = 0;  // length of the packet last returned
  double percent_processed_ = 0.0;

  InputFile file_;
  SetupRecordReader setup_reader_;
  std::vector<std::uint8_t> block_;  // bytes of the file from block_start_
  std::int64_t block_start_ = 0;     // file offset of block_[0]
  std::size_t block_fill_ = 0;       // valid bytes in block_
  std::size_t cursor_ = 0;           // next unread byte in block_
  ch10pktheaderstruct header_{};
  std::span<const std::uint8_t> packet_;
};

}  // namespace tessel
