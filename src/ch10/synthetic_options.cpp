#include "ch10/synthetic_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include "ch10/synthetic_sources.h"

namespace tessel {

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && ptr == end;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// Applies one key=value to a PCM stream; false when the key or value is not understood.
bool ApplyPcmKey(std::string_view key, std::string_view value, SynthPcmStream& s,
                 bool& pattern_length_given, int& pattern_digits) {
  if (key == "id") return ParseNumber(value, s.channel_id) && s.channel_id != 0;
  if (key == "rate") return ParseNumber(value, s.bit_rate);
  if (key == "words") return ParseNumber(value, s.words_per_frame);
  if (key == "wordlen") return ParseNumber(value, s.word_length);
  if (key == "subframes") return ParseNumber(value, s.subframes);
  if (key == "offset") return ParseNumber(value, s.bit_offset);
  if (key == "noise") return ParseNumber(value, s.noise_bursts_per_second);
  if (key == "patlen") {
    pattern_length_given = true;
    return ParseNumber(value, s.pattern_length);
  }
  if (key == "pattern") return ParseSynthPattern(std::string(value), s.pattern, pattern_digits);
  if (key == "sync") {
    if (value != "lead" && value != "trail") return false;
    s.pattern_leads = value == "lead";
    return true;
  }
  if (key == "mode") return ParseSynthPacking(std::string(value), s.packing);
  if (key == "align") {
    if (value != "16" && value != "32") return false;
    s.align32 = value == "32";
    return true;
  }
  return false;
}

bool ApplyVideoKey(std::string_view key, std::string_view value, SynthVideoStream& v) {
  if (key == "id") return ParseNumber(value, v.channel_id) && v.channel_id != 0;
  if (key == "rate") return ParseNumber(value, v.bit_rate);
  return false;
}

std::string Padded(std::int64_t value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width)
    text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
  return text;
}

std::string HexDigits(std::uint64_t value, int digits) {
  std::string text;
  for (int d = digits - 1; d >= 0; --d) text += "0123456789ABCDEF"[(value >> (4 * d)) & 0xF];
  return text;
}

// A duration without trailing zeros: 10, 2.5.
std::string Decimal(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

const char* PackingName(SynthPacking packing) {
  switch (packing) {
    case SynthPacking::Packed:
      return "packed";
    case SynthPacking::Unpacked:
      return "unpacked";
    case SynthPacking::Throughput:
      break;
  }
  return "throughput";
}

}  // namespace

std::string ApplySynthStreamOverride(const std::string& text, SynthOptions& options) {
  const std::string bad = "stream override '" + text + "': ";
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return bad + "expected N:key=value,...";
  std::string_view target(text.data(), colon);
  const bool video = !target.empty() && target.front() == 'v';
  if (video) target.remove_prefix(1);
  std::size_t number = 0;
  const std::size_t count = video ? options.video.size() : options.pcm.size();
  if (!ParseNumber(target, number) || number < 1 || number > count) {
    return bad + "there is no " + (video ? "video" : "PCM") + " stream " + std::string(target);
  }
  SynthPcmStream pcm = video ? SynthPcmStream{} : options.pcm[number - 1];
  SynthVideoStream vid = video ? options.video[number - 1] : SynthVideoStream{};
  bool pattern_length_given = false;
  int pattern_digits = 0;
  for (std::string_view item : Split(std::string_view(text).substr(colon + 1), ',')) {
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos)
      return bad + "expected key=value, not '" + std::string(item) + "'";
    const std::string_view key = item.substr(0, eq);
    const std::string_view value = item.substr(eq + 1);
    const bool applied = video ? ApplyVideoKey(key, value, vid)
                               : ApplyPcmKey(key, value, pcm, pattern_length_given, pattern_digits);
    if (!applied) return bad + "cannot use '" + std::string(item) + "'";
  }
  if (pattern_digits > 0 && !pattern_length_given) pcm.pattern_length = 4 * pattern_digits;
  if (video) {
    options.video[number - 1] = vid;
  } else {
    options.pcm[number - 1] = pcm;
  }
  return {};
}

