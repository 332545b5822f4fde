#include "dial_drawing.h"

#include <algorithm>
#include <cmath>

namespace images {
namespace {

constexpr Rgb kInk = rgb(38, 34, 30);
constexpr Rgb kRed = rgb(206, 38, 30);
constexpr Rgb kHub = rgb(52, 50, 48);
constexpr double kMajorLength = 15.0;

struct TickLook {
    double length, width;
};
TickLook look(TickSize size) {
    switch (size) {
        case TickSize::Major:
            return {kMajorLength, 2.2};
        case TickSize::Medium:
            return {10.0, 1.7};
        case TickSize::Minor:
            break;
    }
    return {6.0, 1.2};
}

Vec unit(Vec v) {
    const double length = std::hypot(v.x, v.y);
    return {v.x / length, v.y / length};
}

// The unrounded needle tip at a scale position, and the outward direction
// of the needle there.
Vec tipAt(const DialScale& dial, double steps) {
    const ui::NeedleTip tip =
        ui::needleTip(dial.pivot.x, dial.pivot.y, ui::needleAngle(static_cast<float>(steps), dial.fullScale));
    return {tip.x, tip.y};
}
Vec outward(const DialScale& dial, Vec point) {
    return unit({point.x - dial.pivot.x, point.y - dial.pivot.y});
}

// The tip's locus from one scale position to another, pushed `offset`
// pixels outward along the needle.
std::vector<Vec> track(const DialScale& dial, double from, double to, double offset) {
    std::vector<Vec> points;
    const int pieces = std::max(2, static_cast<int>(std::ceil((to - from) / dial.fullScale * 240.0)));
    for (int i = 0; i <= pieces; ++i) {
        const Vec tip = tipAt(dial, from + (to - from) * i / pieces);
        const Vec out = outward(dial, tip);
        points.push_back({tip.x + out.x * offset, tip.y + out.y * offset});
    }
    return points;
}

}  // namespace

void drawDial(Canvas& canvas, Typesetter& typesetter, const DialScale& dial, std::string_view unitText) {
    if (dial.redZoneFrom < dial.fullScale)
        canvas.stroke(track(dial, dial.redZoneFrom, dial.fullScale, 5.0), 7.0, kRed, 1.0, Canvas::Cap::Butt);
    canvas.stroke(track(dial, 0.0, dial.fullScale, 0.0), 2.0, kInk);

    const TextStyle numbers{Face::Bold, 15, kInk, 0.0};
    for (const Tick& tick : dial.ticks) {
        // The needle line is drawn to the tip pixel; its centre is the anchor.
        const Vec anchor{tick.tip.x + 0.5, tick.tip.y + 0.5};
        const Vec out = unit({anchor.x - (dial.pivot.x + 0.5), anchor.y - (dial.pivot.y + 0.5)});
        const TickLook tickLook = look(tick.size);
        canvas.stroke({{anchor.x - out.x, anchor.y - out.y},
                       {anchor.x + out.x * tickLook.length, anchor.y + out.y * tickLook.length}},
                      tickLook.width, kInk);
        if (tick.label.empty()) continue;
        // Keep the number's box a fixed gap beyond the tick end, whatever its direction.
        const Vec size = typesetter.inkSize(tick.label, numbers);
        const double reach = std::min(size.x / 2 / std::max(std::abs(out.x), 1e-6),
                                      size.y / 2 / std::max(std::abs(out.y), 1e-6));
        const double distance = kMajorLength + 5.0 + reach;
        TextStyle style = numbers;
        if (tick.steps > dial.redZoneFrom) style.colour = kRed;
        typesetter.draw(canvas, tick.label, {anchor.x + out.x * distance, anchor.y + out.y * distance},
                        Anchor::InkCentre, style);
    }

    if (!unitText.empty())
        typesetter.draw(canvas, unitText, {dial.pivot.x + 0.5, dial.pivot.y - 150.0}, Anchor::InkCentre,
                        {Face::Regular, 15, kInk, 0.0});
    const Vec hub{dial.pivot.x + 0.5, dial.pivot.y + 0.5};
    canvas.fillCircle(hub, 7.0, [hub](double, double y) {
        return mix(rgb(120, 116, 110), kHub, (y - hub.y + 6.0) / 10.0);
    });
}

}  // namespace images
