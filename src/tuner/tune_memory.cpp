#include "tuner/tune_memory.h"

#include <cstdlib>

#include "core/record/amp_record.h"
#include "platform/log.h"
#include "tuner/tune_index.h"
#include "tuner/tune_memory_file.h"
#include "tuner/tune_word.h"

namespace tuner {
namespace {

// The helpers below run inside tuneMemory.with(), under its lock.

const core::TuneTable* tableOf(const core::TuneTables& memory, int32_t antenna) {
    if (antenna < 0 || antenna >= core::kTuneAntennaCount) return nullptr;
    return &memory.tables[static_cast<size_t>(antenna)];
}

core::TuneMemRecord recordAt(const core::TuneTable* table, int32_t index) {
    if (table == nullptr || index < 0 || index >= core::kTuneIndexCount) return {};
    return (*table)[static_cast<size_t>(index)];
}

// Recalled tunes always use the network: a stored by-pass comes back as "CL".
core::TuneMemRecord recalled(core::TuneMemRecord record) {
    if (record.mode == kModeBypass) record.mode = kModeCL;
    return record;
}

int32_t nearestValid(const core::TuneTable* table, int32_t index, int32_t from, int32_t to) {
    int32_t best = -1;
    int64_t distance = int64_t{to} - from;
    for (int32_t i = from < 0 ? 0 : from; i < to && i < core::kTuneIndexCount; ++i) {
        if (recordAt(table, i).valid == 0) continue;
        int64_t away = std::llabs(int64_t{i} - index);
        if (away < distance) {
            best = i;
            distance = away;
        }
    }
    return best;
}

}  // namespace

void SaveTuneValsuTabRam(const core::TuneMemRecord& record, uint16_t c, int32_t index, int32_t antenna,
                         core::AmpRecord& works) {
    if (antenna < 0 || antenna >= core::kTuneAntennaCount || index < 0 || index >= core::kTuneIndexCount)
        return;
    works.tuneMemory.with([&](core::TuneTables& memory) {
        core::TuneMemRecord& stored = memory.tables[static_cast<size_t>(antenna)][static_cast<size_t>(index)];
        stored = record;
        stored.C = c;
    });
}

core::TuneMemRecord LoadTuneValFromTabRam(int32_t index, int32_t antenna, const core::AmpRecord& works) {
    return works.tuneMemory.with(
        [&](const core::TuneTables& memory) { return recalled(recordAt(tableOf(memory, antenna), index)); });
}

int32_t SearchBestTune(const core::AmpRecord& works, int32_t index, int32_t from, int32_t to,
                       int32_t antenna) {
    return works.tuneMemory.with([&](const core::TuneTables& memory) {
        return nearestValid(tableOf(memory, antenna), index, from, to);
    });
}

int EsisteTuneValInTabRam(const core::AmpRecord& works, int32_t index, int32_t from, int32_t to,
                          int32_t antenna) {
    return works.tuneMemory.with([&](const core::TuneTables& memory) {
        const core::TuneTable* table = tableOf(memory, antenna);
        return recordAt(table, index).valid == 0 && nearestValid(table, index, from, to) < 0 ? 1 : 0;
    });
}

void LoadTuneFromMEM(core::AmpRecord& works, int32_t antenna) {
    const int32_t frequency = works.frequency;
    AtuSegment segment;
    int32_t index = AtuIdxSearch(frequency, &segment);
    core::TuneMemRecord record = works.tuneMemory.with([&](const core::TuneTables& memory) {
        const core::TuneTable* table = tableOf(memory, antenna);
        core::TuneMemRecord found = recordAt(table, index);
        if (found.valid == 0) {
            index = nearestValid(table, index, segment.firstIndex, segment.endIndex);
            found = recordAt(table, index);
        }
        return found;
    });
    record = recalled(record);

    const uint32_t word = works.tuneValue;
    works.tuneC = DecodeCapacitaFromTuneval(word);
    works.tuneL = DecodeInduttanzaFromTuneval(word);
    works.tuneMode = DecodeModoFromTuneval(word);
    if (record.valid == 0 ||
        (record.C == works.tuneC && record.L == works.tuneL && record.mode == works.tuneMode))
        return;

    SetC(works, record.C);
    SetI(works, record.L);
    SetMode(works, record.mode);
    ReadTnePar(works);
    platform::trace(">>>>>>>>>>>>>>> MEMTUNE: load a Tune for %ld idx:%d -> C %d I %d!!\n",
                    static_cast<long>(frequency), index, works.tuneC.load(), works.tuneL.load());
}

bool InsertTuneToMem(core::AmpRecord& works, int32_t bank, int32_t antenna) {
    const int32_t frequency = works.frequency;
    const int32_t index = AtuIdxSearch(frequency);
    platform::trace("--------------> Save Tune To File idx %d (idx:%d)\n", frequency, index);
    const uint32_t word = works.tuneValue;
    core::TuneMemRecord record;
    record.valid = 1;
    record.mode = DecodeModoFromTuneval(word);
    record.L = static_cast<uint16_t>(DecodeInduttanzaFromTuneval(word));
    record.C = static_cast<uint16_t>(DecodeCapacitaFromTuneval(word));
    platform::trace("-------------- Save TuneVal C:%i, L:%i, M:%c\n", record.C, record.L, '0' + record.mode);
    if (antenna < 0 || antenna >= core::kTuneAntennaCount) {
        platform::logError("tune of antenna %d not stored: only antennas 1 to %d have tune memories",
                           antenna + 1, core::kTuneAntennaCount);
        return false;
    }
    if (index < 0 || index >= core::kTuneIndexCount) {
        platform::logError("tune at %d Hz not stored: no tune memory covers it", frequency);
        return false;
    }
    // Checked and stored under one lock, so a bank change cannot slip in between.
    const bool stored = works.tuneMemory.with([&](core::TuneTables& memory) {
        if (!holdsBank(memory, bank, antenna)) return false;
        memory.tables[static_cast<size_t>(antenna)][static_cast<size_t>(index)] = record;
        return true;
    });
    if (stored) SaveTabAtu(works, bank, antenna);
    return stored;
}

}  // namespace tuner