bool ParseSynthStartTime(const std::string& text, int& day, double& seconds) {
  const std::vector<std::string_view> parts = Split(text, ':');
  if (parts.size() != 4) return false;
  int d = 0;
  int h = 0;
  int m = 0;
  double s = 0;
  if (!ParseNumber(parts[0], d) || !ParseNumber(parts[1], h) || !ParseNumber(parts[2], m) ||
      !ParseNumber(parts[3], s)) {
    return false;
  }
  if (d < 1 || d > 366 || h < 0 || h > 23 || m < 0 || m > 59 || !(s >= 0 && s < 60)) return false;
  day = d;
  seconds = h * 3600.0 + m * 60.0 + s;
  return true;
}

bool ParseSynthPattern(const std::string& text, std::uint64_t& pattern, int& digits) {
  std::string_view hex(text);
  if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.remove_prefix(2);
  if (hex.empty() || hex.size() > 16) return false;
  std::uint64_t value = 0;
  const char* end = hex.data() + hex.size();
  auto [ptr, error] = std::from_chars(hex.data(), end, value, 16);
  if (error != std::errc() || ptr != end) return false;
  pattern = value;
  digits = static_cast<int>(hex.size());
  return true;
}

bool ParseSynthPacking(const std::string& text, SynthPacking& packing) {
  if (text == "throughput") {
    packing = SynthPacking::Throughput;
  } else if (text == "packed") {
    packing = SynthPacking::Packed;
  } else if (text == "unpacked") {
    packing = SynthPacking::Unpacked;
  } else {
    return false;
  }
  return true;
}

std::string DescribeSyntheticRecording(const SynthOptions& options, const SynthResult& result,
                                       const std::string& path) {
  const auto n = [](auto value) { return std::to_string(value); };
  const auto start_ms = static_cast<std::int64_t>(options.start_seconds * 1000.0 + 0.5);
  std::string text = "Wrote " + path + ": " + n(result.bytes) + " bytes, " + n(result.packets) +
                     " packets, " + Decimal(options.duration_seconds) + " s from day " +
                     Padded(options.start_day, 3) + " " + Padded(start_ms / 3'600'000, 2) + ":" +
                     Padded(start_ms / 60'000 % 60, 2) + ":" + Padded(start_ms / 1000 % 60, 2) +
                     "." + Padded(start_ms % 1000, 3) + "\n";
  text += "  setup record  channel 0: TMATS\n";
  text += "  time          channel " + n(options.time_channel_id) + ": " + n(result.time_packets) +
          " packets, IRIG-B day of year, one a second\n";
  for (const SynthStreamReport& r : result.streams) {
    std::string name = (r.video ? "video " : "PCM ") + n(r.index + 1);
    name.resize(std::max<std::size_t>(name.size(), 13), ' ');
    text += "  " + name + " channel " + n(r.channel_id) + ": " + n(r.bit_rate) + " bit/s, " +
            n(r.packets) + " packets, ";
    if (r.video) {
      text += "MPEG-2 transport stream, " + n(r.ts_packets) + " TS packets\n";
      continue;
    }
    const SynthPcmStream& s = options.pcm[static_cast<std::size_t>(r.index)];
    const synth::FrameLayout layout = synth::MakeFrameLayout(s);
    text += PackingName(s.packing);
    if (s.packing != SynthPacking::Throughput)
      text += s.align32 ? ", 32-bit aligned" : ", 16-bit aligned";
    text += "\n                minor frame " + n(s.words_per_frame) + " words x " +
            n(s.word_length) + " bits = " + n(layout.frame_bits) + " bits, sync " +
            HexDigits(s.pattern, (s.pattern_length + 3) / 4) + " (" + n(s.pattern_length) +
            " bits) " + (s.pattern_leads ? "leading" : "trailing") + " in " +
            n(layout.pattern_words) + " word(s)";
    if (layout.sfid_word >= 0) {
      text += ", " + n(s.subframes) + " subframes, counter in word " + n(layout.sfid_word + 1) +
              " (from 1), " + n(layout.sfid_bits) + " bits";
    }
    text += "\n                " + n(r.frames) + " minor frames";
    if (s.bit_offset > 0) text += ", " + n(s.bit_offset) + " junk bits first";
    if (s.noise_bursts_per_second > 0) {
      text += ", " + n(r.noise_bursts) + " noise bursts (" + n(r.noise_bits) + " bits)";
    }
    text += "\n";
  }
  return text;
}

}  // namespace tessel
