#include "remote/guess_limit.h"

#include <algorithm>

namespace remote {

GuessLimit::TimePoint GuessLimit::failed(TimePoint now) {
    // Each failure puts the full burst one interval further off; the next
    // handshake may come as soon as no more than a burst is owed.
    refilled_ = std::max(refilled_, now) + kInterval;
    return std::max(now, refilled_ - kBurst * kInterval);
}

}  // namespace remote
