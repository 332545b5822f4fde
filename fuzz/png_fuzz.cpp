// Background images: PNG decoding into a screen-sized store.
#include <vector>

#include "fuzz_input.h"
#include "ui/framebuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ui::FrameBuffer fb;
    static std::vector<uint8_t> store;
    static const bool ready = [] {
        fuzzing::silenceLog();
        fb.width = 800;
        fb.height = 480;
        fb.bytesPerPixel = 4;
        fb.lineLength = fb.width * fb.bytesPerPixel;
        fb.size = fb.lineLength * fb.height;
        store.resize(fb.size);
        return true;
    }();
    (void)ready;
    // An offset that puts part of the image off the screen exercises the clipping too.
    (void)ui::placePng({data, size}, "fuzz", store.data(), fb, size % 7 == 0 ? -5 : 3, 2);
    return 0;
}
