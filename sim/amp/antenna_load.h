#pragma once
// The antenna behind the tuner, as the control channel sets it: a fixed
// impedance, or a dipole whose impedance follows the frequency.
//
// The dipole is a series RLC circuit: 70 ohms of radiation resistance and a
// reactance of R * Q * (f/f0 - f0/f) with Q = 12, about 17 ohms per percent
// off resonance, which gives a wire half-wave dipole's 2:1 SWR bandwidth of
// some 4 % of f0. Far from resonance a real dipole's resistance changes too;
// here only the reactance grows, which is what the tuner has to undo.
#include <string>

#include "sim/amp/tuner_network.h"

namespace sim {

class AntennaLoad {
  public:
    static constexpr double kDipoleOhms = 70.0;
    static constexpr double kDipoleQ = 12.0;

    // A 50-ohm dummy load until the control channel sets another.
    AntennaLoad() = default;
    // A resistance of 50 * swr ohms: the load alone has this SWR.
    [[nodiscard]] static AntennaLoad resistive(double swr);
    [[nodiscard]] static AntennaLoad fixed(Impedance z);
    [[nodiscard]] static AntennaLoad dipole(double resonantHz);

    // The impedance at hz (taken as at least 1 Hz).
    [[nodiscard]] Impedance at(double hz) const;
    // One word for the state line: "z:R,X" or "dipole:HZ".
    [[nodiscard]] std::string describe() const;

  private:
    Impedance fixed_{kReferenceOhms, 0.0};
    double resonantHz_ = 0;  // 0 for a fixed impedance
};

}  // namespace sim
