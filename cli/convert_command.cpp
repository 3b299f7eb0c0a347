// The "convert" subcommand: the operator's road without a screen. Options are read here;
// the road itself is the core's (SetUpConversion), then the run takes the run state.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/console_ui.h"
#include "app/convert_request.h"
#include "app/run_state.h"
#include "commands.h"
#include "support/log.h"
#include "support/ui.h"
#include "support/version.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel::cli {

namespace {

struct ConvertArguments {
  std::string recording;
  std::string project;
  std::vector<std::string> channels;
  std::vector<std::string> ddbase;
  std::vector<std::string> pdbase;
  std::vector<std::string> settings;
  bool no_run = false;
};

[[noreturn]] void Fail(const std::string& message, int status = 1) {
  std::fprintf(stderr, "convert: %s\n", message.c_str());
  throw CLI::RuntimeError(status);
}

ConvertRequest ReadRequest(const ConvertArguments& a) {
  ConvertRequest request;
  request.recording = a.recording;
  request.project = a.project;
  for (const std::string& text : a.channels) {
    ConvertChannel channel;
    const std::string error = ParseConvertChannel(text, channel);
    if (!error.empty()) Fail(error);
    request.channels.push_back(channel);
  }
  for (const auto& [texts, files] :
       {std::pair{&a.ddbase, &request.ddbase_files}, std::pair{&a.pdbase, &request.pdbase_files}}) {
    for (const std::string& text : *texts) {
      StreamFile file;
      const std::string error = ParseStreamFile(text, file);
      if (!error.empty()) Fail(error);
      files->push_back(file);
    }
  }
  for (const std::string& text : a.settings) {
    StreamSetting setting;
    const std::string error = ParseStreamSetting(text, setting);
    if (!error.empty()) Fail(error);
    request.settings.push_back(setting);
  }
  return request;
}

void PrintReport(const ConvertSetupReport& report) {
  for (std::size_t i = 0; i < report.streams.size(); ++i) {
    const ConvertChannel& stream = report.streams[i];
    std::printf("stream %zu: channel %d %s\n", i + 1, static_cast<int>(stream.channel_id),
                stream.video ? "VIDEO INPUT" : "PCM INPUT");
  }
  for (const std::string& note : report.notes) std::printf("note: %s\n", note.c_str());
  for (const WrittenFile& file : report.files.files) {
    std::printf("%s %s (%s)\n", file.written ? "wrote" : "NOT WRITTEN", file.path.c_str(),
                file.kind.c_str());
  }
  std::fflush(stdout);
  for (const std::string& error : report.errors)
    std::fprintf(stderr, "convert: %s\n", error.c_str());
}

// The conversion run takes the set-up run state from here: recording, streams, their
// databases, the project title and directory. Its exit status is the command's.
int RunConversion(RunState& /*state*/) {
  std::fprintf(stderr, "convert: the conversion run is not built yet (use --no-run)\n");
  return 2;
}

// The log is open for the whole command, in the current directory.
class LogScope {
 public:
  LogScope() { LogStart(kProgramVersion, kProgramName, "", kProgramName); }
  ~LogScope() { LogEnd(); }
  LogScope(const LogScope&) = delete;
  LogScope& operator=(const LogScope&) = delete;
};

void Run(const ConvertArguments& arguments) {
  const ConvertRequest request = ReadRequest(arguments);
  int status = 0;
  {
    LogScope log;
    ConsoleUserInterface console(stderr);
    ScopedUserInterface ui(&console);
    auto state = std::make_unique<RunState>();
    const ConvertSetupReport report = SetUpConversion(*state, request);
    PrintReport(report);
    if (!report.ok()) {
      status = 1;
    } else if (!arguments.no_run) {
      status = RunConversion(*state);
    }
  }
  if (status != 0) throw CLI::RuntimeError(status);
}

}  // namespace

void AddConvertCommand(CLI::App& app) {
  auto args = std::make_shared<ConvertArguments>();
  CLI::App* cmd =
      app.add_subcommand("convert",
                         "Set up the streams of a recording, write the PDbase, DDbase, project and "
                         "device configuration files, and convert");
  cmd->add_option("recording", args->recording, "Chapter 10 recording")->required();
  cmd->add_option("--project", args->project, "Project file to write, DIR/NAME.prj")->required();
  cmd->add_option("--channel", args->channels,
                  "Channel to convert, ID or ID:video (repeatable, at most 8; default: every PCM "
                  "and video channel of the recorder, up to 8)");
  cmd->add_option("--ddbase", args->ddbase, "N=FILE: import a DDbase (.B72) file for stream N");
  cmd->add_option("--pdbase", args->pdbase, "N=FILE: load a PDbase (.PDB) file for stream N");
  cmd->add_option("--set", args->settings,
                  "N:FIELD=VALUE: a decom setting for stream N (repeatable, in order)");
  cmd->add_flag("--no-run", args->no_run, "Write the setup files only");
  cmd->footer(
      "Streams are numbered from 1 in the order they are set up. For each stream the DDbase "
      "imports come first, then the PDbase loads, then the --set settings in the order "
      "given. Numbers outside a field's range are limited to it.\n\nFIELDs of --set:\n" +
      DecomFieldsHelp() + "\nThe log is written to Tessel.Log in the current directory.");
  cmd->callback([args]() { Run(*args); });
}

}  // namespace tessel::cli
