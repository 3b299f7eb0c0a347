// The state of one operator's run: the loaded recording and its TMATS tables, the
// project the converted files go to, the program options, the debug switches, the IRIG
// time of the run and the eight stream setups with their parameter databases.
//
// The main window (or the command line) owns one RunState and hands it by reference to
// the chooser, the setup dialog, the Load and Convert commands and the conversion run.
// Nothing here is process-wide; only the log is.
#pragma once

#include <cstdint>
#include <string>

#include "ch10/packet_processor.h"
#include "pdbase/options_file.h"
#include "setup/stream_config.h"
#include "support/debug_switches.h"
#include "tmats/tmats_p_group.h"
#include "tmats/tmats_tables.h"

namespace tessel {

class RunState {
 public:
  // Stream setups reset (databases initialised from the default decom setup), no
  // recording, no project, all debug switches off, options at their field defaults.
  // Reading the options file is the front end's part (SetDefaultOptions and
  // ReadProgramOptions).
  RunState();
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  streamconfiginfostruct& config() { return streams.config(); }
  const streamconfiginfostruct& config() const { return streams.config(); }

  // Full path of the loaded recording, as chosen (its case kept); empty when none.
  std::string Ch10FileName;
  // After Load: the recording's file title; after Convert: the project file's full path.
  std::string ProjectFileName;
  // Title and directory of the project file, set by Convert: the archives' base name
  // and where they are written.
  std::string ProjectTitle;
  std::string ProjectDirectory;
  // Bytes in the recording, as the chooser's TMATS read found it.
  std::int64_t Ch10FileSize = 0;

  ch10progoptionstruct options;
  DebugSwitches debug;
  IrigTimeState irig;
  // The stream configuration and the eight databases its setups point at.
  StreamSetups streams;
  // The TMATS group tables of the loaded recording (R, M, B) and its PCM formats (P).
  TmatsTables tmats;
  PGroupTable pgroups;
};

// Returns the stream configuration to its defaults: no streams, every stream table
// entry zero, every setup reset and its database re-initialised from the default decom
// setup, the project record reset, ProjectTitle and ProjectDirectory empty, the IRIG
// time and its offset 0. Done at start-up, at every Load and when the chooser closes.
void ResetStreamSetups(RunState& state);

}  // namespace tessel
