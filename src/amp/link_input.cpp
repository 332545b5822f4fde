#include "amp/link_input.h"

#include <algorithm>
#include <span>

namespace amp {

bool LinkInput::next(uint8_t& byte) {
    if (next_ == end_) return false;
    byte = bytes_[next_++];
    return true;
}

int LinkInput::fill(platform::SerialPort& port, int waiting) {
    const size_t room = std::min(static_cast<size_t>(std::max(waiting, 1)), bytes_.size());
    const int result = port.readSome(std::span(bytes_.data(), room));
    next_ = 0;
    end_ = result > 0 ? static_cast<size_t>(result) : 0;
    return result;
}

}  // namespace amp
