// The output of the board-temperature program.
#include "amp/thermal.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)amp::parseMyTemp(fuzzing::text(data, size));
    return 0;
}
