// Filling the recording summary: one walk with the file reader, the time packets
// decoded by a time-stream packet processor, the TMATS tables read by the reader's
// setup record pass; then the text and JSON forms of the summary.
#include "app/recording_info.h"

#include <algorithm>
#include <array>
#include <climits>
#include <span>

#include "app/json_writer.h"
#include "ch10/file_reader.h"
#include "ch10/packet.h"
#include "ch10/packet_processor.h"
#include "ch10/read_packet.h"
#include "setup/decom_setup.h"
#include "support/files.h"
#include "support/format.h"
#include "tmats/tmats_p_group.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

namespace {

// Packets between two progress calls, as the conversion run refreshes its display.
constexpr std::int64_t kProgressPackets = 200;
// The cell text of a statistics row without packets.
constexpr const char* kNoCount = "-----";

// Decodes the time packets of the walk exactly as a conversion run's time stream does.
class TimeDecoder {
 public:
  TimeDecoder() : processor_(-1, kKindTime, irig_, switches_) {}
  void Take(std::span<const std::uint8_t> packet) {
    if (!DecodeHeader(packet, record_.Header)) return;
    SplitPacketBody(packet.subspan(kCh10HeaderSize), record_, payload_);
    processor_.Process(record_, payload_);
    ++decoded_;
  }
  std::int64_t Decoded() const { return decoded_; }
  double IrigTime() const { return irig_.IrigTime; }

 private:
  IrigTimeState irig_;
  DebugSwitches switches_;  // all off: decoding writes nothing to the log
  ch10pktprocessorclass processor_;
  ch10pktstruct record_;
  std::vector<std::uint8_t> payload_;
  std::int64_t decoded_ = 0;
};

// Looks at the bytes where the walk stopped to say why it stopped there.
RecordingEndInfo ClassifyEnd(const std::string& path, std::int64_t offset, std::int64_t size) {
  RecordingEndInfo end;
  end.offset = offset;
  if (offset >= size) {
    end.reason = RecordingEnd::Complete;
    return end;
  }
  end.reason = RecordingEnd::ReadFailed;
  InputFile file;
  std::array<std::uint8_t, kCh10HeaderSize> bytes{};
  if (!file.Open(path) || file.Seek(SeekOrigin::Begin, offset) != offset) return end;
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::int64_t n = file.Read(bytes.data() + got, bytes.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got < bytes.size()) {
    end.reason = offset + static_cast<std::int64_t>(got) >= size ? RecordingEnd::HeaderCut
                                                                 : RecordingEnd::ReadFailed;
    return end;
  }
  ch10pktheaderstruct header{};
  DecodeHeader(bytes, header);
  end.packet_length = header.PacketLength;
  if (header.PacketLength < kCh10HeaderSize) {
    end.reason = RecordingEnd::LengthTooSmall;
  } else if (DataTypeBodyRead(header.DataType) &&
             header.PacketLength - kCh10HeaderSize > kCh10MaxBodySize) {
    end.reason = RecordingEnd::BodyTooLarge;
  } else if (static_cast<std::int64_t>(header.PacketLength) > size - offset) {
    end.reason = RecordingEnd::PacketCut;
  }
  return end;
}

// The end reason's name in the JSON form.
const char* EndReasonName(RecordingEnd reason) {
  switch (reason) {
    case RecordingEnd::NotOpened:
      return "not_opened";
    case RecordingEnd::Complete:
      return "complete";
    case RecordingEnd::HeaderCut:
      return "header_cut";
    case RecordingEnd::PacketCut:
      return "packet_cut";
    case RecordingEnd::LengthTooSmall:
      return "length_too_small";
    case RecordingEnd::BodyTooLarge:
      return "body_too_large";
    case RecordingEnd::ReadFailed:
      return "read_failed";
    case RecordingEnd::Stopped:
      return "stopped";
  }
  return "";
}

// A text from the recording made safe for a terminal: control characters as \xNN.
std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20U || byte == 0x7FU) {
      out += "\\x" + HexText(byte, 2, false);
    } else {
      out += c;
    }
  }
  return out;
}

// Rows of cells laid out in columns two blanks apart, each as wide as its widest cell.
std::string Columns(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string out;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - row[c].size() + 2, ' ');
    }
    out += line + "\n";
  }
  return out;
}

