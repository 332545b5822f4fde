#include "tuner/factory_default.h"

#include "amp/startup_commands.h"
#include "config/setup.h"
#include "core/record/amp_record.h"
#include "tuner/memory_banks.h"

namespace tuner {

void InitVar_Default(core::AmpRecord& works) {
    for (int32_t bank = 0; bank <= kLastBank; ++bank)
        for (int32_t which = 0; which <= 3; ++which) DeleteFileConf(works, bank, which);
    config::resetSetupDefaults(works);
    amp::InitMicroCmd(works);
    LoadAllBankTable(works, works.NumBanco);
    works.antennaRow = -1;
}

void InitCompleteVar(core::AmpRecord& works) {
    works.TempMode = 0;
    works.FreqSensIn = 1;
    works.AttenuatorTune = 3;
    works.SWRescAutoTune = 0.0f;
    works.AutoTuneMaxCicli = 0;
    works.PowerUnits = 0;
    works.SaveScreenIdx = 4;
    works.AutoTuneMode = 1;
    works.PSpar3 = 80;
    works.PSpar4 = 50;
    works.plotOffset = 0.0;
    works.TUNEenabled = 0;
    works.bufferChunks = 100;
}

}  // namespace tuner
