// The subcommands of tessel-cli: each Add*Command registers one on the application,
// with its options and the callback that runs it. main calls each once.
#pragma once

#include <CLI/CLI.hpp>

namespace tessel::cli {

// "info REC [--json] [--dump]": what the recording holds (info_command.cpp).
void AddInfoCommand(CLI::App& app);

}  // namespace tessel::cli
