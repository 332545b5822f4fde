#pragma once
// The tuner's part of the shared record: the tune word, the search, the memories, the antenna table.
#include <atomic>
#include <cstdint>

#include "core/record/antenna_table.h"
#include "core/record/tune_memory_table.h"
#include "core/record/tune_search_state.h"

namespace core {

struct Works;

struct TunerBlock {
    // Tuner word (its lock is the record's tuneLock)
    std::atomic<uint32_t> tuneValue{0};
    std::atomic<int32_t> tuneC{0}, tuneL{0};
    std::atomic<uint8_t> tuneMode{0}, tunerBypass{0};
    std::atomic<uint8_t> tuneFine{0};  // 1: the next search is the fine one

    // Automatic tune search; the records belong to the link thread
    std::atomic<int32_t> tuneStep{0}, counterC{0}, counterL{0}, fineRow{0}, cnttune{0};
    std::atomic<float> tuneBestSwr{0};
    std::atomic<uint8_t> tuneTxState{0}, transceiverTx{0};
    // The tuner word before the search, restored when the search measured nothing
    std::atomic<uint32_t> tuneWordBeforeSearch{0};
    std::atomic<uint8_t> tuneMeasured{0};
    TuneSearchState tuneSearch;

    // Tune memories and the antenna table of the bank in use
    TuneMemory tuneMemory;
    AntennaTable antennaTable;
    std::atomic<int32_t> antennaRowCount{0};
    std::atomic<uint8_t> carrierControl{0};
    std::atomic<int32_t> carrierHoldoff{0};  // ticks before a transmission may start a tune again
    // Tick counters of the tune coordination with the transceiver; main loop's thread only
    int32_t tuneTickCount = 0, tuneTickMark = 0;

    // Frequency and antenna selection
    std::atomic<int32_t> frequency{0}, lastFrequency{0};
    std::atomic<int32_t> antennaRow{0};
    // The bank and band row the log named last; main loop's thread only
    int32_t bandLoggedBank = -1, bandLoggedRow = -1;
};

}  // namespace core
