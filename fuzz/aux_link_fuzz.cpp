// The auxiliary link's messages as the port delivers them: a length field,
// then a parameter block or a spectrum line of at most that many bytes.
#include <algorithm>

#include "fuzz_input.h"
#include "radio/aux_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const int length = radio::decodeCmdParameters(std::span<const uint8_t, 4>(data + 1, 4));
    if (length < 0 || length > radio::kMaxDataLength) __builtin_trap();
    std::span<const uint8_t> body(data + 5, std::min(size - 5, static_cast<size_t>(length)));
    radio::QorParams params{};
    if (data[0] % 2 == radio::kParameterMessage) {
        radio::storeParameters(params, body);
        radio::storeParameters(params, body);
    }
    if (radio::spectrumValues(body).size() > 854) __builtin_trap();
    if (radio::remoteSpectrum(params, body).size() > 1024) __builtin_trap();
    return 0;
}
