#include "ch10/synthetic.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>

#include "ch10/synthetic_sources.h"
#include "support/files.h"

namespace tessel {

namespace {

using synth::kHeaderBytes;

constexpr std::size_t kMaxStreams = 8;

std::uint16_t PcmChannel(const SynthOptions& options, std::size_t i) {
  const std::uint16_t id = options.pcm[i].channel_id;
  return id != 0 ? id : static_cast<std::uint16_t>(2 + i);
}

std::uint16_t VideoChannel(const SynthOptions& options, std::size_t i) {
  const std::uint16_t id = options.video[i].channel_id;
  return id != 0 ? id : static_cast<std::uint16_t>(10 + i);
}

const char* PackingCode(const SynthPcmStream& stream) {
  switch (stream.packing) {
    case SynthPacking::Packed:
      return "PFS";
    case SynthPacking::Unpacked:
      return "UN";
    case SynthPacking::Throughput:
      break;
  }
  return "TM";
}

std::string CheckPcmStream(const SynthPcmStream& s, const std::string& name) {
  if (s.bit_rate < 100 || s.bit_rate > 50'000'000) {
    return name + ": bit rate must be between 100 and 50000000 bits per second";
  }
  if (s.word_length < 3 || s.word_length > 16) {
    return name + ": word length must be between 3 and 16 bits";
  }
  if (s.pattern_length < 3 || s.pattern_length > 64) {
    return name + ": sync pattern length must be between 3 and 64 bits";
  }
  if (s.pattern_length < 64 && (s.pattern >> s.pattern_length) != 0) {
    return name + ": sync pattern has more than " + std::to_string(s.pattern_length) + " bits";
  }
  const int n = (s.pattern_length + s.word_length - 1) / s.word_length;
  const int least = s.pattern_leads ? n + 2 : 2 * n + 1;
  if (s.words_per_frame < least || s.words_per_frame > 16'383) {
    return name + ": words per minor frame must be between " + std::to_string(least) +
           " and 16383 with this sync pattern";
  }
  if (s.subframes < 1 || s.subframes > 1024) {
    return name + ": subframes must be between 1 and 1024";
  }
  std::uint32_t last = static_cast<std::uint32_t>(s.subframes - 1);
  int counter_bits = 0;
  for (; last != 0; last >>= 1) ++counter_bits;
  if (counter_bits > s.word_length) {
    return name + ": the subframe counter does not fit in one word";
  }
  if (s.bit_offset < 0 || s.bit_offset > 1'000'000) {
    return name + ": bit offset must be between 0 and 1000000";
  }
  if (!(s.noise_bursts_per_second >= 0 && s.noise_bursts_per_second <= 1e6)) {
    return name + ": noise bursts per second must be between 0 and 1000000";
  }
  if (s.packing != SynthPacking::Throughput &&
      (s.bit_offset != 0 || s.noise_bursts_per_second > 0)) {
    return name + ": junk bits and noise bursts need throughput packing";
  }
  return {};
}

// Feeds every packet of the recording to `sink` in file order; false when it failed.
using PacketSink = std::function<bool(const std::vector<std::uint8_t>&)>;

SynthResult Generate(const SynthOptions& options, const PacketSink& sink) {
  SynthResult result;
  result.error = CheckSynthOptions(options);
  if (!result.error.empty()) return result;

  // The reports are complete before the sources take references to them.
  for (std::size_t i = 0; i < options.pcm.size(); ++i) {
    SynthStreamReport report;
    report.index = static_cast<int>(i);
    report.channel_id = PcmChannel(options, i);
    report.bit_rate = options.pcm[i].bit_rate;
    result.streams.push_back(report);
  }
  for (std::size_t i = 0; i < options.video.size(); ++i) {
    SynthStreamReport report;
    report.video = true;
    report.index = static_cast<int>(i);
    report.channel_id = VideoChannel(options, i);
    report.bit_rate = options.video[i].bit_rate;
    result.streams.push_back(report);
  }
  std::vector<std::unique_ptr<synth::Source>> sources;
  const auto seconds = static_cast<std::int64_t>(std::ceil(options.duration_seconds));
  sources.push_back(std::make_unique<synth::TimeSource>(options, seconds));
  for (std::size_t i = 0; i < result.streams.size(); ++i) {
    SynthStreamReport& report = result.streams[i];
    if (report.video) {
      sources.push_back(
          std::make_unique<synth::VideoSource>(options, report.index, report.channel_id, report));
    } else {
      sources.push_back(
          std::make_unique<synth::PcmSource>(options, report.index, report.channel_id, report));
    }
  }

  std::vector<std::uint8_t> packet;
  auto deliver = [&]() {
    if (!sink(packet)) return false;
    result.bytes += static_cast<std::int64_t>(packet.size());
    ++result.packets;
    return true;
  };

  const std::string tmats = SyntheticTmatsText(options);
  packet.assign(kHeaderBytes + 4, 0);
  packet.insert(packet.end(), tmats.begin(), tmats.end());
  synth::PacketFields fields;
  fields.channel_id = 0;
  fields.data_type = synth::kTypeTmats;
  fields.rtc = options.start_rtc;
  fields.csdw = 0x0000'000A;  // ASCII setup record of IRIG 106-13
  synth::SealPacket(packet, fields);
  if (!deliver()) return result;

  // Packets in the order a recorder completes them; on equal times the time channel,
  // then the streams in order.
  for (;;) {
    synth::Source* next = nullptr;
    for (const auto& source : sources) {
      if (!source->Done() && (next == nullptr || source->NextEnd() < next->NextEnd())) {
        next = source.get();
      }
    }
    if (next == nullptr) break;
    if (next == sources.front().get()) ++result.time_packets;
    next->Emit(packet);
    if (!deliver()) return result;
  }
  result.ok = true;
  return result;
}

void Line(std::string& text, const std::string& attribute, const std::string& value) {
  text += attribute;
  text += ':';
  text += value;
  text += ";\r\n";
}

}  // namespace

std::string CheckSynthOptions(const SynthOptions& options) {
  if (!(options.duration_seconds > 0 && options.duration_seconds <= 100'000)) {
    return "duration must be more than 0 and at most 100000 seconds";
  }
  if (options.pcm.size() > kMaxStreams) return "at most 8 PCM streams";
  if (options.video.size() > kMaxStreams) return "at most 8 video streams";
  if (options.pcm.empty() && options.video.empty()) return "no PCM or video stream to write";
  if (options.start_day < 1 || options.start_day > 366) {
    return "start day must be between 1 and 366";
  }
  if (!(options.start_seconds >= 0 && options.start_seconds < 86'400)) {
    return "start time of day must be between 00:00:00 and 23:59:59.999";
  }
  if (options.start_rtc > synth::kRtcMask) return "start counter must fit in 48 bits";
  if (!(options.packet_ms >= 0.1 && options.packet_ms <= 1000)) {
    return "packet time must be between 0.1 and 1000 ms";
  }
  if (options.max_payload_bytes < 256 || options.max_payload_bytes > 524'288) {
    return "packet payload limit must be between 256 and 524288 bytes";
  }
  if (options.time_channel_id == 0) return "channel ID 0 is the setup record's";
  std::set<std::uint16_t> ids{options.time_channel_id};
  for (std::size_t i = 0; i < options.pcm.size(); ++i) {
    const std::string name = "PCM stream " + std::to_string(i + 1);
    std::string error = CheckPcmStream(options.pcm[i], name);
    if (!error.empty()) return error;
    const SynthPcmStream& s = options.pcm[i];
    if (s.packing != SynthPacking::Throughput) {
      const int slot = s.align32 ? 32 : 16;
      const int frame_bytes = s.packing == SynthPacking::Packed
                                  ? (s.words_per_frame * s.word_length + slot - 1) / slot * slot / 8
                                  : s.words_per_frame * slot / 8;
      if (frame_bytes + 12 > options.max_payload_bytes) {
        return name + ": a minor frame does not fit in one packet's payload";
      }
    }
    if (!ids.insert(PcmChannel(options, i)).second) {
      return name + ": channel ID " + std::to_string(PcmChannel(options, i)) + " is used twice";
    }
  }
  for (std::size_t i = 0; i < options.video.size(); ++i) {
    const std::string name = "video stream " + std::to_string(i + 1);
    const std::int64_t rate = options.video[i].bit_rate;
    if (rate < 15'040 || rate > 50'000'000) {
      return name + ": bit rate must be between 15040 and 50000000 bits per second";
    }
    if (!ids.insert(VideoChannel(options, i)).second) {
      return name + ": channel ID " + std::to_string(VideoChannel(options, i)) + " is used twice";
    }
  }
  return {};
}

std::string SyntheticTmatsText(const SynthOptions& options) {
  std::string t;
  const auto num = [](auto value) { return std::to_string(value); };
  Line(t, "G\\PN", "TESSEL SYNTHETIC");
  Line(t, "G\\106", "13");
  Line(t, "G\\DSI\\N", "1");
  Line(t, "G\\DSI-1", "SYNTH");
  Line(t, "G\\DST-1", "STO");
  Line(t, "G\\COM", "Synthetic recording, seed " + num(options.seed));
  Line(t, "R-1\\ID", "SYNTH");
  Line(t, "R-1\\RI1", "TESSEL");
  Line(t, "R-1\\RI2", "SYNTHETIC");
  Line(t, "R-1\\N", num(1 + options.pcm.size() + options.video.size()));
  int n = 1;
  const auto channel = [&](std::uint16_t id, const std::string& name, const char* type) {
    const std::string k = "-" + num(n);
    Line(t, "R-1\\TK1" + k, num(id));
    Line(t, "R-1\\CHE" + k, "T");
    Line(t, "R-1\\DSI" + k, name);
    Line(t, "R-1\\CDLN" + k, name);
    Line(t, "R-1\\CDT" + k, type);
    return k;
  };
  std::string k = channel(options.time_channel_id, "TIME", "TIMEIN");
  Line(t, "R-1\\TFMT" + k, "B");
  Line(t, "R-1\\TSRC" + k, "E");
  for (std::size_t i = 0; i < options.pcm.size(); ++i) {
    ++n;
    k = channel(PcmChannel(options, i), "PCM" + num(i + 1), "PCMIN");
    Line(t, "R-1\\PDP" + k, PackingCode(options.pcm[i]));
  }
  for (std::size_t i = 0; i < options.video.size(); ++i) {
    ++n;
    k = channel(VideoChannel(options, i), "VIDEO" + num(i + 1), "VIDIN");
    Line(t, "R-1\\VTF" + k, "0");
    Line(t, "R-1\\VXF" + k, "0");
    Line(t, "R-1\\CBR" + k, num(options.video[i].bit_rate));
    Line(t, "R-1\\PTF" + k, "MPEG2");
  }
  for (std::size_t i = 0; i < options.pcm.size(); ++i) {
    const std::string m = "M-" + num(i + 1);
    Line(t, m + "\\ID", "PCM" + num(i + 1));
    Line(t, m + "\\BSG1", "PCM");
    Line(t, m + "\\BB\\DLN", "PCM" + num(i + 1) + "-FORMAT");
  }
  for (std::size_t i = 0; i < options.pcm.size(); ++i) {
    const SynthPcmStream& s = options.pcm[i];
    const synth::FrameLayout layout = synth::MakeFrameLayout(s);
    const std::string p = "P-" + num(i + 1);
    Line(t, p + "\\DLN", "PCM" + num(i + 1) + "-FORMAT");
    Line(t, p + "\\D1", "NRZ-L");
    Line(t, p + "\\D2", num(s.bit_rate));
    Line(t, p + "\\D4", "N");
    Line(t, p + "\\D7", "N");
    Line(t, p + "\\TF", "ONE");
    Line(t, p + "\\F1", num(s.word_length));
    Line(t, p + "\\F2", "M");
    Line(t, p + "\\MF\\N", num(s.subframes));
    // The sync pattern counts as one word of the minor frame, whatever its length.
    Line(t, p + "\\MF1", num(s.words_per_frame - layout.pattern_words + 1));
    Line(t, p + "\\MF2", num(layout.frame_bits));
    Line(t, p + "\\MF3", "FPT");
    Line(t, p + "\\MF4", num(s.pattern_length));
    std::string bits;
    for (int b = s.pattern_length - 1; b >= 0; --b) bits += ((s.pattern >> b) & 1) != 0 ? '1' : '0';
    Line(t, p + "\\MF5", bits);
    Line(t, p + "\\SYNC1", "0");
    if (s.subframes > 1) {
      // The counter is the first word after the pattern words, counted from 1, in the
      // low bits of its word; the MSB position counts from the word's LSB (0).
      Line(t, p + "\\MFW1", "1");
      Line(t, p + "\\MFW2", num(layout.sfid_bits));
      Line(t, p + "\\ISF\\N", "1");
      Line(t, p + "\\ISF1-1", "SFID");
      Line(t, p + "\\ISF2-1", "ID");
      Line(t, p + "\\IDC1-1", "1");
      Line(t, p + "\\IDC2-1", num(s.word_length));
      Line(t, p + "\\IDC3-1", num(layout.sfid_bits - 1));
      Line(t, p + "\\IDC4-1", num(layout.sfid_bits));
      Line(t, p + "\\IDC5-1", "M");
      Line(t, p + "\\IDC6-1", "0");
      Line(t, p + "\\IDC7-1", "1");
      Line(t, p + "\\IDC8-1", num(s.subframes - 1));
      Line(t, p + "\\IDC9-1", num(s.subframes));
      Line(t, p + "\\IDC10-1", "INC");
    } else {
      Line(t, p + "\\ISF\\N", "0");
    }
  }
  return t;
}

SynthResult WriteSyntheticRecording(const SynthOptions& options, const std::string& path) {
  SynthResult checked;
  checked.error = CheckSynthOptions(options);
  if (!checked.error.empty()) return checked;
  OutputFile file;
  if (!file.Create(path)) {
    checked.error = file.error();
    return checked;
  }
  SynthResult result = Generate(options, [&file](const std::vector<std::uint8_t>& packet) {
    return file.Write(packet.data(), packet.size());
  });
  const bool closed = file.Close();
  if (result.ok && !closed) result.ok = false;
  if (!file.ok()) result.error = file.error();
  return result;
}

SynthResult GenerateSyntheticRecording(const SynthOptions& options,
                                       std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  return Generate(options, [&bytes](const std::vector<std::uint8_t>& packet) {
    bytes.insert(bytes.end(), packet.begin(), packet.end());
    return true;
  });
}

std::uint32_t SyntheticWordValue(int stream, std::int64_t frame, int word, int word_length) {
  const std::uint64_t key = (static_cast<std::uint64_t>(stream + 1) << 56) ^
                            (static_cast<std::uint64_t>(frame) << 16) ^
                            static_cast<std::uint64_t>(word);
  const std::uint64_t mask = (std::uint64_t{1} << std::clamp(word_length, 1, 32)) - 1;
  return static_cast<std::uint32_t>(synth::Mix64(key) & mask);
}

void SyntheticTsPacket(int stream, std::int64_t packet, std::uint8_t* out188) {
  const auto pid = static_cast<std::uint16_t>(0x100 + stream);
  out188[0] = 0x47;
  out188[1] = static_cast<std::uint8_t>(((packet % 50 == 0) ? 0x40 : 0x00) | (pid >> 8));
  out188[2] = static_cast<std::uint8_t>(pid & 0xFF);
  out188[3] = static_cast<std::uint8_t>(0x10 | (packet & 0x0F));  // payload only, counter
  for (int i = 4; i < 188; ++i) {
    out188[i] = static_cast<std::uint8_t>((packet * 31 + i + stream * 101) & 0xFF);
  }
}

}  // namespace tessel
