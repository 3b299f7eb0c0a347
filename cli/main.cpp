// tessel-cli: the converter without a screen. main only parses options and calls the core.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "commands.h"
#include "support/version.h"
#include "synth_command.h"

int main(int argc, char** argv) {
  CLI::App app{"Tessel: converts IRIG 106 Chapter 10 recordings into archive files", "tessel-cli"};
  app.set_version_flag("--version", std::string("tessel-cli ") + tessel::kProgramVersion);
  app.require_subcommand(0, 1);
  tessel::cli::AddSynthCommand(app);
  tessel::cli::AddArkCommand(app);
  tessel::cli::AddInfoCommand(app);
  tessel::cli::AddConvertCommand(app);
  CLI11_PARSE(app, argc, argv);
  if (app.get_subcommands().empty()) {
    std::fputs(app.help().c_str(), stdout);
  }
  return 0;
}
