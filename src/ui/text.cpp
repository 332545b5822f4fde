#include "ui/text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/log.h"
#include "ui/glyph_cache.h"

namespace ui {
namespace {

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};

// A slot owns the FreeType instance its face was opened with, so loading a
// slot again releases the face it held before.
struct FontSlot {
    std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library;
    FT_Face face = nullptr;
    GlyphCache cache;
};

// FreeType faces are not safe for concurrent use and the main loop and the
// key dispatch draw with the same faces: every face and cache use holds this.
std::mutex textMutex;
std::array<FontSlot, kFontSlots> slots;
bool cacheEnabled = true;

// An empty slot (never loaded, or its face failed to load) draws nothing
// and measures 0.
FontSlot* loadedSlot(int slot) {
    if (slot < 0 || slot >= kFontSlots || slots[slot].face == nullptr) return nullptr;
    return &slots[slot];
}

bool glyphAt(FontSlot& font, uint32_t codePoint, FT_Vector pen, GlyphView& glyph) {
    return cacheEnabled ? font.cache.find(font.face, codePoint, pen, glyph)
                        : loadGlyph(font.face, codePoint, pen, glyph);
}

template <typename Visit>
void forEachCodePoint(const char* text, Visit visit) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int length = static_cast<int>(std::strlen(text));
    int position = 0;
    int valid = 0;
    uint32_t codePoint = 0;
    // Invalid sequences come back as code point 0, the font's missing-glyph shape.
    while (utf8_get_next_char(bytes, length, &position, &valid, &codePoint) == 1) visit(codePoint);
}

// The glyph starts exactly at the pen (its left bearing is not applied) and
// its box stands on the baseline; rows are walked bottom first over the full
// pitch. Pixels whose offset falls outside the frame are skipped, so text
// past the right edge wraps onto the next row but never leaves the frame.
struct GlyphPlace {
    int64_t left;
    int64_t bottom;
};

GlyphPlace placeOf(const GlyphView& glyph, FT_Vector pen) {
    return {pen.x / 64, (pen.y + glyph.height - glyph.horiBearingY) / 64};
}

void blendGlyph(const GlyphView& glyph, FT_Vector pen, const int colour[3], FrameBuffer& fb,
                const ScreenBox* clip) {
    const GlyphPlace place = placeOf(glyph, pen);
    const int64_t size = fb.size;
    int firstRow = 0, endRow = glyph.rows, firstColumn = 0, endColumn = glyph.pitch;
    // On the screen's own columns the clip is a plain range of rows and columns.
    if (clip != nullptr && place.left >= 0 && place.left + glyph.pitch <= int64_t{fb.width}) {
        firstRow = static_cast<int>(std::clamp<int64_t>(place.bottom - clip->bottom + 1, 0, glyph.rows));
        endRow = static_cast<int>(std::clamp<int64_t>(place.bottom - clip->top + 1, 0, glyph.rows));
        firstColumn = static_cast<int>(std::clamp<int64_t>(clip->left - place.left, 0, glyph.pitch));
        endColumn = static_cast<int>(std::clamp<int64_t>(clip->right - place.left, 0, glyph.pitch));
        clip = nullptr;
    }
    for (int row = firstRow; row < endRow; ++row) {
        const uint8_t* coverage = glyph.coverage + static_cast<ptrdiff_t>(glyph.rows - 1 - row) * glyph.pitch;
        const int64_t y = place.bottom - row;
        const int64_t rowOffset = y * int64_t{fb.lineLength};
        for (int column = firstColumn; column < endColumn; ++column) {
            const int64_t offset = rowOffset + (place.left + column) * 4;
            if (offset < 0 || offset + 3 >= size || !clipAllows(clip, place.left + column, y, fb)) continue;
            const int a = coverage[column];
            uint8_t* pixel = fb.back + offset;
            for (int k = 0; k < 3; ++k)
                pixel[k] = static_cast<uint8_t>((a & colour[k]) + (255 - a) * pixel[k] / 255);
            pixel[3] = 0;
        }
    }
}

// Calls visit(glyph, pen) for every glyph of the text as drawn from (x, y).
template <typename Visit>
void forEachGlyph(FontSlot& font, int x, int y, const char* text, Visit visit) {
    FT_Vector pen{FT_Pos{x} * 64, FT_Pos{y} * 64};
    forEachCodePoint(text, [&](uint32_t codePoint) {
        GlyphView glyph;
        if (!glyphAt(font, codePoint, pen, glyph)) return;  // skipped, the pen stays
        visit(glyph, pen);
        pen.x += glyph.advance.x;
        pen.y += glyph.advance.y;
    });
}

