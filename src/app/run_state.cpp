// The run state and the reset of its stream setups.
#include "app/run_state.h"

#include "pdbase/pdbase.h"
#include "pdbase/pdbase_generate.h"

namespace tessel {

RunState::RunState() {
  ResetStreamSetups(*this);
}

void ResetStreamSetups(RunState& state) {
  streamconfiginfostruct& config = state.config();
  ResetStreamConfig(config);
  for (int i = 0; i < kMaxStreams; ++i) {
    InitPdbaseHeader(state.streams.pdbase(i),
                     config.PcmSetups[static_cast<std::size_t>(i)].DecomSetup);
  }
  state.ProjectTitle.clear();
  state.ProjectDirectory.clear();
  state.irig.Reset();
}

}  // namespace tessel
