// The stream configuration: which recorder channels carry the (up to eight) streams to
// convert, and per stream its decom setup, hardware blocks, parameter database and file
// names, together with the project record.
//
// The configuration is about 2.6 MB (eight decom setups and simulator blocks): it lives
// on the heap, owned by the run's state through StreamSetups, and is passed by reference.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "pdbase/project_file.h"
#include "setup/decom_setup.h"

namespace tessel {

class pdbaseclass;

// Stream slots of the configuration.
inline constexpr int kMaxStreams = 8;

// One entry of the stream table.
struct streamchannelstruct {
  std::int32_t ChannelId = 0;  // Chapter 10 channel ID of the stream's packets, 0..65535
  std::int32_t DataType = 0;   // channel data type: 0 PCM INPUT, 4 VIDEO INPUT
  std::uint8_t RawData = 0;    // 1: taken as raw data, without frame synchronisation
};

// One stream's setup.
struct pcmsetupinfo {
  decomsetupstruct DecomSetup;
  simsetupstruct SimSetup;          // frame simulator block kept for the DDbase file
  bitsyncsetupstruct BitSyncSetup;  // bit synchroniser block kept for the DDbase file
  trailerblockstruct TrailerBlock;  // last block of the DDbase file
  // The stream's parameter database; owned by StreamSetups, never by this record.
  pdbaseclass* Pdbase = nullptr;
  std::int32_t DecomFromUser = 1;   // 1: decom setup set by the user, 0: from TMATS
  std::int32_t PdbaseFromUser = 1;  // the same for the parameter database
  std::string DecomSetupFileName;   // DDbase file imported or to be written
  std::string PdbaseFileName;
};

// The whole stream configuration.
struct streamconfiginfostruct {
  std::int32_t NumStreams = 0;  // streams in use (0..8): the first NumStreams entries
  std::array<streamchannelstruct, kMaxStreams> Streams{};
  std::array<pcmsetupinfo, kMaxStreams> PcmSetups;
  projectfilestruct Project;
};

// Every field of the setup to its reset value (decom, simulator, bit synchroniser
// hardware type 0 and trailer defaults; both "from user" flags 1; no file names).
// The database pointer is kept; re-initialising the database is the caller's part.
void ResetPcmSetupInfo(pcmsetupinfo& setup);

// No streams, every stream table entry zero, every setup reset (databases kept), the
// project record reset.
void ResetStreamConfig(streamconfiginfostruct& config);

// The stream configuration together with the eight parameter databases its setups
// point at, so that no setup can outlive its database. Created reset.
class StreamSetups {
 public:
  StreamSetups();
  ~StreamSetups();
  StreamSetups(const StreamSetups&) = delete;
  StreamSetups& operator=(const StreamSetups&) = delete;

  streamconfiginfostruct& config() { return *config_; }
  const streamconfiginfostruct& config() const { return *config_; }
  // The database of stream slot `index` (0..7).
  pdbaseclass& pdbase(int index);
  const pdbaseclass& pdbase(int index) const;

 private:
  std::array<std::unique_ptr<pdbaseclass>, kMaxStreams> pdbases_;
  std::unique_ptr<streamconfiginfostruct> config_;
};

}  // namespace tessel
