#pragma once
// Glyphs of one face as FreeType renders them, and a cache of them so that a
// frame does not render the same glyph again.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace ui {

// What drawing and measuring need of a loaded glyph. coverage holds rows x
// pitch 8-bit coverage bytes, top row first.
struct GlyphView {
    FT_Vector advance{};
    FT_Pos height = 0;
    FT_Pos horiBearingY = 0;
    int rows = 0;
    int pitch = 0;
    const uint8_t* coverage = nullptr;
};

// Loads and renders a character with the identity transform translated to
// pen (26.6). False when FreeType cannot load it. The view points into the
// face's glyph record and is valid until the face loads another glyph.
bool loadGlyph(FT_Face face, uint32_t codePoint, FT_Vector pen, GlyphView& glyph);

class GlyphCache {
  public:
    // Same result as loadGlyph(face, codePoint, pen) apart from where the
    // coverage is kept: the view stays valid until the next find or clear.
    bool find(FT_Face face, uint32_t codePoint, FT_Vector pen, GlyphView& glyph);
    void clear() { entries_.clear(); }

  private:
    struct Entry {
        bool loaded = false;
        GlyphView view;
        std::vector<uint8_t> pixels;
    };
    // Texts come from files and the remote client too; a bound keeps an odd
    // text from growing the cache without end.
    static constexpr size_t kMaxEntries = 512;

    std::unordered_map<uint64_t, Entry> entries_;
};

}  // namespace ui
