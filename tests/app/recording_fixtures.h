// Independent views of a recording for the summary tests, and a small synthetic
// recording with PCM formats.
//
// The walk and the TMATS reading here are deliberately naive (a few lines over the raw
// bytes) so that the summary, which goes through the file reader and the TMATS
// parsers, is checked against something that shares no code with it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ch10/recording_builder.h"

namespace tessel::test {

inline std::uint32_t LeU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = (value << 8U) | bytes[at + i];
  return value;
}

// Packets per data type code, found by stepping over packet lengths.
struct NaiveWalk {
  std::map<int, std::int64_t> per_type;
  std::int64_t packets = 0;
  std::int64_t end_offset = 0;  // where the first packet that is not there whole starts
};

inline NaiveWalk WalkPacketLengths(const std::vector<std::uint8_t>& bytes) {
  NaiveWalk walk;
  std::size_t pos = 0;
  while (bytes.size() - pos >= 24) {
    const std::uint32_t length = LeU32(bytes, pos + 4);
    const int type = bytes[pos + 15];
    // Setup, PCM, time and video bodies are loaded: at most 1 MiB of them.
    const bool loaded = type == 0x01 || type == 0x09 || type == 0x11 || type == 0x40;
    if (length < 24 || length > bytes.size() - pos) break;
    if (loaded && length - 24 > (1U << 20)) break;
    ++walk.per_type[type];
    ++walk.packets;
    pos += length;
  }
  walk.end_offset = static_cast<std::int64_t>(pos);
  return walk;
}

// The count a statistics row should show, from its label: "0xNN ..." counts code NN,
// "0xxx ..." every code no other label names.
inline std::int64_t ExpectedRowCount(const NaiveWalk& walk, const std::vector<std::string>& labels,
                                     const std::string& label) {
  auto code_of = [](const std::string& l) { return std::stoi(l.substr(2, 2), nullptr, 16); };
  if (label.rfind("0xxx", 0) != 0) {
    const auto it = walk.per_type.find(code_of(label));
    return it == walk.per_type.end() ? 0 : it->second;
  }
  std::int64_t count = 0;
  for (const auto& [type, n] : walk.per_type) {
    bool named = false;
    for (const std::string& other : labels) {
      if (other.rfind("0xxx", 0) != 0 && code_of(other) == type) named = true;
    }
    if (!named) count += n;
  }
  return count;
}

// An enabled channel as the TMATS text of the first packet gives it.
struct TextChannel {
  int track = 0;
  std::string type;
  std::string source;
};

// The enabled R-1 channels (CHE "T") up to the channel count, in channel order, read
// straight from the first packet's text: "R-1\NAME-n:value;" attributes.
inline std::vector<TextChannel> EnabledChannelsInText(const std::vector<std::uint8_t>& bytes) {
  const std::uint32_t length = LeU32(bytes, 4);
  const std::uint32_t data_length = LeU32(bytes, 8);
  const std::size_t end = std::min<std::size_t>({bytes.size(), length, 24U + data_length});
  const std::string text(bytes.begin() + 28, bytes.begin() + static_cast<std::ptrdiff_t>(end));

  std::map<int, std::map<std::string, std::string>> attributes;
  int count = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find(';', start);
    if (stop == std::string::npos) stop = text.size();
    std::string line = text.substr(start, stop - start);
    start = stop + 1;
    line.erase(0, line.find_first_not_of(" \t\r\n"));
    if (line.rfind("R-1\\", 0) != 0) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = line.substr(4, colon - 4);
    const std::string value = line.substr(colon + 1);
    if (name == "N") {
      count = std::stoi(value);
      continue;
    }
    const std::size_t dash = name.rfind('-');
    if (dash == std::string::npos) continue;
    const int n = std::atoi(name.c_str() + dash + 1);
    attributes[n][name.substr(0, dash)] = value;
  }

  const std::vector<std::string> known = {"PCMIN",  "ANAIN",  "DISIN", "TIMEIN", "VIDIN",
                                          "UARTIN", "1553IN", "429IN", "MSGIN",  "IMGIN"};
  std::vector<TextChannel> channels;
  for (auto& [n, a] : attributes) {
    if (n < 1 || n > count || a["CHE"] != "T") continue;
    TextChannel c;
    c.track = a.count("TK1") != 0 ? std::stoi(a["TK1"]) : n;
    c.type = "UNK";
    for (const std::string& k : known) {
      if (a["CDT"] == k) c.type = k;
    }
    c.source = a["DSI"];
    channels.push_back(c);
  }
  return channels;
}

// --- A synthetic recording with PCM formats ---

