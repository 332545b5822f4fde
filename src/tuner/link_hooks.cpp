#include "tuner/link_hooks.h"

#include "tuner/tune_memory.h"
#include "tuner/tune_search.h"

namespace tuner {

void InstallLinkHooks(core::Works& works) {
    works.tuneSearchStep = TuneTask;
    works.recallStoredTune = LoadTuneFromMEM;
}

}  // namespace tuner
