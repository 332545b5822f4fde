// The network interfaces file, read and rewritten.
#include "config/interfaces_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzzing::text(data, size);
    const config::LanTexts texts = config::lanTextsOf(text);
    config::LanValues values;
    values.IP = config::SplitAddr(texts.IP);
    values.DNS = config::SplitAddr(texts.DNS);
    values.Gateway_none = texts.Gateway.empty();
    (void)config::rewriteInterfaces(text, values);
    return 0;
}
