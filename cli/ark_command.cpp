// The "ark" subcommand: shows what an archive file holds (header fields, record count,
// first and last time stamps, and optionally the first minor frames with their header
// words), as text or JSON. A file whose size is not the header plus whole records is
// shown as far as it can be read and then reported with a non-zero exit status.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "pcm/archive_reader.h"
#include "support/format.h"

namespace tessel::cli {

namespace {

struct ArkArguments {
  std::string path;
  std::int64_t frames = 0;
  bool json = false;
};

// One minor frame as shown.
struct ShownFrame {
  std::int64_t record = 0;
  std::size_t frame = 0;
  ArkFrameHeader header;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "ark: %s\n", message.c_str());
  throw CLI::RuntimeError(1);
}

// Texts from the file may hold anything: control characters are shown as '?'.
std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return out;
}

// A JSON string; bytes that are not valid UTF-8 become U+FFFD.
std::string Json(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else if (byte >= 0x80) {
      const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
      bool valid = length > 0 && byte < 0xF5 && i + length <= text.size();
      for (std::size_t k = 1; valid && k < length; ++k) {
        valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
      }
      if (!valid) {
        out += "\\ufffd";
        ++i;
        continue;
      }
      out.append(text.substr(i, length));
      i += length;
      continue;
    } else {
      out += static_cast<char>(byte);
    }
    ++i;
  }
  return out + "\"";
}

std::string FrameTimeText(const ArkTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%03d:%02d:%02d:%02d.%06d", t.day, t.hours, t.minutes, t.seconds,
                t.microseconds);
  return text;
}

std::string WordText(std::uint16_t word) {
  return HexText(word, 4, false);
}

// The first `count` minor frames, record by record.
std::vector<ShownFrame> FirstFrames(ArkReader& reader, std::int64_t count) {
  std::vector<ShownFrame> frames;
  ArkRecord record;
  for (std::int64_t r = 0; r < reader.record_count() && std::ssize(frames) < count; ++r) {
    if (!reader.ReadRecord(r, record)) Fail("cannot read record " + std::to_string(r));
    for (std::size_t f = 0; f < record.frames.size() && std::ssize(frames) < count; ++f) {
      frames.push_back(ShownFrame{r, f, record.frames[f].header});
    }
  }
  return frames;
}

std::string StampText(ArkReader& reader, std::int64_t index) {
  double stamp = 0.0;
  if (index < 0) return {};
  if (!reader.ReadTimeStamp(index, stamp)) Fail("cannot read record " + std::to_string(index));
  return TimeOfYearText(stamp);
}

void PrintText(const ArkReader& reader, const std::string& first, const std::string& last,
               bool with_frames, const std::vector<ShownFrame>& frames) {
  const ArkHeaderInfo& info = reader.header();
  std::printf("Archive: %s\n", Printable(reader.path()).c_str());
  std::printf("%s\n", Printable(info.lines[0]).c_str());
  for (const ArkHeaderField& field : info.fields) {
    std::printf("%s: %s\n", Printable(field.name).c_str(), Printable(field.value).c_str());
  }
  std::printf("Records: %lld of %lld bytes\n", static_cast<long long>(reader.record_count()),
              static_cast<long long>(reader.record_size()));
  std::printf("First time stamp: %s\n", first.empty() ? "none" : first.c_str());
  std::printf("Last time stamp: %s\n", last.empty() ? "none" : last.c_str());
  for (const std::string& problem : info.problems) std::printf("Problem: %s\n", problem.c_str());
  if (with_frames && !info.frames_decodable) std::printf("Frames: not decodable\n");
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const ArkFrameHeader& h = frames[i].header;
    std::printf("Frame %zu: record %lld frame %zu  time %s  subframe %d  header", i,
                static_cast<long long>(frames[i].record), frames[i].frame,
                FrameTimeText(h.time).c_str(), h.subframe_id);
    for (std::uint16_t word : h.words) std::printf(" %s", WordText(word).c_str());
    std::printf("%s%s\n", h.time_is_bcd ? "" : "  (time not BCD)",
                h.marker_ok ? "" : "  (word 5 not 0x7000)");
  }
}

