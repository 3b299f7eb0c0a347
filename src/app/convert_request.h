// The operator's road without a screen, for the command line: a recording, the channels
// to convert, per-stream file imports and decom settings, and a project file. The road
// is the same as on the screen: Load (chooser, setup dialog with its pages), then
// Convert's setup files; only the answers come from the request instead of a person.
//
//   ConvertRequest --SetUpConversion--> setup files written --> RunState to the run
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/load_convert.h"
#include "app/run_state.h"

namespace tessel {

// A channel to convert: its channel ID and whether it is taken as video.
struct ConvertChannel {
  std::int32_t channel_id = 0;
  bool video = false;
};

// A file for one stream (numbered from 1 in the order the streams are set up).
struct StreamFile {
  int stream = 0;
  std::string path;
};

// One decom command for one stream: FIELD=VALUE (see kDecomFields).
struct StreamSetting {
  int stream = 0;
  std::string field;
  std::string value;
};

struct ConvertRequest {
  std::string recording;
  std::string project;                   // the project file to write (DIR/NAME.prj)
  std::vector<ConvertChannel> channels;  // empty: every PCM and video channel, up to 8
  std::vector<StreamFile> ddbase_files;  // DDbase files to import
  std::vector<StreamFile> pdbase_files;  // PDbase files to load
  std::vector<StreamSetting> settings;   // decom commands, applied in order
};

// The decom fields a setting may name, with the page command each runs.
struct DecomField {
  std::string_view field;   // e.g. "words"
  int command;              // PcmStreamInfoPage::Command
  std::string_view values;  // what VALUE may be, for the help text
  std::string_view description;
};
extern const std::array<DecomField, 12> kDecomFields;
// One help line per field: "  field  values  description".
std::string DecomFieldsHelp();

// Readers of the command line's texts: an empty text when read, else why not.
// "ID" or "ID:video" (ID 0 to 65 535).
std::string ParseConvertChannel(std::string_view text, ConvertChannel& channel);
// "N=FILE" (N 1 to 8).
std::string ParseStreamFile(std::string_view text, StreamFile& file);
// "N:FIELD=VALUE" (N 1 to 8, FIELD one of kDecomFields).
std::string ParseStreamSetting(std::string_view text, StreamSetting& setting);

// The channels converted by default: every PCM and video channel of the R table, in
// table order, up to 8, each taken as its own type.
std::vector<ConvertChannel> DefaultConvertChannels(const RGroupTable& table);

struct ConvertSetupReport {
  std::vector<std::string> errors;      // what stopped the road; no file is written then
  std::vector<std::string> notes;       // channels dropped, values limited, the check
  std::vector<ConvertChannel> streams;  // the streams set up, in order
  bool setups_match = false;            // every stream's database fits its decom setup
  SetupFilesReport files;
  // The road reached the end and every file was written whole.
  bool ok() const { return errors.empty() && files.AllWritten(); }
};

// Runs the road for the request on `state`: the recording is loaded, the chooser is
// given the channels (a channel it refuses is reported and dropped), the setup dialog's
// pages import the DDbase files, load the PDbase files and run the settings in that
// order, the streams are checked, and the setup files are written for the project.
// Boxes go to the installed user interface; prompts the request does not answer keep
// their defaults.
ConvertSetupReport SetUpConversion(RunState& state, const ConvertRequest& request);

}  // namespace tessel
