#include "dial_scales.h"

#include <array>
#include <string_view>

namespace images {
namespace {

constexpr float kSwrSteps = 60.0f;

Tick tickAt(ui::MeterPivot pivot, float steps, float fullScale, TickSize size, std::string label) {
    return {steps, ui::needleEnd(pivot.x, pivot.y, ui::needleAngle(steps, fullScale)), size,
            std::move(label)};
}

}  // namespace

DialScale powerDial(ui::MeterPivot pivot, int fullScaleWatts) {
    const int wattsPerTick = fullScaleWatts > 60 ? 2 : 1;
    const int numberEvery = 10 * wattsPerTick;
    const auto full = static_cast<float>(fullScaleWatts);
    DialScale dial{pivot, full, full, {}};
    for (int watts = 0; watts <= fullScaleWatts; watts += wattsPerTick) {
        const TickSize size = watts % numberEvery == 0         ? TickSize::Major
                              : watts % (numberEvery / 2) == 0 ? TickSize::Medium
                                                               : TickSize::Minor;
        dial.ticks.push_back(tickAt(pivot, static_cast<float>(watts), full, size,
                                    size == TickSize::Major ? std::to_string(watts) : std::string{}));
    }
    return dial;
}

DialScale swrDial(ui::MeterPivot pivot) {
    struct Mark {
        float swr;
        TickSize size;
        std::string_view label;
    };
    // Every breakpoint of the conversion gets a tick, with finer ticks
    // between the low ones; the crowded ones from 6 on stay unnumbered
    // except 10 and 100.
    static constexpr std::array<Mark, 30> kMarks{
        {{1.0f, TickSize::Major, "1"}, {1.1f, TickSize::Minor, ""},    {1.2f, TickSize::Minor, ""},
         {1.3f, TickSize::Minor, ""},  {1.4f, TickSize::Minor, ""},    {1.5f, TickSize::Major, "1.5"},
         {1.6f, TickSize::Minor, ""},  {1.7f, TickSize::Minor, ""},    {1.8f, TickSize::Minor, ""},
         {1.9f, TickSize::Minor, ""},  {2.0f, TickSize::Major, "2"},   {2.2f, TickSize::Minor, ""},
         {2.4f, TickSize::Minor, ""},  {2.5f, TickSize::Medium, ""},   {2.6f, TickSize::Minor, ""},
         {2.8f, TickSize::Minor, ""},  {3.0f, TickSize::Major, "3"},   {3.5f, TickSize::Minor, ""},
         {4.0f, TickSize::Major, "4"}, {4.5f, TickSize::Minor, ""},    {5.0f, TickSize::Major, "5"},
         {6.0f, TickSize::Medium, ""}, {7.0f, TickSize::Medium, ""},   {8.0f, TickSize::Medium, ""},
         {9.0f, TickSize::Medium, ""}, {10.0f, TickSize::Major, "10"}, {20.0f, TickSize::Minor, ""},
         {30.0f, TickSize::Minor, ""}, {50.0f, TickSize::Minor, ""},   {100.0f, TickSize::Major, "100"}}};
    DialScale dial{pivot, kSwrSteps, ui::CalcolaSWR(3.0f), {}};
    for (const Mark& mark : kMarks)
        dial.ticks.push_back(
            tickAt(pivot, ui::CalcolaSWR(mark.swr), kSwrSteps, mark.size, std::string(mark.label)));
    return dial;
}

}  // namespace images
