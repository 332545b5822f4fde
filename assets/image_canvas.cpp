#include "image_canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace images {
namespace {

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

// Share of a pixel inside a shape whose edge is `distance` away from the
// pixel centre (negative inside): a one-pixel linear ramp.
double coverage(double distance) {
    return clamp01(0.5 - distance);
}

double segmentDistance(Vec p, Vec a, Vec b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? clamp01(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

uint8_t toByte(float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
}

}  // namespace

Rgb mix(Rgb a, Rgb b, double t) {
    const auto f = static_cast<float>(clamp01(t));
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

Paint solid(Rgb colour) {
    return [colour](double, double) { return colour; };
}

Paint verticalGradient(double y0, Rgb top, double y1, Rgb bottom) {
    return [=](double, double y) { return mix(top, bottom, (y - y0) / (y1 - y0)); };
}

Canvas::Canvas(int width, int height, const Paint& fill)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            pixels_[static_cast<std::size_t>(y * width_ + x)] = fill(x + 0.5, y + 0.5);
}

void Canvas::blend(int x, int y, Rgb colour, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0) return;
    Rgb& target = pixels_[static_cast<std::size_t>(y * width_ + x)];
    target = mix(target, colour, alpha);
}

template <typename Distance>
void Canvas::fillShape(double x0, double y0, double x1, double y1, const Distance& distance,
                       const Paint& paint, double alpha) {
    const int left = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    const int top = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    const int right = std::min(width_ - 1, static_cast<int>(std::ceil(x1)) + 1);
    const int bottom = std::min(height_ - 1, static_cast<int>(std::ceil(y1)) + 1);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const Vec centre{x + 0.5, y + 0.5};
            const double share = coverage(distance(centre));
            if (share > 0.0) blend(x, y, paint(centre.x, centre.y), share * alpha);
        }
}

void Canvas::fillRoundedRect(double x0, double y0, double x1, double y1, double radius, const Paint& paint,
                             double alpha) {
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
    fillShape(
        x0, y0, x1, y1,
        [=](Vec p) {
            const double qx = std::abs(p.x - cx) - hx, qy = std::abs(p.y - cy) - hy;
            return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
                   radius;
        },
        paint, alpha);
}

void Canvas::fillCircle(Vec centre, double radius, const Paint& paint, double alpha) {
    fillShape(
        centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius,
        [=](Vec p) { return std::hypot(p.x - centre.x, p.y - centre.y) - radius; }, paint, alpha);
}

void Canvas::stroke(const std::vector<Vec>& points, double width, Rgb colour, double alpha, Cap cap) {
    if (points.empty()) return;
    const double half = width / 2;
    double x0 = points[0].x, y0 = points[0].y, x1 = x0, y1 = y0;
    for (const Vec& p : points) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    const int left = std::max(0, static_cast<int>(std::floor(x0 - half)) - 1);
    const int top = std::max(0, static_cast<int>(std::floor(y0 - half)) - 1);
    const int right = std::min(width_ - 1, static_cast<int>(std::ceil(x1 + half)) + 1);
    const int bottom = std::min(height_ - 1, static_cast<int>(std::ceil(y1 + half)) + 1);
    if (left > right || top > bottom) return;
    const int maskWidth = right - left + 1;
    std::vector<double> mask(static_cast<std::size_t>(maskWidth * (bottom - top + 1)), 0.0);

    // How far a point lies beyond the plane through `end` facing away from `inner`.
    const auto beyond = [](Vec p, Vec end, Vec inner) {
        const double dx = end.x - inner.x, dy = end.y - inner.y;
        const double length = std::hypot(dx, dy);
        return length > 0.0 ? ((p.x - end.x) * dx + (p.y - end.y) * dy) / length : -1e9;
    };
    const bool butt = cap == Cap::Butt && points.size() > 1;
    // Each pixel keeps the coverage of its nearest segment, so joints are not painted twice.
    const auto cover = [&](Vec a, Vec b) {
        const int sx0 = std::max(left, static_cast<int>(std::floor(std::min(a.x, b.x) - half)) - 1);
        const int sy0 = std::max(top, static_cast<int>(std::floor(std::min(a.y, b.y) - half)) - 1);
        const int sx1 = std::min(right, static_cast<int>(std::ceil(std::max(a.x, b.x) + half)) + 1);
        const int sy1 = std::min(bottom, static_cast<int>(std::ceil(std::max(a.y, b.y) + half)) + 1);
        for (int y = sy0; y <= sy1; ++y)
            for (int x = sx0; x <= sx1; ++x) {
                const Vec centre{x + 0.5, y + 0.5};
                double distance = segmentDistance(centre, a, b) - half;
                if (butt)
                    distance = std::max({distance, beyond(centre, points.front(), points[1]),
                                         beyond(centre, points.back(), points[points.size() - 2])});
                double& share = mask[static_cast<std::size_t>((y - top) * maskWidth + (x - left))];
                share = std::max(share, coverage(distance));
            }
    };
    if (points.size() == 1) cover(points[0], points[0]);
    for (std::size_t i = 1; i < points.size(); ++i) cover(points[i - 1], points[i]);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            blend(x, y, colour, mask[static_cast<std::size_t>((y - top) * maskWidth + (x - left))] * alpha);
}

bool Canvas::savePng(const std::string& path, std::string& error) const {
    std::vector<uint8_t> rgba;
    rgba.reserve(pixels_.size() * 4);
    for (const Rgb& p : pixels_) {
        rgba.push_back(toByte(p.r));
        rgba.push_back(toByte(p.g));
        rgba.push_back(toByte(p.b));
        rgba.push_back(255);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width_);
    image.height = static_cast<png_uint_32>(height_);
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0) return true;
    error = image.message;
    png_image_free(&image);
    return false;
}

}  // namespace images
