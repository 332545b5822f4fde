// The amplifier link's receive side: bytes gathered into frames, each frame's checksum checked.
#include "amp/frame.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    amp::FrameAssembler assembler;
    for (char byte : fuzzing::text(data, size)) {
        if (assembler.push(byte) != amp::FrameAssembler::Result::Complete) continue;
        (void)amp::checkFrame(assembler.frame());
        (void)amp::checkFrame(assembler.frame(), amp::HexCase::Lower);
        assembler.clear();
    }
    return 0;
}
