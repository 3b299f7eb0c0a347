// The "synth" subcommand: writes a synthetic Chapter 10 recording.
#pragma once

#include <CLI/CLI.hpp>

namespace tessel::cli {

// Adds "synth OUT.c10 [options]" to the application; parsing it writes the recording.
void AddSynthCommand(CLI::App& app);

}  // namespace tessel::cli