std::string IrigTimeText(const RecordingInfo& info) {
  if (info.time_packets == 0) return "none (no time packet)";
  const std::string packets =
      info.time_packets == 1 ? "one time packet"
                             : "last of " + std::to_string(info.time_packets) + " time packets";
  return TimeOfYearText(info.irig_time) + " (" + packets + ")";
}

RecordingChannelInfo ChannelInfoOf(const rgroupstruct& channel) {
  RecordingChannelInfo info;
  info.track = channel.TrackNumChannelId;
  info.type = std::string(ChannelDataTypeCode(channel.ChannelDataType));
  info.source = channel.DataSourceId;
  if (channel.PcmDataLinkNameSet) {
    info.link = channel.PcmDataLinkName;
  } else if (channel.BusDataLinkNameSet) {
    info.link = channel.BusDataLinkName;
  }
  info.enabled = channel.ChannelEnabled != 0;
  return info;
}

}  // namespace

RecordingPcmFormatInfo PcmFormatInfoOf(const pgroupstruct& group) {
  RecordingPcmFormatInfo info;
  info.group = group.MultiplexNum;
  info.link = group.DataLinkName.empty() ? group.MGroupDataLinkNameId : group.DataLinkName;
  info.channel = group.TrackChannelId;
  if (!group.DecomSetup) return info;
  // Validation corrects the setup in place: it runs on a copy so the table stays as
  // the P group left it.
  const auto setup = std::make_unique<decomsetupstruct>(*group.DecomSetup);
  info.valid = ValidateDecomSetup(0, *setup, info.error_code, info.message);
  const decomsetupstruct& s = *group.DecomSetup;
  info.words_per_frame = s.WordsPerFrame;
  info.common_word_length = s.CommonWordLength;
  info.fsp = RecordText(s.FrmSyncPat);
  info.fsp_radix = EnumText(kRadixNames, s.FrmSyncPatRadix);
  info.fsp_length = s.FrmSyncPatLen;
  info.subframes = s.NumSubframes;
  info.sync_method = EnumText(kSyncMethodNames, s.eSyncMethod);
  info.sfid_word = s.SubFrameIdWord;
  info.sfid_start_bit = s.SubFrameIdStartBitLsb;
  info.first_frame = s.FirstFrame;
  info.last_frame = s.LastFrame;
  info.frames_per_interrupt = s.FramesPerInterrupt;
  info.bit_rate = s.BitRate;
  return info;
}

bool FillRecordingInfo(const std::string& path, RecordingInfo& info,
                       const RecordingInfoOptions& options) {
  info = RecordingInfo{};
  info.path = path;
  for (int row = 0; row < kStatisticsRows; ++row) {
    info.types[static_cast<std::size_t>(row)].label = std::string(StatisticsRowLabel(row));
  }

  TmatsTables tables;
  PGroupTable p_table;
  filereaderclass reader;
  reader.SetSetupRecordReader([&](const std::string& name) {
    info.tmats_status =
        ReadTmatsFromRecording(name, options.dump, tables, PGroupHooks(p_table)).status;
  });
  if (!reader.Open(path)) {
    // The reader says only that it failed; a second attempt gives the system's reason.
    InputFile probe;
    info.open_error = probe.Open(path) ? "cannot open " + path : probe.error();
    return false;
  }
  info.opened = true;
  info.size = reader.FileSize();

  TimeDecoder time;
  std::int64_t offset = 0;  // where the packet after the last one read starts
  bool stopped = false;
  std::uint32_t length = 0;
  int kind = 0;
  while (!reader.NextPacket(length, kind)) {
    if (reader.PacketsRead() == 1) {
      info.have_first_packet = true;
      info.first_packet_type = reader.Header().DataType;
    }
    offset += length;
    if (kind == kKindTime) time.Take(reader.Packet());
    if (options.progress && reader.PacketsRead() % kProgressPackets == 0 &&
        !options.progress(reader.PercentProcessed())) {
      stopped = true;
      break;
    }
  }

  info.packets = reader.PacketsRead();
  for (int row = 0; row < kStatisticsRows; ++row) {
    const auto r = static_cast<std::size_t>(row);
    const ch10typestatstruct& stats = reader.Statistics()[r];
    info.types[r].count = stats.Count;
    info.types[r].channel = stats.ChannelId;
    info.types[r].last_time = stats.LastTime;
    info.types[r].interval = stats.Interval;
  }
  info.time_packets = time.Decoded();
  info.irig_time = time.IrigTime();
  if (stopped) {
    info.end.reason = RecordingEnd::Stopped;
    info.end.offset = offset;
  } else {
    info.end = ClassifyEnd(path, offset, info.size);
  }
  reader.Close();

  info.recorder_manufacturer = tables.r.recorder.StorageMfgr;
  info.recorder_model = tables.r.recorder.StorageModel;
  info.channels_assumed = tables.r.fallback;
  for (const rgroupstruct& channel : tables.r.channels) {
    info.channels.push_back(ChannelInfoOf(channel));
  }
  for (const pgroupstruct& group : p_table.groups) {
    info.pcm_formats.push_back(PcmFormatInfoOf(group));
  }
  return true;
}

