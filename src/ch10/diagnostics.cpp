#include "ch10/diagnostics.h"

#include <algorithm>
#include <array>

#include "ch10/read_packet.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

namespace {

// --- Value texts of the channel-specific data dump ---

constexpr std::array<std::string_view, 4> kPcmMajorLockNames = {"Minors Only", "RESERVED", "CHECK",
                                                                "LOCK"};
constexpr std::array<std::string_view, 4> kPcmMinorLockNames = {"RESERVED", "RESERVED", "CHECK",
                                                                "LOCK"};
constexpr std::array<std::string_view, 2> kTimeSourceNames = {"Not Present.", "Present."};
constexpr std::array<std::string_view, 6> kTimeFormatNames = {
    "IRIG B.", "IRIG A.", "IRIG G.", "Internal Real Time Clock.", "UTC from GPS.", "Native GPS."};
constexpr std::string_view kReservedName = " RESERVED";
constexpr std::array<std::string_view, 4> kTimeTagNames = {
    "last bit of the last word of the message sequence.",
    "first bit of the first word of the message sequence.",
    "last bit of the first command word of the message sequence", " RESERVED"};

// Data types whose channel-specific data word is named but not broken out.
constexpr std::array<std::uint8_t, 7> kNotBrokenOut = {
    kDataTypeAnalogF1, kDataTypeDiscreteF1, kDataTypeMessageF0, kDataTypeArinc429F0,
    kDataTypeVideoF0,  kDataTypeImageF0,    kDataTypeUartF0};

template <std::size_t N>
std::string_view NameOr(const std::array<std::string_view, N>& names, unsigned index,
                        std::string_view other) {
  return index < N ? names[index] : other;
}

std::string Str(std::string_view text) {
  return std::string(text);
}

std::string Count(double value) {
  return FixedText(15, 0, value);
}

std::string Hex(std::uint32_t value, int width) {
  return HexText(value, width, true);
}

// CSDW values serve as line codes for some lines; they are shown as their 32-bit pattern.
int CodeOf(std::uint32_t csdw) {
  return static_cast<int>(csdw);
}

void AppendPcmLines(std::uint32_t csdw, DumpLines& lines) {
  const PcmF1Csdw pcm = DecodePcmF1Csdw(csdw);
  lines.push_back({"Intra Pkt Hdrs   : " + YesNoText(pcm.IntraPacketHeaders), 0});
  lines.push_back({"MAJOR FR         : " + YesNoText(pcm.MajorFrameIndicator), 0});
  lines.push_back({"MINOR FR         : " + YesNoText(pcm.MinorFrameIndicator), 0});
  lines.push_back({"LOCK STATE Major : " + Str(kPcmMajorLockNames[pcm.MajorLockStatus & 3U]), 0});
  lines.push_back({"LOCK STATE Minor : " + Str(kPcmMinorLockNames[pcm.MinorLockStatus & 3U]), 0});
  lines.push_back({"MODE Througput   : " + YesNoText(pcm.ThroughputMode), 0});
  lines.push_back({"MODE Packed      : " + YesNoText(pcm.PackedMode), 0});
  lines.push_back({"MODE Unpacked    : " + YesNoText(pcm.UnpackedMode), 0});
  lines.push_back({"SYNC OFFSET      : " + Count(pcm.SyncOffset), 0});
}

void AppendTimeLines(std::uint32_t csdw, DumpLines& lines) {
  const TimeF1Csdw time = DecodeTimeF1Csdw(csdw);
  lines.push_back(
      {"External Time is " + Str(NameOr(kTimeSourceNames, time.TimeSource, kReservedName)), 0});
  lines.push_back(
      {"Time Format is " + Str(NameOr(kTimeFormatNames, time.TimeFormat, kReservedName)), 0});
  lines.push_back({time.LeapYear ? "Is a Leap Year" : "Not a Leap Year", CodeOf(csdw)});
  lines.push_back(
      {time.MonthYearAvailable ? "Month and Year Available" : "IRIG Day Available", CodeOf(csdw)});
}

void AppendMilStd1553Lines(std::uint32_t csdw, DumpLines& lines) {
  lines.push_back({"Message Sequence Count   : " + FixedText(6, 0, csdw & 0xFFFU), 0});
  lines.push_back({"Time Tag is on the " + Str(kTimeTagNames[(csdw >> 30) & 3U]), 0});
}

// "HHHH HHHH ..." of the first `limit` values, each followed by a blank.
std::string WordsText(std::span<const std::uint16_t> words, std::size_t limit) {
  std::string text;
  for (std::uint16_t word : words.first(std::min(limit, words.size()))) {
    text += HexText(word, 4, false);
    text += ' ';
  }
  return text;
}

}  // namespace