// R: time on track 1, PCM on tracks 3 and 4. P-1 (link FMT1, via M-1 on track 3) is a
// valid format of 20 16-bit words with a 24-bit pattern and 4 minor frames counted up;
// P-2 (link FMT2, via M-2 on track 4) asks for more subframes than a decommutator has.
inline std::string PcmTmatsText() {
  return "G\\DSI\\N:1;\r\n"
         "R-1\\ID:SYNTH;\r\nR-1\\RI1:Tessel;\r\nR-1\\RI2:Builder;\r\nR-1\\N:3;\r\n"
         "R-1\\CHE-1:T;\r\nR-1\\TK1-1:1;\r\nR-1\\CDT-1:TIMEIN;\r\nR-1\\DSI-1:IRIG;\r\n"
         "R-1\\CHE-2:T;\r\nR-1\\TK1-2:3;\r\nR-1\\CDT-2:PCMIN;\r\nR-1\\DSI-2:TM-A;\r\n"
         "R-1\\PDLN-2:LINK-A;\r\n"
         "R-1\\CHE-3:T;\r\nR-1\\TK1-3:4;\r\nR-1\\CDT-3:PCMIN;\r\nR-1\\DSI-3:TM-B;\r\n"
         "R-1\\PDLN-3:LINK-B;\r\n"
         "M-1\\ID:LINK-A;\r\nM-1\\BB\\DLN:FMT1;\r\nM-2\\ID:LINK-B;\r\nM-2\\BB\\DLN:FMT2;\r\n"
         "P-1\\DLN:FMT1;\r\nP-1\\D1:NRZ-L;\r\nP-1\\D2:500000;\r\nP-1\\F1:16;\r\nP-1\\F2:M;\r\n"
         "P-1\\MF\\N:4;\r\nP-1\\MF1:20;\r\nP-1\\MF4:24;\r\n"
         "P-1\\MF5:111110101111001100100000;\r\n"
         "P-1\\ISF2-1:ID;\r\nP-1\\IDC1-1:1;\r\nP-1\\IDC3-1:7;\r\nP-1\\IDC6-1:0;\r\n"
         "P-1\\IDC10-1:INC;\r\n"
         "P-2\\DLN:FMT2;\r\nP-2\\D2:1000000;\r\nP-2\\F1:8;\r\nP-2\\MF\\N:2000;\r\n"
         "P-2\\MF1:64;\r\nP-2\\MF4:16;\r\nP-2\\MF5:1110101110010000;\r\nP-2\\ISF2-1:ID;\r\n";
}

// Time Data Format 1 payload: time of day (hours, minutes, seconds, hundredths) and the
// second word as BCD digits.
inline std::vector<std::uint8_t> TimePayload(int hours, int minutes, int seconds, int hundredths,
                                             std::uint32_t second_word) {
  auto bcd = [](int value) { return static_cast<std::uint32_t>((value / 10) * 16 + value % 10); };
  const std::uint32_t first =
      bcd(hundredths) | bcd(seconds) << 8U | bcd(minutes) << 16U | bcd(hours) << 24U;
  std::vector<std::uint8_t> bytes;
  AppendU32(bytes, first);
  AppendU32(bytes, second_word);
  return bytes;
}

// Time F1 CSDW bit 9: the second word holds day, month and year.
inline constexpr std::uint32_t kTimeMonthYear = 1U << 9;

inline PacketParts SetupPacket(const std::string& text) {
  PacketParts p;
  p.channel = 0;
  p.data_type = 0x01;
  p.payload.assign(text.begin(), text.end());
  return p;
}

inline PacketParts TimePacket(std::uint64_t ticks, std::uint32_t csdw,
                              std::vector<std::uint8_t> payload) {
  PacketParts p;
  p.channel = 1;
  p.data_type = 0x11;
  p.csdw = csdw;
  p.payload = std::move(payload);
  SetRtcTicks(p, ticks);
  return p;
}

inline PacketParts PcmPacket(std::uint16_t channel, std::uint64_t ticks) {
  PacketParts p;
  p.channel = channel;
  p.data_type = 0x09;
  p.csdw = 1U << 20;  // throughput mode
  p.payload = CountingBytes(80);
  SetRtcTicks(p, ticks);
  return p;
}

// TMATS, a time packet on day 365 (day-of-year form), three PCM packets on track 3
// 10 ms apart, one on track 4, a last time packet on 31 December 2020 (day 366, in
// month-and-year form), and 100 bytes of a PCM packet the file does not hold whole.
inline std::vector<std::uint8_t> SyntheticPcmRecording() {
  RecordingBuilder recording;
  recording.Add(SetupPacket(PcmTmatsText()));
  recording.Add(TimePacket(10'000'000, 0, TimePayload(23, 59, 59, 0, 0x365)));
  for (int i = 0; i < 3; ++i) {
    recording.Add(PcmPacket(3, 10'100'000 + static_cast<std::uint64_t>(i) * 100'000));
  }
  recording.Add(PcmPacket(4, 10'400'000));
  recording.Add(TimePacket(20'000'000, kTimeMonthYear, TimePayload(12, 34, 56, 78, 0x20201231)));
  std::vector<std::uint8_t> bytes = recording.bytes();
  const std::vector<std::uint8_t> cut = BuildPacket(PcmPacket(3, 20'100'000));
  bytes.insert(bytes.end(), cut.begin(), cut.begin() + 100);
  return bytes;
}

// The IRIG time of the last time packet of SyntheticPcmRecording.
inline constexpr double kSyntheticIrigTime = 366 * 86400.0 + 12 * 3600.0 + 34 * 60.0 + 56.78;

}  // namespace tessel::test
