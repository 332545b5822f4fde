#pragma once
// The spectrum plot of main-window modes 4 and 5: a dB by kHz grid, the
// white trace of the transceiver's spectrum line and the frequency title
// (the title is drawn in the meter modes too).
#include <cstdint>
#include <string>

#include "core/record/spectrum_data.h"

namespace core {
struct Works;
}

namespace ui {

// dB of the bottom and the top grid line.
struct PlotScale {
    int64_t min = 0;
    int64_t max = 0;
};

struct PlotPoint {
    float x = 0;
    float y = 0;
};

// Mode-4 geometry. Called once at start-up.
void InitGrid(core::Works& works);
// The spectrum part of SetWorkImg: mode 4 spans 160 kHz, mode 5 80 kHz;
// other modes leave the plot as it is. The grid follows at the next DrawGrid.
void setSpectrumMode(core::Works& works, int mode);
// Divisions, trace range and pixel limits for a span in Hz.
void recomputeGrid(core::SpectrumGrid& grid, int32_t spectrumSpan);
// First magnitude of the trace: the trace shows the centre of the line.
[[nodiscard]] int traceFirstIndex(const core::SpectrumGrid& grid);

[[nodiscard]] PlotScale plotScale(int refLevel, int refPos, int pointDiv, int divY);
// Label of horizontal grid line `line`, counted from the top.
[[nodiscard]] std::string levelLabel(const PlotScale& scale, int pointDiv, int line);
// kHz from the centre at vertical grid line `line`, counted from the left.
[[nodiscard]] int spanOffset(int32_t spectrumSpan, int line);
[[nodiscard]] std::string spanLabel(int kHz);

// Screen position of magnitude `index` with value `value` dB on a scale of
// min..max dB, held inside the grid.
[[nodiscard]] PlotPoint CalculatePoint(const core::SpectrumGrid& grid, double min, double max, int index,
                                       double value);

// Grid, scales, trace and title; nothing while a full-screen page is shown.
void DrawGrid(core::Works& works);
void DrawFreq(core::Works& works);
// "7.050MHz" and the like; empty when there is no frequency.
[[nodiscard]] std::string frequencyTitle(int32_t frequency);

}  // namespace ui
