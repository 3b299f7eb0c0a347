#include "ch10/file_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "support/format.h"
#include "support/log.h"

namespace tessel {

namespace {

// Gaps between consecutive packets of a row up to this many seconds are not shown.
constexpr double kMinimumInterval = 0.001;

static_assert(filereaderclass::kBlockSize >= kCh10HeaderSize + kCh10MaxBodySize,
              "a block holds the largest packet whose body is loaded");

}  // namespace

filereaderclass::filereaderclass() {
  Reset();
}

filereaderclass::~filereaderclass() {
  Close();
}

bool filereaderclass::Open(const std::string& file_name) {
  open_ = false;
  if (!PathExists(file_name) || DirectoryExists(file_name)) return false;
  Close();
  file_name_ = file_name;
  if (!file_.Open(file_name)) return false;
  end_ = false;
  Reset();
  if (setup_reader_) setup_reader_(file_name);
  file_size_ = std::max<std::int64_t>(file_.Size(), 0);
  if (block_.empty()) block_.resize(kBlockSize);
  block_start_ = 0;
  block_fill_ = 0;
  cursor_ = 0;
  open_ = true;
  return true;
}

void filereaderclass::Close() {
  open_ = false;
  file_.Close();
  file_name_.clear();
  packet_ = {};
  block_start_ = 0;
  block_fill_ = 0;
  cursor_ = 0;
}

void filereaderclass::Reset() {
  statistics_ = {};
  packets_read_ = 0;
  bytes_processed_ = 0;
  previous_length_ = 0;
  percent_processed_ = 0.0;
  header_ = {};
  packet_ = {};
}

bool filereaderclass::NextPacket(std::uint32_t& packet_length, int& kind) {
  if (!open_) {
    end_ = true;
    return true;
  }
  if (!ReadOnePacket()) {
    Close();
    end_ = true;
    return true;
  }
  end_ = false;
  ++packets_read_;
  bytes_processed_ += previous_length_;
  previous_length_ = header_.PacketLength;
  percent_processed_ = file_size_ > 0 ? std::clamp(static_cast<double>(bytes_processed_) /
                                                       static_cast<double>(file_size_) * 100.0,
                                                   0.0, 100.0)
                                      : 0.0;
  UpdateStatistics();
  packet_length = header_.PacketLength;
  kind = DataTypeKind(header_.DataType);
  return false;
}

bool filereaderclass::ReadOnePacket() {
  packet_ = {};
  if (!EnsureAvailable(kCh10HeaderSize)) return false;
  const std::span<const std::uint8_t> header_bytes(block_.data() + cursor_, kCh10HeaderSize);
  DecodeHeader(header_bytes, header_);

  const std::uint32_t length = header_.PacketLength;
  // The body size as an unsigned 32-bit difference: a length below the header's own
  // size makes it huge, and such a packet ends the walk whatever its type.
  const std::uint32_t remaining = length - static_cast<std::uint32_t>(kCh10HeaderSize);
  const bool body_read = DataTypeBodyRead(header_.DataType);
  if (length < kCh10HeaderSize || (body_read && remaining > kCh10MaxBodySize)) {
    LogError("Your Packet Size is WAY TOO large..done processing this file.  Size = " +
                 FixedText(12, 0, static_cast<double>(remaining)) + ".  Max size is " +
                 FixedText(12, 0, static_cast<double>(kCh10MaxBodySize)),
             remaining > INT_MAX ? INT_MAX : static_cast<int>(remaining), true);
    return false;
  }

  if (body_read) {
    if (!EnsureAvailable(length)) return false;
    packet_ = std::span<const std::uint8_t>(block_.data() + cursor_, length);
    cursor_ += length;
    return true;
  }
  // Other types: the header stays where it is in the block (skipping never writes
  // into the block), the body is passed over.
  packet_ = std::span<const std::uint8_t>(block_.data() + cursor_, kCh10HeaderSize);
  cursor_ += kCh10HeaderSize;
  return Skip(remaining);
}

bool filereaderclass::EnsureAvailable(std::size_t count) {
  if (block_fill_ - cursor_ >= count) return true;
  if (count > block_.size()) return false;
  // Move the unread tail to the start of the block, then fill the rest from the file.
  const std::size_t unread = block_fill_ - cursor_;
  if (unread > 0) std::memmove(block_.data(), block_.data() + cursor_, unread);
  block_start_ += static_cast<std::int64_t>(cursor_);
  cursor_ = 0;
  block_fill_ = unread;
  while (block_fill_ < count) {
    const std::int64_t got = file_.Read(block_.data() + block_fill_, block_.size() - block_fill_);
    if (got <= 0) break;
    block_fill_ += static_cast<std::size_t>(got);
  }
  return block_fill_ >= count;
}

bool filereaderclass::Skip(std::uint64_t count) {
  const std::size_t unread = block_fill_ - cursor_;
  if (count <= unread) {
    cursor_ += static_cast<std::size_t>(count);
    return true;
  }
  // Beyond the block: move the file position instead of reading the bytes. A packet
  // that ends beyond the end of the file is a truncated last packet.
  const std::int64_t target =
      block_start_ + static_cast<std::int64_t>(cursor_) + static_cast<std::int64_t>(count);
  if (target > file_size_ && target > file_.Size()) return false;
  if (file_.Seek(SeekOrigin::Begin, target) < 0) return false;
  block_start_ = target;
  block_fill_ = 0;
  cursor_ = 0;
  return true;
}

void filereaderclass::UpdateStatistics() {
  const std::uint8_t type = header_.DataType;
  ch10typestatstruct& row = statistics_[static_cast<std::size_t>(DataTypeRow(type))];
  row.Count += 1;
  row.ChannelId = header_.ChannelId;
  if (!DataTypeBodyRead(type)) return;
  const double t = RtcSeconds(header_);
  // The interval is a gap between two packets of the row: none for the first one.
  if (row.Count > 1) {
    const double d = t - row.LastTime;
    if (d > kMinimumInterval) row.Interval = d;
  }
  row.LastTime = t;
}

}  // namespace tessel
