#pragma once
// Two band rows of the band configuration, 160 m up to 14 MHz and 14 to
// 30 MHz, with the default power coefficients; their limits are the test's.
#include "core/record/band_config.h"

namespace testing_support {

struct BandRows {
    core::BandConfigRow low, high, end;
};

inline BandRows twoBandRows() {
    BandRows rows;
    rows.low.startFrequency = 1800000;
    rows.high.startFrequency = 14000000;
    rows.end.startFrequency = 30000000;
    for (auto* row : {&rows.low, &rows.high}) {
        row->kForw = 5.156579e-06f;
        row->kRefl = 3.3262754e-06f;
        row->kPwrIn = 5.5078103e-06f;
    }
    return rows;
}

}  // namespace testing_support
