#include "synth_command.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ch10/synthetic.h"
#include "ch10/synthetic_options.h"

namespace tessel::cli {

namespace {

// What the command line gives; the stream settings apply to every PCM stream before the
// per-stream overrides.
struct SynthArguments {
  std::string path;
  SynthOptions options;
  SynthPcmStream pcm;
  SynthVideoStream video;
  int pcm_count = 1;
  int video_count = 0;
  std::string pattern;
  int pattern_length = 0;
  bool trailing = false;
  std::string packing = "throughput";
  std::string start;
  std::vector<std::string> overrides;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "synth: %s\n", message.c_str());
  throw CLI::RuntimeError(1);
}

void Run(SynthArguments& a) {
  SynthPcmStream& pcm = a.pcm;
  if (!a.pattern.empty()) {
    int digits = 0;
    if (!ParseSynthPattern(a.pattern, pcm.pattern, digits)) {
      Fail("'" + a.pattern + "' is not a hexadecimal pattern of 1 to 16 digits");
    }
    pcm.pattern_length = 4 * digits;
  }
  if (a.pattern_length > 0) pcm.pattern_length = a.pattern_length;
  pcm.pattern_leads = !a.trailing;
  if (!ParseSynthPacking(a.packing, pcm.packing)) {
    Fail("packing must be throughput, packed or unpacked");
  }
  SynthOptions& options = a.options;
  if (!a.start.empty() && !ParseSynthStartTime(a.start, options.start_day, options.start_seconds)) {
    Fail("start time '" + a.start + "' is not DDD:HH:MM:SS[.fff]");
  }
  options.pcm.assign(static_cast<std::size_t>(a.pcm_count), pcm);
  options.video.assign(static_cast<std::size_t>(a.video_count), a.video);
  for (const std::string& text : a.overrides) {
    const std::string error = ApplySynthStreamOverride(text, options);
    if (!error.empty()) Fail(error);
  }
  const SynthResult result = WriteSyntheticRecording(options, a.path);
  if (!result.ok) Fail(result.error);
  std::fputs(DescribeSyntheticRecording(options, result, a.path).c_str(), stdout);
}

}  // namespace

void AddSynthCommand(CLI::App& app) {
  auto args = std::make_shared<SynthArguments>();
  CLI::App* cmd = app.add_subcommand(
      "synth", "Write a synthetic Chapter 10 recording (TMATS, time, PCM, video)");
  SynthPcmStream& pcm = args->pcm;
  SynthOptions& o = args->options;
  cmd->add_option("out", args->path, "Recording to write")->required();
  cmd->add_option("--duration", o.duration_seconds, "Recording time in seconds")
      ->capture_default_str();
  cmd->add_option("--streams", args->pcm_count, "PCM streams")
      ->check(CLI::Range(0, 8))
      ->capture_default_str();
  cmd->add_option("--bitrate", pcm.bit_rate, "PCM bits per second")->capture_default_str();
  cmd->add_option("--words", pcm.words_per_frame,
                  "Words per minor frame, sync pattern words included")
      ->capture_default_str();
  cmd->add_option("--wordlen", pcm.word_length, "Bits per word (3..16)")->capture_default_str();
  cmd->add_option("--subframes", pcm.subframes,
                  "Minor frames per major frame (subframe counter when above 1)")
      ->capture_default_str();
  cmd->add_option("--pattern", args->pattern, "Sync pattern in hexadecimal (default FE6B2840)");
  cmd->add_option("--pattern-length", args->pattern_length,
                  "Sync pattern bits (default 4 per hex digit)");
  cmd->add_flag("--trailing", args->trailing, "Sync pattern ends each minor frame");
  cmd->add_option("--bit-offset", pcm.bit_offset,
                  "Random junk bits before the first frame (throughput)");
  cmd->add_option("--noise", pcm.noise_bursts_per_second,
                  "Noise bursts per second between minor frames (throughput)");
  cmd->add_option("--packing", args->packing, "throughput, packed or unpacked")
      ->capture_default_str();
  cmd->add_flag("--align32", pcm.align32,
                "Packed/unpacked: 32-bit alignment, 12-byte intra-packet headers");
  cmd->add_option("--video", args->video_count, "MPEG-2 video streams")
      ->check(CLI::Range(0, 8))
      ->capture_default_str();
  cmd->add_option("--video-bitrate", args->video.bit_rate, "Video transport stream bits per second")
      ->capture_default_str();
  cmd->add_option("--start", args->start,
                  "Time of the first time packet, DDD:HH:MM:SS[.fff] (default 001:00:00:00)");
  cmd->add_option("--seed", o.seed, "Seed of the junk and noise bits")->capture_default_str();
  cmd->add_option("--packet-ms", o.packet_ms, "Time one data packet covers, ms")
      ->capture_default_str();
  cmd->add_option("--max-payload", o.max_payload_bytes, "Payload limit of one data packet, bytes")
      ->capture_default_str();
  cmd->add_option("--rtc-start", o.start_rtc, "Relative time counter at the start (10 MHz ticks)")
      ->capture_default_str();
  cmd->add_option(
      "--stream", args->overrides,
      "Per-stream settings N:key=value,... (PCM keys id, rate, words, wordlen, subframes, "
      "pattern, patlen, sync=lead|trail, offset, noise, mode, align=16|32; vN: video keys id, "
      "rate)");
  cmd->callback([args]() { Run(*args); });
}

}  // namespace tessel::cli
