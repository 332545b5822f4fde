#include "sim/amp/antenna_load.h"

#include <algorithm>
#include <cstdio>

namespace sim {

AntennaLoad AntennaLoad::resistive(double swr) {
    return fixed({kReferenceOhms * swr, 0.0});
}

AntennaLoad AntennaLoad::fixed(Impedance z) {
    AntennaLoad load;
    load.fixed_ = z;
    return load;
}

AntennaLoad AntennaLoad::dipole(double resonantHz) {
    AntennaLoad load;
    load.resonantHz_ = resonantHz;
    return load;
}

Impedance AntennaLoad::at(double hz) const {
    if (resonantHz_ <= 0) return fixed_;
    double ratio = std::max(hz, 1.0) / resonantHz_;
    return {kDipoleOhms, kDipoleOhms * kDipoleQ * (ratio - 1.0 / ratio)};
}

std::string AntennaLoad::describe() const {
    char text[64];
    if (resonantHz_ > 0)
        std::snprintf(text, sizeof text, "dipole:%.0f", resonantHz_);
    else
        std::snprintf(text, sizeof text, "z:%.2f,%.2f", fixed_.real(), fixed_.imag());
    return text;
}

}  // namespace sim
