#pragma once
// The part of the record the amplifier link, the tuner and the settings files
// work on. The panel's, the network service's and the transceivers' blocks are
// not in it, so a change to them does not touch the code below the panel.
#include "core/record/amp_block.h"
#include "core/record/error_block.h"
#include "core/record/remote_block.h"
#include "core/record/setup_values.h"
#include "core/record/station_block.h"
#include "core/record/tuner_block.h"

namespace core {

// Only the whole record (Works) makes one, so code that holds this part may
// reach the whole record through it (InitGlobalVar, the thread starts).
struct AmpRecord : StationBlock, SetupValues, AmpBlock, TunerBlock, ErrorBlock, RemoteBlock {
    AmpRecord(const AmpRecord&) = delete;
    AmpRecord& operator=(const AmpRecord&) = delete;

  protected:
    AmpRecord() = default;
};

// The defaults of every field of the whole record that has one.
void InitGlobalVar(AmpRecord& works);

}  // namespace core
