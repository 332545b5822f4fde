// The FT-817's five-byte replies, at every offset of the input: a decoded
// frequency is whole tens of hertz below 1 GHz, from a reply ending in a mode.
#include <span>

#include "fuzz_input.h"
#include "radio/cat_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t at = 0; at + radio::kCatReplySize <= size; ++at) {
        std::span<const uint8_t, radio::kCatReplySize> reply(data + at, radio::kCatReplySize);
        if (std::optional<int32_t> frequency = radio::decodeCatFrequency(reply))
            if (*frequency < 0 || *frequency > 999'999'990 || *frequency % 10 != 0 ||
                !radio::knownCatMode(reply[4]))
                __builtin_trap();
    }
    return 0;
}
