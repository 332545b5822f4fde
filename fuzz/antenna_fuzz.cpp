// The antenna table file of a memory bank.
#include "fuzz_input.h"
#include "tuner/antenna_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fuzzing::silenceLog(), true);
    (void)quiet;
    (void)tuner::parseAntennaFile(fuzzing::text(data, size));
    return 0;
}
