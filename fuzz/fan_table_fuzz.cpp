// A fan table file.
#include "amp/fan_table.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fuzzing::silenceLog(), true);
    (void)quiet;
    (void)amp::parseFanTable(fuzzing::text(data, size));
    return 0;
}
