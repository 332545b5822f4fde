// The amplifier's status reply, field by field.
#include "amp/status_reply.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)amp::ParseStatusReply(fuzzing::text(data, size));
    return 0;
}
