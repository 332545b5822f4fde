// A tune memory file.
#include <cstdio>

#include "fuzz_input.h"
#include "tuner/tune_memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Bad indices are reported on standard output as well.
    static const bool quiet = (fuzzing::silenceLog(), std::freopen("/dev/null", "w", stdout) != nullptr);
    (void)quiet;
    static core::TuneTable table;
    tuner::parseTuneMemory(fuzzing::text(data, size), table);
    return 0;
}
