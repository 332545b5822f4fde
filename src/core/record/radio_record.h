#pragma once
// The part of the record the transceiver links work on: the part below the
// panel and the transceivers' block.
#include "core/record/amp_record.h"
#include "core/record/radio_block.h"

namespace core {

struct RadioRecord : AmpRecord, RadioBlock {
    RadioRecord(const RadioRecord&) = delete;
    RadioRecord& operator=(const RadioRecord&) = delete;

  protected:
    RadioRecord() = default;
};

}  // namespace core
