#include "ui/spectrum_plot.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "core/try_mutex.h"
#include "core/works.h"
#include "platform/platform.h"
#include "ui/framebuffer.h"
#include "ui/text.h"

namespace ui {

namespace {

constexpr int kGridGrey = 120;
constexpr int kLabelGrey = 180;

// The part of the line the trace shows, copied out so the serial link is
// never held up by the drawing. False (logged) when the lock is busy.
bool copyTrace(core::Works& works, const core::SpectrumGrid& grid,
               std::array<float, core::kLineValues>& trace) {
    const core::TryLock lock(*works.serMut, works.platform->clock(), "serMut mutex cannot be locked");
    if (!lock) return false;
    const auto first = works.spectrum->magnitude.begin() + traceFirstIndex(grid);
    std::copy_n(first, grid.xRangeEnd, trace.begin());
    return true;
}

void drawScales(core::Works& works, const core::SpectrumGrid& grid, const PlotScale& scale, int pointDiv,
                int32_t spectrumSpan) {
    FrameBuffer* fb = works.fb;
    putString(8, grid.bound_left - 35, grid.b_top - grid.r_y, "dBm", kLabelGrey, kLabelGrey, kLabelGrey, fb);
    for (int i = 0; i <= grid.divY; ++i) {
        const int y = grid.b_top + i * grid.r_y;
        DrawHorizontalLine(grid.bound_left, y, grid.bound_right, kGridGrey, kGridGrey, kGridGrey, fb, 0);
        putString(6, grid.bound_left - 35, y, levelLabel(scale, pointDiv, i).c_str(), kLabelGrey, kLabelGrey,
                  kLabelGrey, fb);
    }
    for (int i = 0; i <= grid.divX; ++i) {
        const int x = grid.bound_left + i * grid.r_x;
        DrawLine(x, grid.b_top, x, grid.b_bottom, kGridGrey, kGridGrey, kGridGrey, fb, 0);
        const int kHz = spanOffset(spectrumSpan, i);
        putString(6, kHz == 0 ? x : x - 10, grid.b_bottom + 13, spanLabel(kHz).c_str(), kLabelGrey,
                  kLabelGrey, kLabelGrey, fb);
    }
}

void drawTrace(core::Works& works, const core::SpectrumGrid& grid, const PlotScale& scale,
               const std::array<float, core::kLineValues>& trace) {
    const auto min = static_cast<double>(scale.min);
    const auto max = static_cast<double>(scale.max);
    const double offset = works.plotOffset;
    PlotPoint from = CalculatePoint(grid, min, max, 0, trace[0] + offset);
    for (int i = 1; i < grid.xRangeEnd; ++i) {
        const PlotPoint to = CalculatePoint(grid, min, max, i, trace[static_cast<std::size_t>(i)] + offset);
        DrawLine(static_cast<int>(from.x), static_cast<int>(from.y), static_cast<int>(to.x),
                 static_cast<int>(to.y), 255, 255, 255, works.fb, 0);
        from = to;
    }
}

}  // namespace

void InitGrid(core::Works& works) {
    works.grid = core::SpectrumGrid{};
    setSpectrumMode(works, 4);
    recomputeGrid(works.grid, works.spectrumSpan);
}

void setSpectrumMode(core::Works& works, int mode) {
    if (mode == 4) works.spectrumSpan = core::kLineSpan;
    if (mode == 5) works.spectrumSpan = core::kLineSpan / 2;
}

// SetWorkImg also runs on the key-dispatch thread: the mode reaches the grid
// only through the one atomic span, so a switch never leaves divisions and
// trace range of different modes side by side.
void recomputeGrid(core::SpectrumGrid& grid, int32_t spectrumSpan) {
    grid.divX = spectrumSpan / core::kDivisionSpan;
    grid.xRangeEnd = static_cast<int>(int64_t{core::kLineValues} * spectrumSpan / core::kLineSpan);
    grid.r_x = (grid.SchermoWidth - grid.borderLeft - grid.borderRight) / grid.divX;
    grid.r_y = (grid.SchermoHeight - grid.borderTop - grid.borderBottom) / grid.divY;
    grid.bound_left = grid.borderLeft;
    grid.bound_right = grid.divX * grid.r_x + grid.bound_left;
    grid.b_top = grid.borderTop;
    grid.b_bottom = grid.divY * grid.r_y + grid.b_top;
}

int traceFirstIndex(const core::SpectrumGrid& grid) {
    return (core::kLineValues - grid.xRangeEnd) / 2;
}

PlotScale plotScale(int refLevel, int refPos, int pointDiv, int divY) {
    // 64-bit: the settings come from a text file and may be anything.
    PlotScale scale;
    scale.min = int64_t{refLevel} - int64_t{pointDiv} * refPos;
    scale.max = scale.min + int64_t{divY} * pointDiv;
    return scale;
}

std::string levelLabel(const PlotScale& scale, int pointDiv, int line) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, scale.max - int64_t{line} * pointDiv);
    return text;
}

