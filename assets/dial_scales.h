#pragma once
// The scales printed on the meter dials. Every tick is placed where the
// needle of the panel ends for its value, computed with the needle geometry
// the main loop uses.
#include <string>
#include <vector>

#include "ui/meter_geometry.h"

namespace images {

enum class TickSize { Minor, Medium, Major };

struct Tick {
    float steps;        // position on the needle's scale
    ui::NeedleEnd tip;  // where the needle ends at this position
    TickSize size;
    std::string label;  // empty for unnumbered ticks
};

struct DialScale {
    ui::MeterPivot pivot;
    float fullScale;    // steps of the needle's full deflection
    float redZoneFrom;  // steps where the red zone starts; fullScale for none
    std::vector<Tick> ticks;
};

// Watts 0..fullScaleWatts, one step per watt: numbers every 10 W (20 W on
// the 120 W dial), medium ticks halfway, minor ticks every 1 W (2 W).
[[nodiscard]] DialScale powerDial(ui::MeterPivot pivot, int fullScaleWatts);

// SWR through the meter's 60-step conversion, red from SWR 3 on.
[[nodiscard]] DialScale swrDial(ui::MeterPivot pivot);

}  // namespace images
