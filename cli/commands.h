// The subcommands of tessel-cli. Each adds itself to the application; main registers
// each with one call.
#pragma once

#include <CLI/CLI.hpp>

namespace tessel::cli {

// "ark ARCHIVE [--frames N] [--json]": shows an archive file's header, records and frames.
void AddArkCommand(CLI::App& app);
// "convert REC --project DIR/NAME.prj [...]": sets up the streams of a recording and
// writes the setup files (PDbase, DDbase, project, device configuration).
void AddConvertCommand(CLI::App& app);
// "info REC [--json] [--dump]": what the recording holds (info_command.cpp).
void AddInfoCommand(CLI::App& app);

}  // namespace tessel::cli
