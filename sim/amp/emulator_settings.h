#pragma once
// What the amplifier's microcontroller keeps from the controller's commands,
// and the identity it reports from its EEPROM. A reset of the
// microcontroller brings the settings back to these power-on values.
#include <array>
#include <cstdint>
#include <string>

#include "core/tune_value_bits.h"
#include "sim/amp/tuner_network.h"

namespace sim {

struct Identity {
    int ratedWatts = 60;  // 60 or 120
    bool usaRegion = false;
};

struct AmpSettings {
    int antenna = 1;              // "SA", 1..3
    int antennaIn = 0;            // "AN", antenna input as sent
    bool pad3dB = false;          // "AT", first digit
    bool pad2dB = false;          // "AT", second digit
    bool bypass = false;          // "AB"
    bool protectionMode = false;  // "MP"
    // "TS": input, forward, reflected and current limits in ADC counts.
    std::array<int, 4> thresholds{4095, 4095, 4095, 4095};
    int fanMode = 1;                               // "FN1" or "FN2"
    int fanSpeed = 0;                              // percent as sent
    uint32_t tuneValue = core::tuneValue::Bypass;  // "MT1", tuner in by-pass
    TunerSetting tuner;                            // its relays, decoded on arrival: a bad word logs once
    uint32_t frequency = 0;                        // "FA", Hz
    int freqSensIn = 1, freqPeriod = 1;            // "FS"
    std::array<int, 4> psPar{1, 1000, 0, 0};       // "PS"
    int filterMask = 0;                            // "SF"
    int gmPar1 = 2, gmPar2 = 100;                  // "GM"
    std::string genSettings = "0000000000";        // "GS", ten characters
    std::string calMultiplier = "1.000000000";     // "CM", as the decimal text stored in EEPROM page 3
};

}  // namespace sim
