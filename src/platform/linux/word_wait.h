#pragma once
// Real-time waits on a 32-bit word that another thread changes and then
// wakes (platform::wakeWatchers), for the clocks that sleep in real time.
#include <atomic>
#include <chrono>
#include <cstdint>

namespace platform {

// Waits until word no longer holds seen or timeout has passed; true when it changed.
bool waitWhileUnchanged(const std::atomic<uint32_t>& word, uint32_t seen, std::chrono::nanoseconds timeout);

}  // namespace platform