DumpLines PacketHeaderDumpLines(const ch10pktheaderstruct& header) {
  return {
      {"", 0},
      {"Packet Header -------------------------------------------", 0},
      {"Sync Pattern         : " + Hex(header.SyncPattern, 4), 1},
      {"Channel Id           : " + Count(header.ChannelId), 1},
      {"Pkt Length           : " + Count(header.PacketLength), 1},
      {"Data Length          : " + Count(header.DataLength), 1},
      {"Data Type            : " + Hex(header.DataType, 2) + "  " +
           Str(DataTypeName(header.DataType)),
       1},
      {"Pkt Flags            : " + Hex(header.PacketFlags, 2), 1},
      {"Sequence Number      : " + Count(header.SequenceNumber), 1},
      {"Header Version       : " + Count(header.DataTypeVersion), 1},
      {"Rel Time Counter     : " + Count(header.RtcLow) + "   (hex = " + Hex(header.RtcLow, 8) +
           " )",
       1},
      {"Rel Time Counter 2   : " + Count(header.RtcHigh) + "   (hex = " + Hex(header.RtcHigh, 8) +
           " )",
       1},
      {"Time Counter To Time : " + TimeOfYearText(RtcSeconds(header)), 0},
      {"Hdr Checksum         : " + Hex(header.Checksum, 4), 1},
  };
}

DumpLines SecondaryHeaderDumpLines(const ch10secheaderstruct& secondary) {
  return {
      {"", 0},
      {"Packet Secondary Header -------------------------------------------", 0},
      {"TimeMsw    : " + Count(secondary.TimeMsw), 1},
      {"TimeLsw    : " + Count(secondary.TimeLsw), 1},
      {"Time Stamp : " + TimeOfYearText(SecondsFromSecondaryHeader(secondary)), 0},
      {"Checksum   : " + Hex(secondary.Checksum, 4), 1},
  };
}

DumpLines ChannelSpecificDumpLines(std::uint8_t data_type, std::uint32_t csdw) {
  DumpLines lines = {{"", 0}, {"Channel Specific Data - " + Hex(csdw, 8), 0}};
  switch (data_type) {
    case kDataTypeUserDefined:
      lines.push_back({"Computer Generated Packet Format 0 (user defined)", CodeOf(csdw)});
      break;
    case kDataTypeSetupRecord:
      lines.push_back({"Computer Generated Packet Format 1 (setup record)", CodeOf(csdw)});
      break;
    case kDataTypePcmF1:
      AppendPcmLines(csdw, lines);
      break;
    case kDataTypeTimeF1:
      AppendTimeLines(csdw, lines);
      break;
    case kDataTypeMilStd1553F1:
      AppendMilStd1553Lines(csdw, lines);
      break;
    default:
      if (std::find(kNotBrokenOut.begin(), kNotBrokenOut.end(), data_type) != kNotBrokenOut.end()) {
        lines.push_back({"not breaking out this kind yet", CodeOf(csdw)});
      } else {
        lines.push_back({"INVALID DATA TYPE..NO CHANNEL SPECIFIC DATA", 1});
      }
      break;
  }
  return lines;
}

