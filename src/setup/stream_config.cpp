// Reset of the stream configuration and the owner of its databases.
#include "setup/stream_config.h"

#include "pdbase/pdbase.h"

namespace tessel {

void ResetPcmSetupInfo(pcmsetupinfo& setup) {
  SetDecomDefaults(setup.DecomSetup);
  SetSimDefaults(setup.SimSetup);
  SetBitSyncDefaults(setup.BitSyncSetup, 0);
  SetTrailerDefaults(setup.TrailerBlock);
  setup.DecomFromUser = 1;
  setup.PdbaseFromUser = 1;
  setup.DecomSetupFileName.clear();
  setup.PdbaseFileName.clear();
}

void ResetStreamConfig(streamconfiginfostruct& config) {
  config.NumStreams = 0;
  config.Streams.fill(streamchannelstruct{});
  for (pcmsetupinfo& setup : config.PcmSetups) ResetPcmSetupInfo(setup);
  ResetProjectFile(config.Project);
}

StreamSetups::StreamSetups() : config_(std::make_unique<streamconfiginfostruct>()) {
  for (std::size_t i = 0; i < pdbases_.size(); ++i) {
    pdbases_[i] = std::make_unique<pdbaseclass>(static_cast<std::uint32_t>(i));
    config_->PcmSetups[i].Pdbase = pdbases_[i].get();
  }
  ResetStreamConfig(*config_);
}

StreamSetups::~StreamSetups() = default;

pdbaseclass& StreamSetups::pdbase(int index) {
  return *pdbases_.at(static_cast<std::size_t>(index));
}

const pdbaseclass& StreamSetups::pdbase(int index) const {
  return *pdbases_.at(static_cast<std::size_t>(index));
}

}  // namespace tessel
