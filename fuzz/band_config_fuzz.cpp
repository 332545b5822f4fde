// The band configuration file.
#include "config/band_config_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fuzzing::silenceLog(), true);
    (void)quiet;
    (void)config::parseBandConfig(fuzzing::text(data, size), {10, 20, 30});
    return 0;
}