std::array<std::string, 4> TypeRowTexts(const RecordingTypeInfo& row) {
  if (row.count == 0) return {kNoCount, kNoCount, kNoCount, kNoCount};
  const auto count = static_cast<std::uint32_t>(std::min<std::int64_t>(row.count, UINT32_MAX));
  return {HexText(count, 8, true), FixedText(5, 0, row.channel), TimeOfYearText(row.last_time),
          FixedText(12, 6, row.interval)};
}

std::string RecordingEndText(const RecordingEndInfo& end) {
  const std::string at = " at byte " + std::to_string(end.offset);
  const std::string length = std::to_string(end.packet_length);
  switch (end.reason) {
    case RecordingEnd::NotOpened:
      return "the recording could not be opened";
    case RecordingEnd::Complete:
      return "end of file after the last whole packet";
    case RecordingEnd::HeaderCut:
      return "the file ends inside a packet header" + at;
    case RecordingEnd::PacketCut:
      return "the file ends inside a packet of " + length + " bytes" + at;
    case RecordingEnd::LengthTooSmall:
      return "packet length " + length + " is below the 24-byte header" + at;
    case RecordingEnd::BodyTooLarge:
      return "packet of " + length + " bytes is larger than the reader takes" + at;
    case RecordingEnd::ReadFailed:
      return "the file could not be read" + at;
    case RecordingEnd::Stopped:
      return "stopped" + at;
  }
  return {};
}

std::string TmatsStatusText(TmatsRecordStatus status) {
  switch (status) {
    case TmatsRecordStatus::NotOpened:
      return "not opened";
    case TmatsRecordStatus::NoPacket:
      return "no packet";
    case TmatsRecordStatus::Whole:
      return "whole";
    case TmatsRecordStatus::Cut:
      return "cut";
    case TmatsRecordStatus::Short:
      return "short";
  }
  return {};
}

std::string RecordingInfoText(const RecordingInfo& info) {
  std::string first_packet = "none";
  if (info.have_first_packet) {
    first_packet = HexText(info.first_packet_type, 2, true) + " " +
                   std::string(DataTypeName(info.first_packet_type));
  }
  std::string out = Columns({
      {"Recording", Printable(info.path)},
      {"Size", std::to_string(info.size) + " bytes"},
      {"Num Ch 10 Pkts", FixedText(12, 0, static_cast<double>(info.packets))},
      {"IRIG Time", IrigTimeText(info)},
      {"End", RecordingEndText(info.end)},
      {"TMATS", "first packet " + first_packet + ", read " + TmatsStatusText(info.tmats_status)},
      {"Recorder", Printable(info.recorder_manufacturer + " " + info.recorder_model)},
  });

  std::vector<std::vector<std::string>> types = {{"Data type", "Pkt Cnt", "Ch ID", "TOY", "Dt"}};
  for (const RecordingTypeInfo& row : info.types) {
    const auto cells = TypeRowTexts(row);
    types.push_back({row.label, cells[0], cells[1], cells[2], cells[3]});
  }
  out += "\n" + Columns(types);

  out += "\nRecorder channels (" + std::to_string(info.channels.size()) + ")";
  if (info.channels_assumed) out += ": TMATS gives no channel count, one PCM channel assumed";
  out += "\n";
  std::vector<std::vector<std::string>> channels = {
      {"Ch #", "Data Type", "Ch ID", "Data Source", "Link", "Enabled"}};
  for (std::size_t i = 0; i < info.channels.size(); ++i) {
    const RecordingChannelInfo& c = info.channels[i];
    channels.push_back({std::to_string(i + 1), c.type, std::to_string(c.track), Printable(c.source),
                        c.link.empty() ? "-" : Printable(c.link), YesNoText(c.enabled)});
  }
  if (!info.channels.empty()) out += Columns(channels);

  out += "\nPCM formats (" + std::to_string(info.pcm_formats.size()) + ")\n";
  for (const RecordingPcmFormatInfo& f : info.pcm_formats) {
    out += "P-" + std::to_string(f.group) + "  link " + Printable(f.link) + "  channel " +
           std::to_string(f.channel) + "\n";
    const std::string validation =
        f.valid ? "OK" : "ERROR " + std::to_string(f.error_code) + ": " + f.message;
    out += Columns({
        {"  Words per frame", std::to_string(f.words_per_frame)},
        {"  Common word length", std::to_string(f.common_word_length)},
        {"  Frame sync pattern",
         Printable(f.fsp) + " (" + f.fsp_radix + ", " + std::to_string(f.fsp_length) + " bits)"},
        {"  Subframes", std::to_string(f.subframes)},
        {"  Sync method", f.sync_method},
        {"  SFID word",
         std::to_string(f.sfid_word) + ", start bit " + std::to_string(f.sfid_start_bit)},
        {"  Frames", std::to_string(f.first_frame) + " to " + std::to_string(f.last_frame)},
        {"  Frames per interrupt", std::to_string(f.frames_per_interrupt)},
        {"  Bit rate", std::to_string(f.bit_rate)},
        {"  Validation", validation},
    });
  }
  return out;
}

