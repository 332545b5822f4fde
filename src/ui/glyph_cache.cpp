#include "ui/glyph_cache.h"

namespace ui {

bool loadGlyph(FT_Face face, uint32_t codePoint, FT_Vector pen, GlyphView& glyph) {
    FT_Matrix identity{0x10000, 0, 0, 0x10000};
    FT_Set_Transform(face, &identity, &pen);
    if (FT_Load_Char(face, codePoint, FT_LOAD_RENDER) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    glyph.advance = slot->advance;
    glyph.height = slot->metrics.height;
    glyph.horiBearingY = slot->metrics.horiBearingY;
    glyph.rows = static_cast<int>(slot->bitmap.rows);
    glyph.pitch = slot->bitmap.pitch;
    glyph.coverage = slot->bitmap.buffer;
    return true;
}

// FreeType moves the outline by the whole translation before rendering. A
// whole-pixel move only shifts the bitmap's origin, which drawing does not
// use, while the fraction changes the coverage. So a rendering is kept per
// character and 26.6 fraction of the pen, and made with the fraction alone.
bool GlyphCache::find(FT_Face face, uint32_t codePoint, FT_Vector pen, GlyphView& glyph) {
    const FT_Vector fraction{pen.x & 63, pen.y & 63};
    const uint64_t key = (uint64_t{codePoint} << 12) | (static_cast<uint64_t>(fraction.x) << 6) |
                         static_cast<uint64_t>(fraction.y);
    auto found = entries_.find(key);
    if (found == entries_.end()) {
        if (entries_.size() >= kMaxEntries) entries_.clear();
        found = entries_.try_emplace(key).first;
        Entry& entry = found->second;
        entry.loaded = loadGlyph(face, codePoint, fraction, entry.view);
        if (entry.loaded) {
            const auto bytes = static_cast<size_t>(entry.view.rows) * static_cast<size_t>(entry.view.pitch);
            entry.pixels.assign(entry.view.coverage, entry.view.coverage + bytes);
            entry.view.coverage = entry.pixels.data();
        }
    }
    if (!found->second.loaded) return false;
    glyph = found->second.view;
    return true;
}

}  // namespace ui
