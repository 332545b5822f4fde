#include "amp/measurements.h"

#include <array>
#include <bit>
#include <cmath>

#include "core/record/amp_record.h"

namespace amp {
namespace {

struct ThermistorPoint {
    float celsius;
    float kiloOhm;
};

// The 10 kOhm NTC of both heat sinks, resistance falling with temperature.
constexpr std::array<ThermistorPoint, 34> K_T_R{{
    {-40, 347.808f}, {-35, 248.591f}, {-30, 179.973f}, {-25, 131.832f}, {-20, 97.679f}, {-15, 73.119f},
    {-10, 55.301f},  {-5, 42.257f},   {0, 32.582f},    {5, 25.324f},    {10, 19.847f},  {15, 15.679f},
    {20, 12.478f},   {25, 10.000f},   {30, 8.068f},    {35, 6.552f},    {40, 5.353f},   {45, 4.399f},
    {50, 3.635f},    {55, 3.020f},    {60, 2.521f},    {65, 2.115f},    {70, 1.783f},   {75, 1.510f},
    {80, 1.284f},    {85, 1.096f},    {90, 0.939f},    {95, 0.808f},    {100, 0.698f},  {105, 0.605f},
    {110, 0.527f},   {115, 0.460f},   {120, 0.403f},   {125, 0.354f},
}};

constexpr uint16_t kAdcFullScale = 4095;
// What a sensor hotter than the table reads.
constexpr float kHottest = 101.0f;

// Factory calibration, used when the unit has no band configuration.
float defaultK(int channel) {
    switch (channel) {
        case 0:
            return std::bit_cast<float>(0x36AD06ADu);
        case 1:
            return std::bit_cast<float>(0x365F38FAu);
        case 2:
            return std::bit_cast<float>(0x36B8CFBBu);
        case 3:
            return -0.007f;
        default:
            return 1.0f;
    }
}

float rowK(const core::BandConfigRow& row, int channel) {
    switch (channel) {
        case 0:
            return row.kForw;
        case 1:
            return row.kRefl;
        case 2:
            return row.kPwrIn;
        case 3:
            return row.reflCorrection;
        default:
            return 1.0f;
    }
}

}  // namespace

float CalcolaWatt(uint32_t offset, uint32_t counts, float k) {
    double o = offset, c = counts;
    if (counts >= offset) return static_cast<float>(k * (c + o) * (c + o));
    return static_cast<float>(4.0 * k * o * c);
}

float SearchK(core::AmpRecord& works, int channel) {
    const auto& table = works.bandConfig;
    if (table.empty()) return defaultK(channel);
    int64_t frequency = works.frequency;
    for (size_t i = 0; i + 1 < table.size(); ++i) {
        if (table[i].startFrequency <= frequency && frequency < table[i + 1].startFrequency)
            return rowK(table[i], channel);
    }
    // Below the first row, at or past the last start (which only closes the
    // table) or before any frequency is known: the nearest segment's
    // calibration is close, a coefficient of 1 reads megawatts.
    size_t lastSegment = table.size() >= 2 ? table.size() - 2 : 0;
    return rowK(frequency < table.front().startFrequency ? table.front() : table[lastSegment], channel);
}

float CalcolaTemp(uint16_t counts) {
    // Full scale and beyond is an open sensor or a bad reading, no temperature:
    // it must trip the alarm, never pass for a cold heat sink.
    if (counts >= kAdcFullScale) return kHottest;
    float resistance = static_cast<float>(counts) * 10.0f / static_cast<float>(kAdcFullScale - counts);
    float celsius = kHottest;
    for (size_t i = 0; i < K_T_R.size(); ++i) {
        if (K_T_R[i].kiloOhm >= resistance) continue;
        if (i == 0) {
            celsius = -40.0f;
        } else {
            const ThermistorPoint& warm = K_T_R[i];
            const ThermistorPoint& cold = K_T_R[i - 1];
            celsius =
                (warm.celsius - cold.celsius) / (warm.kiloOhm - cold.kiloOhm) * (resistance - cold.kiloOhm) +
                cold.celsius;
        }
        break;
    }
    if (celsius < -10.0f) return -10.0f;
    if (celsius > 100.0f) return kHottest;
    return celsius;
}

uint8_t charToInt(char digit) {
    if (digit >= '0' && digit <= '9') return static_cast<uint8_t>(digit - '0');
    if (digit >= 'A' && digit <= 'F') return static_cast<uint8_t>(digit - 'A' + 10);
    if (digit >= 'a' && digit <= 'f') return static_cast<uint8_t>(digit - 'a' + 10);
    return 255;
}

float CalvTensVadcAmp(const core::AmpBlock& amplifier, uint8_t adc) {
    double divider = amplifier.ampModelFlag == '1' ? 348.0 : 118.0;
    return static_cast<float>(adc * 3.3 * divider / 255.0 / 18.0);
}

float swrFromPowers(float forward, float reflected) {
    float swr = 0.0f;
    if (forward > 0.3f) {
        if (forward < reflected) {
            swr = 100.0f;
        } else {
            float rho = std::sqrt(reflected / forward);
            swr = rho == 1.0f ? 100.0f : (1.0f + rho) / (1.0f - rho);
        }
    } else if (reflected > 0.5f) {
        swr = 100.0f;
    }
    return swr > 100.0f ? 100.0f : swr;
}

}  // namespace amp
