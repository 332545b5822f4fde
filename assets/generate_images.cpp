// Draws the front panel's background images as 800 x 480 RGBA PNG files:
//   brisel-image-generator OUTPUT_FOLDER
// The program draws its texts, needles, bars and boxes on top of them, so
// every image leaves those places plain.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dial_drawing.h"
#include "dial_scales.h"
#include "image_canvas.h"
#include "image_text.h"
#include "ui/meter_geometry.h"

namespace {

using namespace images;

constexpr int kWidth = 800, kHeight = 480;
constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu";

constexpr Rgb kPanelTop = rgb(34, 37, 43);
constexpr Rgb kPanelBottom = rgb(17, 18, 22);
constexpr Rgb kClockBar = rgb(12, 13, 16);
constexpr Rgb kAccent = rgb(250, 150, 0);

Paint panelGradient() {
    return verticalGradient(0, kPanelTop, kHeight, kPanelBottom);
}

// Dark panel with the clock line on top (name at x 25, clock ending at x 780, baseline 17).
Canvas panel(const Paint& background = panelGradient()) {
    Canvas canvas(kWidth, kHeight, background);
    canvas.fillRoundedRect(0, 0, kWidth, 24, 0, solid(kClockBar));
    canvas.stroke({{0, 24.5}, {kWidth, 24.5}}, 1.0, rgb(58, 62, 70));
    return canvas;
}

// A recessed window: metal rim, dark edge, then the face in the given paint.
void window(Canvas& canvas, double x0, double y0, double x1, double y1, const Paint& face) {
    canvas.fillRoundedRect(x0, y0, x1, y1, 11, verticalGradient(y0, rgb(92, 95, 102), y1, rgb(38, 40, 45)));
    canvas.fillRoundedRect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, 8, solid(rgb(14, 14, 16)));
    canvas.fillRoundedRect(x0 + 4, y0 + 4, x1 - 4, y1 - 4, 7, face);
}

// Both meters behind one cream glass: needles pivot at y 260, titles and
// values are drawn in black at y 160 and 180, the frequency at (339, 52).
Canvas meterImage(const DialScale& left, const DialScale& right, std::string_view rightUnit,
                  Typesetter& type) {
    Canvas canvas = panel();
    constexpr double top = 26, bottom = 272;
    window(canvas, 6, top, kWidth - 6, bottom,
           verticalGradient(top, rgb(251, 246, 233), bottom, rgb(234, 224, 200)));
    for (int i = 0; i < 5; ++i)  // shade under the rim
        canvas.stroke({{14, top + 4.5 + i}, {kWidth - 14, top + 4.5 + i}}, 1.0, rgb(120, 100, 70),
                      0.10 - i * 0.02);
    drawDial(canvas, type, left, "W");
    drawDial(canvas, type, right, rightUnit);
    type.draw(canvas, "BRISEL", {400.5, 259}, Anchor::BaselineCentre,
              {Face::Bold, 13, rgb(160, 146, 122), 3.0});
    return canvas;
}

// A meter scale over the name, drawn with the panel's own needle geometry.
void emblem(Canvas& canvas) {
    constexpr ui::MeterPivot pivot{400, 250};
    constexpr float steps = 60.0f;
    constexpr Rgb scale = rgb(84, 96, 116);
    const auto tipAt = [&](float s) {
        const ui::NeedleTip tip = ui::needleTip(pivot.x, pivot.y, ui::needleAngle(s, steps));
        return Vec{tip.x, tip.y};
    };
    const auto along = [&](Vec tip, double distance) {
        const double length = std::hypot(tip.x - pivot.x, tip.y - pivot.y);
        return Vec{tip.x + (tip.x - pivot.x) / length * distance,
                   tip.y + (tip.y - pivot.y) / length * distance};
    };
    std::vector<Vec> arc;
    for (int s = 0; s <= 60; ++s) arc.push_back(tipAt(static_cast<float>(s)));
    canvas.stroke(arc, 2.0, scale);
    for (int s = 0; s <= 60; s += 2) {
        const Vec tip = tipAt(static_cast<float>(s));
        canvas.stroke({tip, along(tip, s % 10 == 0 ? 14.0 : 6.0)}, s % 10 == 0 ? 2.2 : 1.4, scale);
    }
    const Vec needle = tipAt(44.0f);
    canvas.stroke({along(needle, -60.0), along(needle, 4.0)}, 3.0, kAccent);
}

