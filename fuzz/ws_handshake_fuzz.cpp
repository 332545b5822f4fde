// The remote connection's opening handshake: request lines counted, the key
// taken, and the accept value computed once the request is complete, or the
// page answered once a plain request for it ended.
#include <algorithm>

#include "fuzz_input.h"
#include "remote/handshake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceLog();
    std::string_view text = fuzzing::text(data, size);
    remote::HeaderPhase header;
    while (!text.empty() && !header.complete() && !header.plainRequestEnded()) {
        // Lines as the server reads them: up to a line feed, at most 1023 characters.
        const size_t newline = text.find('\n');
        const size_t end = std::min(newline == std::string_view::npos ? text.size() : newline + 1,
                                    remote::kLineCapacity - 1);
        if (header.take(text.substr(0, end)) == remote::HeaderPhase::Line::KeyTooLong) return 0;
        text.remove_prefix(end);
    }
    if (header.complete()) (void)remote::handshakeReply(header.key());
    if (header.plainRequestEnded())
        (void)(header.pageAsked() ? remote::pageReply("<p>page</p>") : remote::notFoundReply());
    return 0;
}
