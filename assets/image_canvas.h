#pragma once
// An 8-bit RGB drawing surface for the background images, kept in floats
// while drawing. Every shape is rasterised from its signed distance at the
// pixel centres, which gives antialiased edges without supersampling.
// Pixel (i, j) covers [i, i+1) x [j, j+1), as on the panel.
#include <functional>
#include <string>
#include <vector>

namespace images {

struct Rgb {
    float r, g, b;
};
[[nodiscard]] constexpr Rgb rgb(int r, int g, int b) {
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}
[[nodiscard]] Rgb mix(Rgb a, Rgb b, double t);

struct Vec {
    double x, y;
};

// Colour of a filled shape at a point; lets one call draw gradients.
using Paint = std::function<Rgb(double x, double y)>;
[[nodiscard]] Paint solid(Rgb colour);
[[nodiscard]] Paint verticalGradient(double y0, Rgb top, double y1, Rgb bottom);

class Canvas {
  public:
    Canvas(int width, int height, const Paint& fill);

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }

    // Mixes colour into one pixel by alpha (0..1); outside the canvas nothing.
    void blend(int x, int y, Rgb colour, double alpha);

    void fillRoundedRect(double x0, double y0, double x1, double y1, double radius, const Paint& paint,
                         double alpha = 1.0);
    void fillCircle(Vec centre, double radius, const Paint& paint, double alpha = 1.0);
    enum class Cap { Round, Butt };
    // A line of the given width through the points; butt caps end it square
    // at the first and last point.
    void stroke(const std::vector<Vec>& points, double width, Rgb colour, double alpha = 1.0,
                Cap cap = Cap::Round);

    // 8-bit RGBA with opaque alpha; false with the library's message on failure.
    [[nodiscard]] bool savePng(const std::string& path, std::string& error) const;

  private:
    template <typename Distance>
    void fillShape(double x0, double y0, double x1, double y1, const Distance& distance, const Paint& paint,
                   double alpha);

    int width_, height_;
    std::vector<Rgb> pixels_;
};

}  // namespace images
