// UTF-8 decoding of the texts drawn on the panel.
#include "fuzz_input.h"
#include "ui/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int length = static_cast<int>(size);
    int position = 0;
    while (position < length) {
        const int before = position;
        int valid = 0;
        uint32_t codePoint = 0;
        if (ui::utf8_get_next_char(data, length, &position, &valid, &codePoint) <= 0 || position <= before)
            break;
    }
    return 0;
}
