#include "tmats/tmats_reader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "ch10/diagnostics.h"
#include "ch10/packet.h"
#include "ch10/read_packet.h"
#include "support/files.h"
#include "support/log.h"

namespace tessel {

namespace {

// Reads up to `size` bytes, continuing after short reads; the count read.
std::size_t ReadUpTo(InputFile& file, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::int64_t got = file.Read(data + done, size - done);
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

// Reads the first packet into `record` and its TMATS text (the payload after the CSDW)
// into `text`. The body is read up to kCh10MaxBodySize bytes; bytes a damaged header
// places beyond what was read count as zero.
TmatsRecordStatus ReadFirstPacket(InputFile& file, ch10pktstruct& record, std::string& text) {
  std::array<std::uint8_t, kCh10HeaderSize> header_bytes{};
  if (ReadUpTo(file, header_bytes.data(), header_bytes.size()) != header_bytes.size()) {
    LogMessage("No TMATS setup record: the recording is shorter than a packet header", 255);
    return TmatsRecordStatus::NoPacket;
  }
  DecodeHeader(header_bytes, record.Header);

  const std::uint32_t packet_length = record.Header.PacketLength;
  const std::size_t body_length =
      packet_length > kCh10HeaderSize ? packet_length - kCh10HeaderSize : 0;
  std::vector<std::uint8_t> body(std::min(body_length, kCh10MaxBodySize));
  body.resize(ReadUpTo(file, body.data(), body.size()));

  TmatsRecordStatus status = TmatsRecordStatus::Whole;
  if (body_length > kCh10MaxBodySize) {
    status = TmatsRecordStatus::Cut;
    LogMessage("TMATS setup record larger than " + std::to_string(kCh10MaxBodySize) +
                   " bytes: only its first " + std::to_string(kCh10MaxBodySize) + " bytes are read",
               255);
  }
  if (body.size() < std::min(body_length, kCh10MaxBodySize)) {
    status = TmatsRecordStatus::Short;
    LogMessage(
        "TMATS setup record cut short by the end of the recording: " + std::to_string(body.size()) +
            " of " + std::to_string(body_length) + " bytes read",
        255);
  }

  std::vector<std::uint8_t> payload;
  SplitPacketBody(body, record, payload);
  record.Trailer = ExtractTrailer(record.Header, body);
  // Only the bytes actually read are text; SplitPacketBody pads a short body with zeros.
  const std::size_t data_start = CsdwOffset(record.Header) + kCh10CsdwSize;
  const std::size_t available = body.size() > data_start ? body.size() - data_start : 0;
  text.assign(payload.begin(),
              payload.begin() + static_cast<std::ptrdiff_t>(std::min(payload.size(), available)));
  return status;
}

void LogSplitLimits(const TmatsSplitStats& stats) {
  if (stats.long_lines_dropped > 0) {
    LogMessage(
        "TMATS lines of " + std::to_string(kTmatsMaxLineLength) + " or more characters dropped",
        static_cast<int>(std::min<std::size_t>(stats.long_lines_dropped, 999999)));
  }
  if (stats.line_limit_reached) {
    LogMessage("TMATS text has more than " + std::to_string(kTmatsMaxLines) +
                   " lines: the rest is not read",
               static_cast<int>(kTmatsMaxLines));
  }
}

}  // namespace

TmatsReadResult ReadTmatsFromRecording(const std::string& path, bool debug, TmatsTables& tables,
                                       const TmatsGroupHooks& hooks) {
  TmatsReadResult result;
  InputFile file;
  if (!file.Open(path)) return result;
  result.file_size = std::max<std::int64_t>(file.Size(), 0);

  ch10pktstruct record;
  std::string text;
  result.status = ReadFirstPacket(file, record, text);
  file.Close();
  const bool have_header = result.status != TmatsRecordStatus::NoPacket;
  if (debug && have_header) LogFirstPacket(record);

  TmatsSplitStats stats;
  const TmatsLineList lines = ParseTmatsText(text, &stats);
  LogSplitLimits(stats);
  if (debug) {
    DumpTmatsLines(lines);
    if (have_header) LogFirstPacketTrailer(record);
  }

  ParseTmatsGroups(lines, tables, hooks);
  if (debug) DumpTmatsGroups(tables, hooks);
  return result;
}

}  // namespace tessel
