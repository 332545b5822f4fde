#include "remote/guess_delay.h"

#include <algorithm>

namespace remote {

std::chrono::seconds GuessDelay::waitAfter(int failures) {
    constexpr int kFree = 3;
    constexpr std::chrono::seconds kLongest{30};
    if (failures < kFree) return std::chrono::seconds{0};
    const int doublings = std::min(failures - kFree, 5);
    return std::min(std::chrono::seconds{1 << doublings}, kLongest);
}

std::chrono::seconds GuessDelay::failed(Address address, TimePoint now) {
    if (entries_.size() >= kAddresses && !entries_.contains(address)) {
        // The address whose wait ended first (or never began) is forgotten.
        auto oldest = std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
            return a.second.answerAt < b.second.answerAt;
        });
        entries_.erase(oldest);
    }
    Entry& entry = entries_[address];
    ++entry.failures;
    const std::chrono::seconds wait = waitAfter(entry.failures);
    entry.answerAt = now + wait;
    return wait;
}

void GuessDelay::succeeded(Address address) {
    entries_.erase(address);
}

GuessDelay::TimePoint GuessDelay::answerAt(Address address, TimePoint now) const {
    const auto found = entries_.find(address);
    return found == entries_.end() ? now : std::max(now, found->second.answerAt);
}

int GuessDelay::failures(Address address) const {
    const auto found = entries_.find(address);
    return found == entries_.end() ? 0 : found->second.failures;
}

}  // namespace remote
