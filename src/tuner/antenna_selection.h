#pragma once
// Applying the antenna table when the operating frequency changes: antenna,
// amplifier by-pass, attenuator, drive power and the tune for the band.
#include <cstdint>
#include <string>

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// Default names and ranges of the 11 band rows; keep 0 also resets their settings.
void InitTabAntenna(core::AmpRecord& works, int keep);
// The row of `frequency` applied; antennaRow 100 when no row covers it.
void GestioneAntennaAutomatica(core::AmpRecord& works);
// Name of the last row whose range holds the frequency; empty when none does.
[[nodiscard]] std::string bandNameOf(const core::AmpRecord& works, int32_t frequency);
// Queues the recall of the stored tune for `frequency`, or the default tune.
void GestioneLoadTuneVal(core::AmpRecord& works);

}  // namespace tuner
