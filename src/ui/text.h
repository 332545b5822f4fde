#pragma once
// UTF-8 text in TrueType faces, blended into the back store. Faces are loaded
// into numbered slots at start-up; every text call names its slot.
#include <cstdint>
#include <string>

#include "ui/framebuffer.h"

namespace ui {

inline constexpr int kFontSlots = 20;

// Loads a face (path resolved by the caller) into a slot.
void TTFLoad(const std::string& path, int pixelSize, int slot);
// Draws text with its baseline starting at pixel (x, y) into back.
void putString(int slot, int x, int y, const char* text, int r, int g, int b, FrameBuffer* fb);
// Paints a text operation recorded by putString, only inside clip when given.
void paintText(const DrawOp& op, FrameBuffer& fb, const ScreenBox* clip);
// Width in whole pixels: the sum of the glyphs' horizontal advances.
[[nodiscard]] int getStringSpace(int slot, const char* text);
// The longest start of text, in whole characters, that is at most width
// pixels wide; the whole text when the slot is empty.
[[nodiscard]] std::string textThatFits(int slot, const std::string& text, int width);
// Rendered glyphs are kept and reused unless the cache is switched off; the
// pixels drawn are the same either way.
void setGlyphCacheEnabled(bool enabled);
// 1 while a character was read, -1 at the end.
int utf8_get_next_char(const unsigned char* text, int length, int* position, int* valid, uint32_t* codePoint);

}  // namespace ui
