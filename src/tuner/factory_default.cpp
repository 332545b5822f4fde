#include "tuner/factory_default.h"

#include "amp/startup_commands.h"
#include "config/setup.h"
#include "tuner/memory_banks.h"

namespace tuner {

void InitVar_Default(core::Works& works) {
    for (int32_t bank = 0; bank <= kLastBank; ++bank)
        for (int32_t which = 0; which <= 3; ++which) DeleteFileConf(works, bank, which);
    config::resetSetupDefaults(works);
    amp::InitMicroCmd(works);
    LoadAllBankTable(works, works.NumBanco);
    works.antennaRow = -1;
}

}  // namespace tuner
