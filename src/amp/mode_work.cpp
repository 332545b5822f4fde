#include "amp/mode_work.h"

#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/record/amp_record.h"
#include "core/record/setup_record.h"
#include "core/threads.h"

namespace amp {

void SetModeWorkIDX(core::AmpRecord& works) {
    core::SetupRecord& setup = *works.setup;
    int32_t mode = works.ModeWorkIdx;
    char serial = mode == 1 ? '1' : '0';     // the maker's transceiver: auxiliary serial stream
    char catSerial = mode == 2 ? '1' : '0';  // FT-817: serial CAT
    char serialBefore = setup.enaser.exchange(serial);
    char catSerialBefore = setup.enaCatSer.exchange(catSerial);
    if (serialBefore == '1' && serial == '0') core::DeleteErrore(works, core::err::QorLink);
    // The failure of a port the new type does not use no longer concerns the panel.
    if (serial == '0') core::DeleteQorPortError(works);
    int32_t catFailure = core::kFailedCatSerial;
    if (catSerial == '0') works.failedThread.compare_exchange_strong(catFailure, 0);
    if (serialBefore == '0' && serial == '1') core::StartThreadQOR(works);
    if (catSerialBefore == '0' && catSerial == '1') core::StartThreadCATserial(works);
    IncPNTIn_CMDLinear(core::cmd::GeneralSettings, works);
}

}  // namespace amp
