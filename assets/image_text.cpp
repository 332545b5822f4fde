#include "image_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace images {
namespace {

// The image texts are ASCII with the odd Latin-1 sign; longer sequences
// are decoded for completeness, malformed bytes are skipped.
std::u32string decodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : 4;
        if (i + length > text.size()) break;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(code);
        i += length;
    }
    return out;
}

bool openFace(FT_Library library, const std::string& path, FT_Face& face, std::string& error) {
    if (FT_New_Face(library, path.c_str(), 0, &face) == 0) return true;
    error = "cannot open font " + path;
    return false;
}

}  // namespace

Typesetter::~Typesetter() {
    if (regular_ != nullptr) FT_Done_Face(regular_);
    if (bold_ != nullptr) FT_Done_Face(bold_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
}

bool Typesetter::open(const std::string& fontFolder, std::string& error) {
    if (FT_Init_FreeType(&library_) != 0) {
        error = "cannot start FreeType";
        return false;
    }
    return openFace(library_, fontFolder + "/DejaVuSans.ttf", regular_, error) &&
           openFace(library_, fontFolder + "/DejaVuSans-Bold.ttf", bold_, error);
}

FT_FaceRec_* Typesetter::select(const TextStyle& style) {
    FT_Face face = style.face == Face::Bold ? bold_ : regular_;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixelSize));
    return face;
}

Typesetter::Layout Typesetter::measure(std::string_view text, const TextStyle& style) {
    FT_Face face = select(style);
    Layout layout;
    layout.inkLeft = layout.inkTop = INT_MAX;
    layout.inkRight = layout.inkBottom = INT_MIN;
    for (char32_t code : decodeUtf8(text)) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) continue;
        const FT_GlyphSlot glyph = face->glyph;
        const int x = static_cast<int>(std::lround(layout.advance)) + glyph->bitmap_left;
        if (glyph->bitmap.width > 0) {
            layout.inkLeft = std::min(layout.inkLeft, x);
            layout.inkRight = std::max(layout.inkRight, x + static_cast<int>(glyph->bitmap.width));
            layout.inkTop = std::min(layout.inkTop, -glyph->bitmap_top);
            layout.inkBottom =
                std::max(layout.inkBottom, -glyph->bitmap_top + static_cast<int>(glyph->bitmap.rows));
        }
        layout.advance += static_cast<double>(glyph->advance.x) / 64.0 + style.tracking;
    }
    layout.advance -= style.tracking;
    if (layout.inkLeft > layout.inkRight)
        layout.inkLeft = layout.inkRight = layout.inkTop = layout.inkBottom = 0;
    return layout;
}

Vec Typesetter::inkSize(std::string_view text, const TextStyle& style) {
    const Layout layout = measure(text, style);
    return {static_cast<double>(layout.inkRight - layout.inkLeft),
            static_cast<double>(layout.inkBottom - layout.inkTop)};
}

void Typesetter::draw(Canvas& canvas, std::string_view text, Vec at, Anchor anchor, const TextStyle& style) {
    const Layout layout = measure(text, style);
    Vec origin = at;
    switch (anchor) {
        case Anchor::BaselineLeft:
            break;
        case Anchor::BaselineCentre:
            origin.x -= layout.advance / 2;
            break;
        case Anchor::BaselineRight:
            origin.x -= layout.advance;
            break;
        case Anchor::InkCentre:
            origin.x -= (layout.inkLeft + layout.inkRight) / 2.0;
            origin.y -= (layout.inkTop + layout.inkBottom) / 2.0;
            break;
    }
    const int baseX = static_cast<int>(std::lround(origin.x));
    const int baseY = static_cast<int>(std::lround(origin.y));
    FT_Face face = select(style);
    double pen = 0.0;
    for (char32_t code : decodeUtf8(text)) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) continue;
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int left = baseX + static_cast<int>(std::lround(pen)) + glyph->bitmap_left;
        const int top = baseY - glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const uint8_t share =
                    bitmap.buffer[static_cast<int>(row) * bitmap.pitch + static_cast<int>(column)];
                canvas.blend(left + static_cast<int>(column), top + static_cast<int>(row), style.colour,
                             share / 255.0);
            }
        pen += static_cast<double>(glyph->advance.x) / 64.0 + style.tracking;
    }
}

}  // namespace images
