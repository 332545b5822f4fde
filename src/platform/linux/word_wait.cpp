#include "platform/linux/word_wait.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <ctime>

#include "platform/clock.h"

namespace platform {
namespace {

// The futex is the word itself: std::atomic<uint32_t> holds nothing else.
static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));

uint32_t* address(const std::atomic<uint32_t>& word) {
    return reinterpret_cast<uint32_t*>(const_cast<std::atomic<uint32_t>*>(&word));
}

}  // namespace

bool waitWhileUnchanged(const std::atomic<uint32_t>& word, uint32_t seen, std::chrono::nanoseconds timeout) {
    using namespace std::chrono;
    const auto end = steady_clock::now() + timeout;
    while (word == seen) {
        const nanoseconds left = end - steady_clock::now();
        if (left <= nanoseconds::zero()) return false;
        const auto whole = duration_cast<seconds>(left);
        timespec relative{static_cast<time_t>(whole.count()), static_cast<long>((left - whole).count())};
        // A wake, a change before the wait, a signal or the time-out: the loop looks again.
        ::syscall(SYS_futex, address(word), FUTEX_WAIT_PRIVATE, seen, &relative, nullptr, 0);
    }
    return true;
}

void wakeWatchers(std::atomic<uint32_t>& word) {
    ++word;
    ::syscall(SYS_futex, address(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

}  // namespace platform
