#pragma once
// Geometry of the two needle meters, shared by the main loop that draws the
// needles and by the image generator that draws the dials under them, so a
// tick mark sits exactly where the needle points for its value.

namespace ui {

struct MeterPivot {
    int x, y;
};
inline constexpr MeterPivot kLeftMeterPivot{210, 260};
inline constexpr MeterPivot kRightMeterPivot{590, 260};

// SWR -> meter steps through the CONV_SWR breakpoints (1.0 -> 0 ... 100 -> 60),
// linear between breakpoints; below 1.0 (or not a number) 0, from 100 on 60.
[[nodiscard]] float CalcolaSWR(float swr);

// 10 log10(W * 1000); 0 W gives minus infinity, which the caller shows as "---dBm".
[[nodiscard]] float ConvertW_to_dBm(float watts);

// Needle angle from vertical in radians: +0.24 pi at 0 (left end), -0.24 pi at
// full scale. The value is expected clamped to 0..steps by the caller.
[[nodiscard]] float needleAngle(float value, float steps);

struct NeedleTip {
    double x, y;
};
// Tip of a needle of length 200 pivoting at (px, py), shifted 15 pixels
// sideways, before rounding; the dial arcs run through these points.
[[nodiscard]] NeedleTip needleTip(int px, int py, float angle);

struct NeedleEnd {
    int x, y;
};
// The needle tip in whole pixels, truncated toward zero: the point the
// needle line is drawn to.
[[nodiscard]] NeedleEnd needleEnd(int px, int py, float angle);

}  // namespace ui
