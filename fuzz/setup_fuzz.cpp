// The setup file: every key read into the record, then written back out.
#include "config/setup_file.h"
#include "core/record/setup_record.h"
#include "core/works.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static core::SetupRecord setup;
    static core::Works works;
    static const bool ready = (fuzzing::silenceLog(), works.setup = &setup, true);
    (void)ready;
    config::parseSetup(fuzzing::text(data, size), works);
    (void)config::formatSetup(works);
    return 0;
}