DumpLines TrailerDumpLines(const ch10pkttrailerstruct& trailer) {
  std::string filler = "Filler    : ";
  const std::size_t filler_length = std::min<std::size_t>(
      static_cast<std::size_t>(std::max(trailer.FillerLength, 0)), trailer.Filler.size());
  for (std::size_t i = 0; i < filler_length; ++i) {
    filler += Hex(trailer.Filler[i], 2);
    filler += ' ';
  }
  return {
      {"", 0},
      {"Packet Trailer -------------------------------------------", 0},
      {"Trailer Length : " + Hex(static_cast<std::uint32_t>(trailer.TrailerLength), 4), 1},
      {"Check Sum Length : " + Hex(static_cast<std::uint32_t>(trailer.ChecksumSize), 4), 1},
      {"Check Sum : " + Hex(trailer.Checksum, 4), 1},
      {filler, 1},
  };
}

DumpLines FirstPacketDumpLines(const ch10pktstruct& record) {
  DumpLines lines = {{"Header checksum calculated is " + Hex(HeaderChecksum(record.Header), 4), 0}};
  auto append = [&lines](DumpLines more) {
    lines.insert(lines.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
  };
  append(PacketHeaderDumpLines(record.Header));
  if (HasSecondaryHeader(record.Header)) append(SecondaryHeaderDumpLines(record.SecondaryHeader));
  append(ChannelSpecificDumpLines(record.Header.DataType, record.Csdw));
  return lines;
}

std::string FramedBufferLine(double frame_time, std::string_view lock_state_name,
                             std::span<const std::uint16_t> chunk) {
  return "ReadPcmMinorFrame framed buf = " + TimeOfYearText(frame_time) + " ->  " +
         Str(lock_state_name) + "  " + WordsText(chunk, 6);
}

std::string DruxFrameLine(int stream_index, double frame_time,
                          std::span<const std::uint16_t> slice) {
  return "framed buf with header for stream " + FixedText(2, 0, stream_index) + "  " +
         TimeOfYearText(frame_time) + " ->  " + WordsText(slice, 21);
}

void LogDumpLines(const DumpLines& lines) {
  for (const DumpLine& line : lines) LogMessage(line.Text, line.Code);
}

void LogFirstPacket(const ch10pktstruct& record) {
  LogDumpLines(FirstPacketDumpLines(record));
}

void LogFirstPacketTrailer(const ch10pktstruct& record) {
  if (record.Trailer.TrailerLength > 0) LogDumpLines(TrailerDumpLines(record.Trailer));
}

void DumpFirstPacket(const DebugSwitches& switches, const ch10pktstruct& record) {
  if (switches.DebugFirstPacket) LogFirstPacket(record);
}

void DumpFirstPacketTrailer(const DebugSwitches& switches, const ch10pktstruct& record) {
  if (switches.DebugFirstPacket) LogFirstPacketTrailer(record);
}

void DumpPacketHeader(const DebugSwitches& switches, const ch10pktheaderstruct& header) {
  if (switches.DebugPacketHeader) LogDumpLines(PacketHeaderDumpLines(header));
}

void DumpPacketTrailer(const DebugSwitches& switches, const ch10pktheaderstruct& header,
                       std::span<const std::uint8_t> body, ch10pkttrailerstruct& trailer) {
  if (!switches.DebugPacketTrailer) return;
  trailer = ExtractTrailer(header, body);
  LogDumpLines(TrailerDumpLines(trailer));
}

void DumpFramedBuffer(const DebugSwitches& switches, int stream_index, double frame_time,
                      std::string_view lock_state_name, std::span<const std::uint16_t> chunk) {
  if (switches.DebugFramedBuffer) {
    LogMessage(FramedBufferLine(frame_time, lock_state_name, chunk), stream_index);
  }
}

void DumpDruxFrame(const DebugSwitches& switches, int stream_index, int frame_index,
                   double frame_time, std::span<const std::uint16_t> slice) {
  if (switches.DebugDRUXBuffer) {
    LogMessage(DruxFrameLine(stream_index, frame_time, slice), frame_index);
  }
}

}  // namespace tessel
