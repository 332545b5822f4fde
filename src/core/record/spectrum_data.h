#pragma once
// The spectrum plot's data: the plot geometry, owned by the main loop, and
// the magnitude record that the transceiver's auxiliary link fills.
#include <array>
#include <cstdint>

namespace core {

// Values of one spectrum line from the transceiver; mode 4 draws all of
// them, mode 5 the central half.
inline constexpr int kLineValues = 854;
// Width of the band one line covers, Hz.
inline constexpr int32_t kLineSpan = 160000;
// Each vertical grid division is 10 kHz wide.
inline constexpr int32_t kDivisionSpan = 10000;

// Geometry of the plot in screen pixels. Only the main loop's thread reads
// or writes it; the mode it follows comes from the atomic spectrumSpan.
struct SpectrumGrid {
    int SchermoWidth = 800;
    int SchermoHeight = 280;
    int borderLeft = 70;
    int borderRight = 40;
    int borderTop = 60;
    int borderBottom = 50;
    int divX = 16;
    int divY = 10;
    int xRangeStart = 0;
    int xRangeEnd = kLineValues;
    int r_x = 0;
    int r_y = 0;
    int bound_left = 0;
    int bound_right = 0;
    int b_top = 0;
    int b_bottom = 0;
};

// Magnitudes in dB, guarded by serMut.
struct SpectrumRecord {
    std::array<float, 1024> magnitude{};
};

}  // namespace core