int spanOffset(int32_t spectrumSpan, int line) {
    return 10 * line - spectrumSpan / 2000;
}

std::string spanLabel(int kHz) {
    char text[16];
    std::snprintf(text, sizeof text, kHz > 0 ? "+%d" : "%d", kHz);
    return text;
}

PlotPoint CalculatePoint(const core::SpectrumGrid& grid, double min, double max, int index, double value) {
    const double x = grid.bound_left + static_cast<double>(index - grid.xRangeStart) /
                                           (grid.xRangeEnd - grid.xRangeStart) *
                                           (grid.bound_right - grid.borderLeft);
    double y = grid.b_bottom - (value - min) / (max - min) * (grid.b_bottom - grid.borderTop);
    // Off the scale lies on the bottom or top line. The tests are written so
    // that the NaN of a zero dB span (a setup with 0 dB per division) lands on
    // the bottom line instead of reaching the integer conversion.
    if (!(y <= grid.b_bottom)) y = grid.b_bottom;
    if (y < grid.borderTop) y = grid.borderTop;
    return {static_cast<float>(x), static_cast<float>(y)};
}

void DrawGrid(core::Works& works) {
    if (works.pageFlags != 0) return;
    core::SpectrumGrid& grid = works.grid;
    const int32_t spectrumSpan = works.spectrumSpan;
    recomputeGrid(grid, spectrumSpan);
    const int pointDiv = works.plotPointDiv;
    const PlotScale scale = plotScale(works.plotRefLevel, works.plotRefPos, pointDiv, grid.divY);
    drawScales(works, grid, scale, pointDiv, spectrumSpan);
    std::array<float, core::kLineValues> trace;
    if (copyTrace(works, grid, trace)) drawTrace(works, grid, scale, trace);
    DrawFreq(works);
}

void DrawFreq(core::Works& works) {
    const std::string title = frequencyTitle(works.frequency);
    if (title.empty()) return;
    const core::SpectrumGrid& grid = works.grid;
    const int x = (grid.bound_right - grid.bound_left) / 2 + grid.bound_left - 75;
    const int y = grid.b_top - grid.r_y / 2;
    if (works.mainWindow > 3)
        putString(4, x, y, title.c_str(), 250, 150, 0, works.fb);
    else
        putString(4, x, y, title.c_str(), 0, 0, 0, works.fb);
}

std::string frequencyTitle(int32_t frequency) {
    const auto f = static_cast<float>(frequency);
    if (f <= 0) return {};
    char text[32];
    if (f < 1000)
        std::snprintf(text, sizeof text, "%.00fHz", static_cast<double>(f));
    else if (frequency <= 999999)
        std::snprintf(text, sizeof text, "%.03fkHz", static_cast<double>(f / 1000.0f));
    else
        std::snprintf(text, sizeof text, "%.03fMHz", static_cast<double>(f / 1000000.0f));
    return text;
}

}  // namespace ui