ScreenBox textBox(int slot, int x, int y, const char* text, const FrameBuffer& fb) {
    std::lock_guard lock(textMutex);
    FontSlot* font = loadedSlot(slot);
    if (font == nullptr) return {};
    ScreenBox box;
    forEachGlyph(*font, x, y, text, [&](const GlyphView& glyph, FT_Vector pen) {
        if (glyph.rows <= 0 || glyph.pitch <= 0) return;
        const GlyphPlace place = placeOf(glyph, pen);
        box = unite(box, boxOfPixels(place.left, place.bottom - glyph.rows + 1, place.left + glyph.pitch - 1,
                                     place.bottom, fb));
    });
    return box;
}

}  // namespace

void TTFLoad(const std::string& path, int pixelSize, int slot) {
    if (slot < 0 || slot >= kFontSlots) {
        platform::logError("TTFLoad: font slot %d does not exist", slot);
        return;
    }
    std::lock_guard lock(textMutex);
    FontSlot& target = slots[slot];
    target.cache.clear();
    target.face = nullptr;
    target.library.reset();

    platform::logInfo("Iinitializing FreeType");
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        platform::logError("Error initializing FreeType");
        return;
    }
    target.library.reset(library);

    platform::logInfo("Loading face: filename=%s", path.c_str());
    FT_Face face = nullptr;
    const FT_Error error = FT_New_Face(library, path.c_str(), 0, &face);
    if (error == FT_Err_Unknown_File_Format) {
        platform::logError("FreeType: file format not supported");
        return;
    }
    if (error != 0) {
        platform::logError("FreeType: file error");
        return;
    }
    platform::logInfo("Face loaded");

    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        platform::logError("Error Setting Pixel Size");
    platform::logInfo("Pixel size sat");
    target.face = face;
}

// Text is only drawn into 4-byte pixels; other formats get none.
void putString(int slot, int x, int y, const char* text, int r, int g, int b, FrameBuffer* fb) {
    if (text == nullptr || fb == nullptr || fb->bytesPerPixel != 4) return;
    DrawOp op;
    op.kind = DrawOp::Kind::Text;
    op.slot = slot;
    op.x0 = x;
    op.y0 = y;
    op.r = r;
    op.g = g;
    op.b = b;
    op.text = text;
    if (fb->composing) op.box = textBox(slot, x, y, text, *fb);
    drawOrRecord(*fb, std::move(op));
}

void paintText(const DrawOp& op, FrameBuffer& fb, const ScreenBox* clip) {
    std::lock_guard lock(textMutex);
    FontSlot* font = loadedSlot(op.slot);
    if (font == nullptr) return;
    const int colour[3] = {op.b, op.g, op.r};  // memory order of a pixel
    forEachGlyph(*font, op.x0, op.y0, op.text.c_str(),
                 [&](const GlyphView& glyph, FT_Vector pen) { blendGlyph(glyph, pen, colour, fb, clip); });
}

int getStringSpace(int slot, const char* text) {
    if (text == nullptr) return 0;
    std::lock_guard lock(textMutex);
    FontSlot* font = loadedSlot(slot);
    if (font == nullptr) return 0;
    FT_Pos width = 0;
    forEachCodePoint(text, [&](uint32_t codePoint) {
        GlyphView glyph;
        if (glyphAt(*font, codePoint, FT_Vector{0, 0}, glyph)) width += glyph.advance.x;
    });
    return static_cast<int>(width / 64);
}

std::string textThatFits(int slot, const std::string& text, int width) {
    std::lock_guard lock(textMutex);
    FontSlot* font = loadedSlot(slot);
    if (font == nullptr) return text;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const int length = static_cast<int>(std::strlen(text.c_str()));
    int position = 0, fitting = 0, valid = 0;
    uint32_t codePoint = 0;
    FT_Pos advance = 0;
    while (utf8_get_next_char(bytes, length, &position, &valid, &codePoint) == 1) {
        GlyphView glyph;
        if (glyphAt(*font, codePoint, FT_Vector{0, 0}, glyph)) advance += glyph.advance.x;
        if (advance / 64 > width) break;
        fitting = position;
    }
    return text.substr(0, static_cast<size_t>(fitting));
}

void setGlyphCacheEnabled(bool enabled) {
    std::lock_guard lock(textMutex);
    cacheEnabled = enabled;
}

}  // namespace ui
