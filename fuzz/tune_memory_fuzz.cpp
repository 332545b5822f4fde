// A tune memory file.
#include "fuzz_input.h"
#include "tuner/tune_memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fuzzing::silenceLog(), true);
    (void)quiet;
    static tuner::TuneTable table;
    tuner::parseTuneMemory(fuzzing::text(data, size), table);
    return 0;
}
