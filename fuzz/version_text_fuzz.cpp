// The version texts: installed versions, the status program's offer and the
// update scripts' output.
#include "config/version_text.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzzing::text(data, size);
    (void)config::versionOf(text, 20);
    (void)config::versionOf(text, 6);
    const size_t split = text.find('\n');
    const std::string_view first = text.substr(0, split);
    const std::string_view rest =
        split == std::string_view::npos ? std::string_view{} : text.substr(split + 1);
    (void)config::updateOfferOf(first, rest, rest);
    (void)config::connectionUp(rest);
    (void)config::scriptVerdictOf(text);
    return 0;
}
