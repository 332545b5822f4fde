#include "platform/sim/scaled_clock.h"

#include <cmath>
#include <cstdlib>
#include <thread>

#include "platform/linux/word_wait.h"

namespace platform {

ScaledClock::ScaledClock(double scale)
    : scale_(scale),
      origin_(std::chrono::steady_clock::now()),
      wallOrigin_(std::chrono::system_clock::now()) {}

Clock::Duration ScaledClock::elapsed() const {
    const std::chrono::duration<double, std::nano> real = std::chrono::steady_clock::now() - origin_;
    return std::chrono::duration_cast<Duration>(real * scale_);
}

Clock::TimePoint ScaledClock::now() {
    return origin_ + elapsed();
}

std::chrono::system_clock::time_point ScaledClock::systemTime() {
    return wallOrigin_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(elapsed());
}

void ScaledClock::sleepFor(Duration duration) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::nano>(duration) / scale_);
}

bool ScaledClock::sleepUnlessChanged(Duration duration, const std::atomic<uint32_t>& word, uint32_t seen) {
    const std::chrono::duration<double, std::nano> real =
        std::chrono::duration<double, std::nano>(duration) / scale_;
    return waitWhileUnchanged(word, seen, std::chrono::duration_cast<std::chrono::nanoseconds>(real));
}

std::optional<double> parseTimeScale(const std::string& text) {
    char* end = nullptr;
    const double scale = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(scale) || scale <= 0.0) return std::nullopt;
    return scale;
}

}  // namespace platform
