// The auxiliary link's messages as the port delivers them: a type byte and
// its header, a parameter block or a spectrum line of at most the announced
// length, and whatever follows it.
#include <algorithm>

#include "fuzz_input.h"
#include "radio/aux_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kStart = 1 + radio::kHeaderSize;
    if (size < kStart) return 0;
    const std::span<const uint8_t, radio::kHeaderSize> header(data + 1, radio::kHeaderSize);
    // A header that belongs to a message is a place where one can start.
    if (radio::headerConsistent(data[0], header) && !radio::nextMessageCanStart({data, kStart}))
        __builtin_trap();
    const int length = radio::decodeCmdParameters(header.subspan<1, 4>());
    if (length < 0 || length > radio::kMaxDataLength) __builtin_trap();
    std::span<const uint8_t> body(data + kStart, std::min(size - kStart, static_cast<size_t>(length)));
    const std::span<const uint8_t> following(body.data() + body.size(), data + size);
    // What fewer of the following bytes show can only allow more.
    for (size_t n = std::min(following.size(), kStart); n > 0; --n)
        if (radio::nextMessageCanStart(following.first(n)) &&
            !radio::nextMessageCanStart(following.first(n - 1)))
            __builtin_trap();
    radio::QorParams params{};
    if (data[0] % 2 == radio::kParameterMessage) {
        radio::storeParameters(params, body);
        radio::storeParameters(params, body);
    }
    if (radio::spectrumValues(body).size() > 854) __builtin_trap();
    if (radio::remoteSpectrum(params, body).size() > 1024) __builtin_trap();
    return 0;
}
