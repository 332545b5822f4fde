#include "remote/cat_replies.h"

namespace remote {

std::span<const uint8_t> CatReplies::take(uint8_t byte) {
    if (length_ == reply_.size()) length_ = 0;
    reply_[length_++] = byte;
    if (byte != ';') return {};
    const size_t length = length_;
    length_ = 0;
    return std::span<const uint8_t>(reply_.data(), length);
}

}  // namespace remote
