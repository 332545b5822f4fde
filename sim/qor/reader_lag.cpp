#include "sim/qor/reader_lag.h"

#include <algorithm>

namespace sim {

void ReaderLag::sent(size_t bytes, Clock::time_point at) {
    sentBytes_ += bytes;
    waiting_.push_back({sentBytes_, at});
}

void ReaderLag::unread(size_t bytes, Clock::time_point at) {
    const uint64_t read = sentBytes_ - std::min<uint64_t>(bytes, sentBytes_);
    while (!waiting_.empty() && waiting_.front().end <= read) {
        longest_ = std::max(longest_, at - waiting_.front().sentAt);
        waiting_.pop_front();
    }
}

std::chrono::milliseconds ReaderLag::takeLongest() {
    const auto longest = std::chrono::duration_cast<std::chrono::milliseconds>(longest_);
    longest_ = {};
    return longest;
}

}  // namespace sim
