// The ADC offset file.
#include "config/config_offset_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fuzzing::silenceLog(), true);
    (void)quiet;
    (void)config::parseConfigOffset(fuzzing::text(data, size));
    return 0;
}
