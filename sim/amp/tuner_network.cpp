#include "sim/amp/tuner_network.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace sim {
namespace {

double omega(double hz) {
    return 2 * std::numbers::pi * hz;
}

// The inductor chain in series with the signal: reactance and its loss.
Impedance seriesArm(int32_t l, double hz) {
    double reactance = omega(hz) * (kResidualInductanceH + l * kInductorStepH);
    return {reactance / kInductorQ, reactance};
}

// The capacitor bank to ground, as an admittance in siemens.
std::complex<double> shuntArm(int32_t c, double hz) {
    return {0.0, omega(hz) * (kStrayCapacitanceF + c * kCapacitorStepF)};
}

// |gamma|^2 of r + jx against a reference, without a complex division.
double shareOf(double r, double x, double reference) {
    return ((r - reference) * (r - reference) + x * x) / ((r + reference) * (r + reference) + x * x);
}

double shareOf(Impedance z) {
    return shareOf(z.real(), z.imag(), kReferenceOhms);
}

double swrFromShare(double share) {
    double rho = std::sqrt(share);
    if (!(rho < 1.0)) return std::numeric_limits<double>::infinity();
    return (1.0 + rho) / (1.0 - rho);
}

}  // namespace

TunerSetting tunerSettingFromWord(uint32_t word) {
    return {tuner::DecodeCapacitaFromTuneval(word), tuner::DecodeInduttanzaFromTuneval(word),
            tuner::DecodeModoFromTuneval(word)};
}

const char* networkName(uint8_t mode) {
    switch (mode) {
        case tuner::kModeCL:
            return "CL";
        case tuner::kModeLC:
            return "LC";
        case tuner::kModeBypass:
            return "bypass";
        default:
            return "none";
    }
}

Impedance networkInput(const TunerSetting& setting, Impedance load, double hz) {
    switch (setting.mode) {
        case tuner::kModeCL:
            return 1.0 / (shuntArm(setting.c, hz) + 1.0 / (seriesArm(setting.l, hz) + load));
        case tuner::kModeLC:
            return seriesArm(setting.l, hz) + 1.0 / (shuntArm(setting.c, hz) + 1.0 / load);
        default:
            return load;
    }
}

double reflectionShare(Impedance input) {
    return shareOf(input);
}

double swrOf(Impedance input) {
    return swrFromShare(shareOf(input));
}

BestTune bestTune(Impedance load, double hz) {
    // Parts in plain doubles: the inner loops then run fast in debug builds too.
    std::array<double, kTunerSteps> seriesR, seriesX, shuntB, throughG, throughB;
    for (int32_t i = 0; i < kTunerSteps; ++i) {
        Impedance series = seriesArm(i, hz);
        seriesR[i] = series.real();
        seriesX[i] = series.imag();
        shuntB[i] = shuntArm(i, hz).imag() * kReferenceOhms;
        std::complex<double> through = kReferenceOhms / (series + load);
        throughG[i] = through.real();
        throughB[i] = through.imag();
    }
    TunerSetting best;
    double bestShare = shareOf(load);
    // " LC": the capacitor across the load, then the inductor in series.
    for (int32_t c = 0; c < kTunerSteps; ++c) {
        Impedance loaded = kReferenceOhms / (std::complex<double>(0.0, shuntB[c]) + kReferenceOhms / load);
        double r = loaded.real(), x = loaded.imag();
        for (int32_t l = 0; l < kTunerSteps; ++l) {
            double share = shareOf(r + seriesR[l], x + seriesX[l], kReferenceOhms);
            if (share < bestShare) {
                bestShare = share;
                best = {c, l, tuner::kModeLC};
            }
        }
    }
    // "CL": in admittances normalised to 50 ohms, gamma is (1 - y) / (1 + y).
    for (int32_t c = 0; c < kTunerSteps; ++c) {
        for (int32_t l = 0; l < kTunerSteps; ++l) {
            double share = shareOf(throughG[l], throughB[l] + shuntB[c], 1.0);
            if (share < bestShare) {
                bestShare = share;
                best = {c, l, tuner::kModeCL};
            }
        }
    }
    return {best, swrFromShare(bestShare)};
}

}  // namespace sim
