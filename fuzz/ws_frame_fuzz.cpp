// The remote connection's receive side: frames of the three length forms and
// a browser's masked frames read from a peer that hands out the bytes in
// pieces, then taken apart.
#include <algorithm>

#include "fuzz_input.h"
#include "remote/audio_config.h"
#include "remote/frame_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceLog();
    if (size == 0) return 0;
    // The first byte sets how many bytes each read hands out, as a socket may.
    const size_t piece = data[0] % 16 + 1;
    size_t position = 1;
    const remote::ReadBytes read = [&](uint8_t* into, size_t count) -> ssize_t {
        const size_t take = std::min({count, piece, size - position});
        if (take == 0) return 0;
        std::copy_n(data + position, take, into);
        position += take;
        return static_cast<ssize_t>(take);
    };
    remote::Frame frame;
    while (remote::readFrame(read, frame) == remote::FrameRead::Complete) {
        const remote::Message message = remote::messageOf(frame);
        if (message.form == remote::MessageForm::Text) (void)remote::unmaskedText(frame);
        if (message.form == remote::MessageForm::ShortBinary && message.code == "CF")
            (void)remote::parseAudioConfig(message.data);
    }
    return 0;
}
