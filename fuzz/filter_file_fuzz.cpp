// The receive filter file, as loaded and as checked from a USB stick.
#include "config/filter_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzzing::text(data, size);
    (void)config::filterFileText(config::filterRowsOf(text));
    for (const config::FilterLine& line : config::filterLinesOf(text)) (void)config::filterLinePasses(line);
    return 0;
}
