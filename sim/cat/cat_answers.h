#pragma once
// What the emulated transceiver answers on its CAT port: text commands of
// letters, parameters and ';'. A query gets its value back, a setting is
// taken silently, anything else is refused with "?;".
#include <cstdint>
#include <string>

namespace sim {

struct TransceiverCat {
    int64_t frequencyA = 14074000;  // Hz
    int64_t frequencyB = 7074000;
    int mode = 2;  // 1 LSB, 2 USB, 3 CW, ...
    bool transmitting = false;
};

// The answer to one command (';' included), empty when it has none.
[[nodiscard]] std::string answerCat(TransceiverCat& radio, const std::string& command);

}  // namespace sim
