#pragma once
// The audio threads' polling waits: each leaves as soon as its condition
// holds, the thread's enable character drops or the run ends.
#include <atomic>
#include <chrono>
#include <functional>

namespace core {
struct Works;
}  // namespace core

namespace remote {

// Polls every interval until done() holds; false when enable left '1' or the run ended first.
bool waitUntil(core::Works& works, const std::atomic<char>& enable, std::chrono::milliseconds interval,
               const std::function<bool()>& done);

}  // namespace remote
