#pragma once
// Text for the background images: the DejaVu faces rendered by FreeType as
// 8-bit coverage and blended onto the canvas.
#include <string>
#include <string_view>

#include "image_canvas.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace images {

enum class Face { Regular, Bold };

// Which point of the text lands on the given position: the start, middle or
// end of its baseline, or the centre of its inked box (for dial numbers).
enum class Anchor { BaselineLeft, BaselineCentre, BaselineRight, InkCentre };

struct TextStyle {
    Face face = Face::Regular;
    int pixelSize = 14;
    Rgb colour{};
    double tracking = 0.0;  // extra pixels after every character
};

class Typesetter {
  public:
    Typesetter() = default;
    ~Typesetter();
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    // Opens DejaVuSans.ttf and DejaVuSans-Bold.ttf of the folder; false with a message on failure.
    [[nodiscard]] bool open(const std::string& fontFolder, std::string& error);

    void draw(Canvas& canvas, std::string_view text, Vec at, Anchor anchor, const TextStyle& style);
    // Width and height of the inked box of the text.
    [[nodiscard]] Vec inkSize(std::string_view text, const TextStyle& style);

  private:
    struct Layout {
        double advance = 0.0;
        int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
    };
    FT_FaceRec_* select(const TextStyle& style);
    Layout measure(std::string_view text, const TextStyle& style);

    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* regular_ = nullptr;
    FT_FaceRec_* bold_ = nullptr;
};

}  // namespace images