std::string RecordingInfoJson(const RecordingInfo& info) {
  JsonWriter w;
  w.BeginObject();
  w.Field("file", info.path).Field("size", info.size).Field("packets", info.packets);
  w.Key("end").BeginObject();
  w.Field("reason", EndReasonName(info.end.reason)).Field("offset", info.end.offset);
  w.Field("packet_length", info.end.packet_length).Field("text", RecordingEndText(info.end));
  w.EndObject();

  w.Key("types").BeginArray();
  for (const RecordingTypeInfo& row : info.types) {
    w.BeginObject().Field("label", row.label).Field("count", row.count);
    w.Field("channel", row.channel).Field("last_time", row.last_time);
    w.Field("last_time_text", TimeOfYearText(row.last_time)).Field("interval", row.interval);
    w.EndObject();
  }
  w.EndArray();

  w.Field("time_packets", info.time_packets).Key("irig_time");
  if (info.time_packets > 0) {
    w.Double(info.irig_time).Field("irig_time_text", TimeOfYearText(info.irig_time));
  } else {
    w.Null().Key("irig_time_text").Null();
  }

  w.Key("tmats").BeginObject();
  w.Field("status", TmatsStatusText(info.tmats_status));
  w.Key("first_packet_type");
  if (info.have_first_packet) {
    w.Uint(info.first_packet_type);
  } else {
    w.Null();
  }
  w.Field("recorder_manufacturer", info.recorder_manufacturer);
  w.Field("recorder_model", info.recorder_model);
  w.Field("channels_assumed", info.channels_assumed);
  w.EndObject();

  w.Key("channels").BeginArray();
  for (const RecordingChannelInfo& c : info.channels) {
    w.BeginObject().Field("track", c.track).Field("type", c.type).Field("source", c.source);
    w.Field("link", c.link).Field("enabled", c.enabled).EndObject();
  }
  w.EndArray();

  w.Key("pcm_formats").BeginArray();
  for (const RecordingPcmFormatInfo& f : info.pcm_formats) {
    w.BeginObject().Field("group", f.group).Field("link", f.link).Field("channel", f.channel);
    w.Field("words_per_frame", f.words_per_frame);
    w.Field("common_word_length", f.common_word_length);
    w.Field("fsp", f.fsp).Field("fsp_radix", f.fsp_radix).Field("fsp_length", f.fsp_length);
    w.Field("subframes", f.subframes).Field("sync_method", f.sync_method);
    w.Field("sfid_word", f.sfid_word).Field("sfid_start_bit", f.sfid_start_bit);
    w.Field("first_frame", f.first_frame).Field("last_frame", f.last_frame);
    w.Field("frames_per_interrupt", f.frames_per_interrupt).Field("bit_rate", f.bit_rate);
    w.Field("valid", f.valid).Field("error_code", f.error_code).Field("message", f.message);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  return w.Text();
}

}  // namespace tessel
