// The subcommands of tessel-cli; each adds itself to the application with one call.
#pragma once

#include <CLI/CLI.hpp>

namespace tessel::cli {

// "convert REC --project DIR/NAME.prj [...]": sets up the streams of a recording and
// writes the setup files (PDbase, DDbase, project, device configuration).
void AddConvertCommand(CLI::App& app);

}  // namespace tessel::cli
