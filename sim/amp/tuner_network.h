#pragma once
// The amplifier's automatic antenna tuner as the emulator models it: an L
// network of binary-weighted switched inductors and capacitors between the
// power stage's SWR bridge and the antenna, set by the tune word. Pure
// arithmetic: impedances in ohms, frequencies in Hz.
//
// Components (index bit k switches in step * 2^k):
//   inductors   0.05, 0.1, 0.2, ... 12.8 uH: 0 to 25.55 uH in 0.05 uH steps,
//               plus 0.02 uH of wiring and relay contacts always in series;
//               Q of 100, modelled as a series loss resistance of wL/Q;
//   capacitors  5, 10, 20, ... 1280 pF: 0 to 2555 pF in 5 pF steps, plus
//               5 pF of relay and board stray capacitance always in
//               parallel; lossless (their Q is far above the inductors').
// Networks:
//   "CL"     shunt capacitor on the transmitter side, series inductor
//            towards the load (raises a load below 50 ohms);
//   " LC"    series inductor from the transmitter, shunt capacitor on the
//            load side (lowers a load above 50 ohms);
//   by-pass  the load directly, as is a word with no or several mode bits.
#include <complex>
#include <cstdint>

#include "tuner/tune_word.h"

namespace sim {

using Impedance = std::complex<double>;

inline constexpr double kReferenceOhms = 50.0;
inline constexpr double kInductorStepH = 0.05e-6;
inline constexpr double kResidualInductanceH = 0.02e-6;
inline constexpr double kInductorQ = 100.0;
inline constexpr double kCapacitorStepF = 5e-12;
inline constexpr double kStrayCapacitanceF = 5e-12;
inline constexpr int32_t kTunerSteps = 512;  // per bank: 9 index bits

// The relays the tune word sets.
struct TunerSetting {
    int32_t c = 0;  // capacitor index, 0..511
    int32_t l = 0;  // inductor index, 0..511
    uint8_t mode = tuner::kModeBypass;

    friend bool operator==(const TunerSetting&, const TunerSetting&) = default;
};

[[nodiscard]] TunerSetting tunerSettingFromWord(uint32_t word);
// "CL", "LC" or "bypass" (which also stands for a word without a network).
[[nodiscard]] const char* networkName(uint8_t mode);

// What the SWR bridge sees looking into the network with this load behind it.
[[nodiscard]] Impedance networkInput(const TunerSetting& setting, Impedance load, double hz);

// The share of the forward power that an input impedance sends back.
[[nodiscard]] double reflectionShare(Impedance input);
// SWR against 50 ohms; infinite for a lossless reactance.
[[nodiscard]] double swrOf(Impedance input);

struct BestTune {
    TunerSetting setting;
    double swr = 0;
};

// The lowest SWR that any setting reaches with this load: by-pass, then
// every C and L in " LC", then in "CL"; the first of equal ones wins.
[[nodiscard]] BestTune bestTune(Impedance load, double hz);

}  // namespace sim