void PrintJson(const ArkReader& reader, const std::string& first, const std::string& last,
               bool with_frames, const std::vector<ShownFrame>& frames) {
  const ArkHeaderInfo& info = reader.header();
  std::string out = "{\n  \"file\": " + Json(reader.path()) + ",\n  \"fields\": [";
  for (std::size_t i = 0; i < info.fields.size(); ++i) {
    out += std::string(i == 0 ? "\n" : ",\n") + "    {\"name\": " + Json(info.fields[i].name) +
           ", \"value\": " + Json(info.fields[i].value) + "}";
  }
  out += "\n  ],\n";
  out += "  \"record_size\": " + std::to_string(reader.record_size()) + ",\n";
  out += "  \"record_count\": " + std::to_string(reader.record_count()) + ",\n";
  out += "  \"trailing_bytes\": " + std::to_string(reader.trailing_bytes()) + ",\n";
  out += "  \"first_time_stamp\": " + (first.empty() ? "null" : Json(first)) + ",\n";
  out += "  \"last_time_stamp\": " + (last.empty() ? "null" : Json(last)) + ",\n";
  out += "  \"problems\": [";
  for (std::size_t i = 0; i < info.problems.size(); ++i) {
    out += (i == 0 ? "" : ", ") + Json(info.problems[i]);
  }
  out += "]";
  if (with_frames) {
    out += ",\n  \"frames_decodable\": " + std::string(info.frames_decodable ? "true" : "false");
    out += ",\n  \"frames\": [";
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const ArkFrameHeader& h = frames[i].header;
      out += std::string(i == 0 ? "\n" : ",\n") +
             "    {\"record\": " + std::to_string(frames[i].record) +
             ", \"frame\": " + std::to_string(frames[i].frame) +
             ", \"time\": " + Json(FrameTimeText(h.time)) +
             ", \"subframe_id\": " + std::to_string(h.subframe_id) + ", \"header_words\": [";
      for (std::size_t w = 0; w < h.words.size(); ++w) {
        out += (w == 0 ? "" : ", ") + Json(WordText(h.words[w]));
      }
      out += "], \"time_is_bcd\": " + std::string(h.time_is_bcd ? "true" : "false") +
             ", \"marker_ok\": " + std::string(h.marker_ok ? "true" : "false") + "}";
    }
    out += frames.empty() ? "]" : "\n  ]";
  }
  out += "\n}\n";
  std::fputs(out.c_str(), stdout);
}

void Run(const ArkArguments& a, bool with_frames) {
  ArkReader reader;
  if (!reader.Open(a.path)) Fail(reader.error());
  const std::string first = StampText(reader, 0 < reader.record_count() ? 0 : -1);
  const std::string last = StampText(reader, reader.record_count() - 1);
  const std::vector<ShownFrame> frames = FirstFrames(reader, with_frames ? a.frames : 0);
  if (a.json) {
    PrintJson(reader, first, last, with_frames, frames);
  } else {
    PrintText(reader, first, last, with_frames, frames);
  }
  const std::string layout = reader.LayoutError();
  if (!layout.empty()) Fail(layout);
}

}  // namespace

void AddArkCommand(CLI::App& app) {
  auto args = std::make_shared<ArkArguments>();
  CLI::App* cmd = app.add_subcommand("ark", "Show an archive file's header, records and frames");
  cmd->add_option("archive", args->path, "Archive file to read")->required();
  CLI::Option* frames =
      cmd->add_option("--frames", args->frames, "Show the first N minor frames' header words")
          ->check(CLI::NonNegativeNumber);
  cmd->add_flag("--json", args->json, "Write JSON instead of text");
  cmd->callback([args, frames] { Run(*args, frames->count() > 0); });
}

}  // namespace tessel::cli
