// The display name file.
#include "config/name_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)config::lastNameLine(fuzzing::text(data, size));
    return 0;
}