Canvas splash(std::string_view model, Typesetter& type) {
    // A soft blue glow behind the name.
    Canvas canvas = panel([base = panelGradient()](double x, double y) {
        const double glow = std::max(0.0, 1.0 - std::hypot(x - 400, y - 210) / 300);
        return mix(base(x, y), rgb(44, 58, 82), glow * glow * 0.9);
    });
    emblem(canvas);
    type.draw(canvas, "BRISEL", {400, 215}, Anchor::BaselineCentre,
              {Face::Bold, 92, rgb(242, 244, 248), 10.0});
    canvas.stroke({{250, 240}, {550, 240}}, 3.0, kAccent);
    type.draw(canvas, model, {400, 290}, Anchor::BaselineCentre, {Face::Bold, 34, kAccent, 1.0});
    type.draw(canvas, "LINEAR AMPLIFIER  \u00B7  AUTOMATIC ANTENNA TUNER", {400, 330}, Anchor::BaselineCentre,
              {Face::Regular, 15, rgb(170, 178, 192), 2.0});
    canvas.stroke({{0, 454.5}, {kWidth, 454.5}}, 1.0, rgb(50, 54, 62));
    return canvas;
}

Canvas statusPage(Typesetter& type) {
    Canvas canvas = panel();
    type.draw(canvas, "STATUS INFORMATION", {400, 66}, Anchor::BaselineCentre,
              {Face::Bold, 24, rgb(235, 238, 244), 3.0});
    canvas.stroke({{5, 80.5}, {795, 80.5}}, 1.0, rgb(70, 75, 84));
    canvas.stroke({{330, 80.5}, {470, 80.5}}, 3.0, kAccent);
    return canvas;
}

// The plot area: the program draws grid, labels, trace and the frequency.
Canvas spectrum(Typesetter& type) {
    Canvas canvas = panel();
    window(canvas, 6, 26, kWidth - 6, 272, solid(rgb(8, 10, 14)));
    type.draw(canvas, "kHz", {789, 263}, Anchor::BaselineRight, {Face::Regular, 12, rgb(140, 140, 140), 0.0});
    return canvas;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: brisel-image-generator OUTPUT_FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        std::cerr << "cannot create " << folder << ": " << code.message() << "\n";
        return 1;
    }
    Typesetter type;
    std::string error;
    if (!type.open(kFontFolder, error)) {
        std::cerr << error << "\n";
        return 1;
    }
    const DialScale forward60 = powerDial(ui::kLeftMeterPivot, 60);
    const DialScale forward120 = powerDial(ui::kLeftMeterPivot, 120);
    const DialScale right60 = powerDial(ui::kRightMeterPivot, 60);
    const DialScale swr = swrDial(ui::kRightMeterPivot);
    const std::vector<std::pair<std::string, std::function<Canvas()>>> images{
        {"start", [&] { return splash("HF + 6m  60W", type); }},
        {"start120", [&] { return splash("HF + 6m  120W", type); }},
        {"statusB", [] { return panel(); }},
        {"status", [&] { return statusPage(type); }},
        {"img1", [&] { return meterImage(forward60, right60, "W", type); }},
        {"img1b", [&] { return meterImage(forward120, right60, "W", type); }},
        {"img3", [&] { return meterImage(forward60, swr, "", type); }},
        {"img3b", [&] { return meterImage(forward120, swr, "", type); }},
        {"m5a", [&] { return spectrum(type); }},
    };
    for (const auto& [name, draw] : images) {
        const std::string path = (folder / (name + ".png")).string();
        if (!draw().savePng(path, error)) {
            std::cerr << "cannot write " << path << ": " << error << "\n";
            return 1;
        }
    }
    return 0;
}
