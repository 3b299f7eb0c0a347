// tessel-cli info: walks a recording and prints its summary as text or JSON.
//
// The exit status is non-zero only when the recording cannot be opened; a damaged
// recording is reported in the summary (its "End" line, the JSON "end" object).
#include <cstdio>
#include <memory>
#include <string>

#include "app/recording_info.h"
#include "commands.h"
#include "support/log.h"
#include "support/version.h"

namespace tessel::cli {

namespace {

struct InfoOptions {
  std::string recording;
  bool json = false;
  bool dump = false;
};

// Writes the summary; the exit status.
int RunInfo(const InfoOptions& options) {
  RecordingInfoOptions fill;
  fill.dump = options.dump;
  // The dumps go to "Tessel.Log" in the current directory, as the program's own log.
  if (options.dump) LogStart(kProgramVersion, kProgramName, "", kProgramName);
  RecordingInfo info;
  const bool opened = FillRecordingInfo(options.recording, info, fill);
  if (options.dump) LogEnd();
  if (!opened) {
    std::fprintf(stderr, "tessel-cli info: %s\n", info.open_error.c_str());
    return 1;
  }
  const std::string text = options.json ? RecordingInfoJson(info) : RecordingInfoText(info);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

void AddInfoCommand(CLI::App& app) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* info = app.add_subcommand(
      "info", "Walk a recording and print its packet statistics, TMATS channels and PCM formats");
  info->add_option("REC", options->recording, "Chapter 10 recording")->required();
  info->add_flag("--json", options->json, "Print one JSON object instead of text");
  info->add_flag("--dump", options->dump,
                 "Write the first packet and TMATS dumps to Tessel.Log in the current directory");
  info->callback([options] {
    const int status = RunInfo(*options);
    if (status != 0) throw CLI::RuntimeError(status);
  });
}

}  // namespace tessel::cli
