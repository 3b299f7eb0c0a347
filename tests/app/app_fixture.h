// A small recorder for the app tests, and a fixture with a log session, a scripted user
// interface, a recording speaker and a fresh run state.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/run_state.h"
#include "ch10/recording_builder.h"
#include "common/log_session.h"
#include "common/test_files.h"
#include "support/clock.h"
#include "support/ui.h"
#include "tmats/tmats_p_group.h"
#include "tmats/tmats_reader.h"

namespace tessel::test {

// Time on channel 1, PCM on 2 and 5, analog on 3, video on 10. The PCM format of
// channel 5 (49 words) is listed before that of channel 2 (99 words), so a P group
// found by position would be the wrong one.
inline const std::string kRecorderTmats =
    "G\\PN:APPTEST;\r\nG\\106:13;\r\n"
    "R-1\\ID:REC;\r\nR-1\\N:5;\r\n"
    "R-1\\TK1-1:1;\r\nR-1\\CHE-1:T;\r\nR-1\\DSI-1:TIME;\r\nR-1\\CDT-1:TIMEIN;\r\nR-1\\TFMT-1:B;\r\n"
    "R-1\\TK1-2:2;\r\nR-1\\CHE-2:T;\r\nR-1\\DSI-2:PCMA;\r\nR-1\\CDLN-2:PCMA;\r\n"
    "R-1\\CDT-2:PCMIN;\r\nR-1\\PDP-2:TM;\r\n"
    "R-1\\TK1-3:3;\r\nR-1\\CHE-3:T;\r\nR-1\\DSI-3:ANA;\r\nR-1\\CDT-3:ANAIN;\r\n"
    "R-1\\TK1-4:5;\r\nR-1\\CHE-4:T;\r\nR-1\\DSI-4:PCMB;\r\nR-1\\CDLN-4:PCMB;\r\n"
    "R-1\\CDT-4:PCMIN;\r\nR-1\\PDP-4:TM;\r\n"
    "R-1\\TK1-5:10;\r\nR-1\\CHE-5:T;\r\nR-1\\DSI-5:VID;\r\nR-1\\CDT-5:VIDIN;\r\n"
    "M-1\\ID:PCMB;\r\nM-1\\BSG1:PCM;\r\nM-1\\BB\\DLN:FMT-B;\r\n"
    "M-2\\ID:PCMA;\r\nM-2\\BSG1:PCM;\r\nM-2\\BB\\DLN:FMT-A;\r\n"
    "P-1\\DLN:FMT-B;\r\nP-1\\D1:NRZ-L;\r\nP-1\\D2:500000;\r\nP-1\\TF:ONE;\r\nP-1\\F1:16;\r\n"
    "P-1\\F2:M;\r\nP-1\\MF\\N:4;\r\nP-1\\MF1:49;\r\nP-1\\MF4:32;\r\n"
    "P-1\\MF5:11111110011010110010100001000000;\r\nP-1\\MFW1:1;\r\nP-1\\MFW2:2;\r\n"
    "P-1\\ISF\\N:1;\r\nP-1\\ISF1-1:SFID;\r\nP-1\\ISF2-1:ID;\r\nP-1\\IDC1-1:1;\r\n"
    "P-1\\IDC3-1:1;\r\nP-1\\IDC4-1:2;\r\nP-1\\IDC6-1:0;\r\nP-1\\IDC8-1:3;\r\nP-1\\IDC10-1:INC;\r\n"
    "P-2\\DLN:FMT-A;\r\nP-2\\D1:NRZ-L;\r\nP-2\\D2:2000000;\r\nP-2\\TF:ONE;\r\nP-2\\F1:16;\r\n"
    "P-2\\F2:M;\r\nP-2\\MF\\N:4;\r\nP-2\\MF1:99;\r\nP-2\\MF4:32;\r\n"
    "P-2\\MF5:11111110011010110010100001000000;\r\nP-2\\MFW1:1;\r\nP-2\\MFW2:2;\r\n"
    "P-2\\ISF\\N:1;\r\nP-2\\ISF1-1:SFID;\r\nP-2\\ISF2-1:ID;\r\nP-2\\IDC1-1:1;\r\n"
    "P-2\\IDC3-1:1;\r\nP-2\\IDC4-1:2;\r\nP-2\\IDC6-1:0;\r\nP-2\\IDC8-1:3;\r\nP-2\\IDC10-1:INC;\r\n";

// A recording of one setup record packet carrying `text`.
inline std::vector<std::uint8_t> TmatsRecording(const std::string& text) {
  PacketParts parts;
  parts.channel = 0;
  parts.data_type = 0x01;
  parts.payload.assign(text.begin(), text.end());
  RecordingBuilder builder;
  builder.Add(parts);
  return builder.bytes();
}

// A stream of the configuration: its channel ID and data type (0 PCM, 4 video).
struct TestStream {
  std::int32_t channel_id;
  std::int32_t data_type;
};

class AppTest : public ::testing::Test {
 protected:
  AppTest() : ui_scope_(&ui) { SetSpeaker(&speaker); }
  ~AppTest() override { SetSpeaker(nullptr); }

  // Writes a recording with `tmats` into the session directory and makes it the run's
  // recording; returns its path.
  std::string WriteRecording(const std::string& name = "flight7.c10",
                             const std::string& tmats = kRecorderTmats) {
    const std::string path = log.dir().File(name);
    WriteWholeFile(path, TmatsRecording(tmats));
    state->Ch10FileName = path;
    return path;
  }

  // The recording written and its TMATS read, and the streams put straight into the
  // stream table (as the chooser leaves them).
  void LoadStreams(const std::vector<TestStream>& streams) {
    WriteRecording();
    ReadTmatsFromRecording(state->Ch10FileName, false, state->tmats, PGroupHooks(state->pgroups));
    auto& config = state->config();
    config.NumStreams = static_cast<std::int32_t>(streams.size());
    for (std::size_t i = 0; i < streams.size(); ++i) {
      config.Streams[i].ChannelId = streams[i].channel_id;
      config.Streams[i].DataType = streams[i].data_type;
    }
  }

  bool Sounded(int frequency, int duration) const {
    return std::find(speaker.tones.begin(), speaker.tones.end(), std::pair{frequency, duration}) !=
           speaker.tones.end();
  }
  // BeepWarning starts with 800 Hz, BeepError with 100 Hz.
  bool WarningBeeped() const { return Sounded(800, 50); }
  bool ErrorBeeped() const { return Sounded(100, 50); }

  // Log lines with this message.
  std::vector<LogLine> LinesWith(const std::string& message) const {
    std::vector<LogLine> found;
    for (const LogLine& line : log.Lines()) {
      if (line.message == message) found.push_back(line);
    }
    return found;
  }

  LogSession log;
  ScriptedUserInterface ui;
  RecordingSpeaker speaker;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();

 private:
  ScopedUserInterface ui_scope_;
};

}  // namespace tessel::test
