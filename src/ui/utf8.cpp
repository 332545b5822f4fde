#include <cstdint>

#include "ui/text.h"

namespace ui {

// Accepts exactly the well-formed byte sequences of Unicode, so overlong
// forms, surrogates and code points above U+10FFFF come out invalid. An
// invalid sequence consumes its lead byte and the continuation bytes that
// were acceptable so far, and yields code point 0.
int utf8_get_next_char(const unsigned char* text, int length, int* position, int* valid,
                       uint32_t* codePoint) {
    const int pos = *position;
    if (pos >= length) return -1;
    *codePoint = 0;
    *valid = 1;
    const uint32_t lead = text[pos];
    const int left = length - pos;

    auto invalid = [&](int consumed) {
        *valid = 0;
        *codePoint = 0;
        *position = pos + consumed;
        return 1;
    };
    auto continuation = [&](int index, uint32_t low, uint32_t high) {
        return left > index && text[pos + index] >= low && text[pos + index] <= high;
    };
    auto bits = [&](int index) { return static_cast<uint32_t>(text[pos + index] & 0x3F); };

    if (lead < 0x80) {
        *codePoint = lead;
        *position = pos + 1;
        return 1;
    }
    if (lead < 0xC2 || lead > 0xF4) return invalid(1);
    if (lead < 0xE0) {
        if (!continuation(1, 0x80, 0xBF)) return invalid(1);
        *codePoint = ((lead & 0x1F) << 6) | bits(1);
        *position = pos + 2;
        return 1;
    }
    // The second byte's range is what excludes overlong forms (E0, F0),
    // surrogates (ED) and values above U+10FFFF (F4).
    const uint32_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const uint32_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (!continuation(1, low, high)) return invalid(1);
    if (!continuation(2, 0x80, 0xBF)) return invalid(2);
    if (lead < 0xF0) {
        *codePoint = ((lead & 0x0F) << 12) | (bits(1) << 6) | bits(2);
        *position = pos + 3;
        return 1;
    }
    if (!continuation(3, 0x80, 0xBF)) return invalid(3);
    *codePoint = ((lead & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
    *position = pos + 4;
    return 1;
}

}  // namespace ui
