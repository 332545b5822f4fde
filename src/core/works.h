#pragma once
// The shared state record: everything more than one thread needs. One
// instance lives for the whole run and every thread gets a reference to it.
// It is composed of one block per subsystem; the amplifier, tuner and
// settings code take only the part below the panel (AmpRecord), the
// transceiver links that part and their own block (RadioRecord). Scalars
// shared between threads are atomics; texts that change at run time are
// SharedText; the error list and the command ring carry their own locks.
#include "core/record/net_block.h"
#include "core/record/panel_block.h"
#include "core/record/radio_record.h"
#include "core/record/setup_record.h"

namespace core {

struct Works : RadioRecord, PanelBlock, NetBlock {
    Works() = default;
    Works(const Works&) = delete;
    Works& operator=(const Works&) = delete;
};

}  // namespace core
