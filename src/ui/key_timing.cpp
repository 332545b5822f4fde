#include "ui/key_timing.h"

#include <chrono>

namespace ui {
namespace {

// Passes with a differing level, counted since the last accepted change,
// before the new level counts.
constexpr int kDebounceCount = 5;
constexpr double kRepeatPeriod = 0.1;
constexpr double kFastRepeatPeriod = 0.02;
constexpr int kSlowRepeats = 14;
// How long before a long press the screen announces it.
constexpr double kAnnounceAhead = 0.15;

int levelOf(uint32_t levels, int index) {
    return (levels >> index) & 1u;
}

}  // namespace

bool KeyTiming::debounce(int index, uint32_t levels) {
    Key& key = keys_[index];
    if (levelOf(levels, index) == key.accepted) return false;
    if (key.counter < kDebounceCount) {
        ++key.counter;
        return false;
    }
    const uint32_t others = ((1u << kKeyCount) - 1) & ~(1u << index);
    if ((levels & others) != others) return false;
    key.accepted = levelOf(levels, index);
    key.counter = 0;
    return true;
}

void KeyTiming::pass(uint32_t levels, platform::Clock::TimePoint now, double longPress,
                     const Dispatch& dispatch, const Announce& announce) {
    if (!started_) {
        started_ = true;
        for (int index = 0; index < kKeyCount; ++index) {
            keys_[index].accepted = levelOf(levels, index);
            keys_[index].ignored = keys_[index].accepted == 0;
        }
    }
    for (int index = 0; index < kKeyCount; ++index) {
        Key& key = keys_[index];
        const int number = index + 1;
        const bool changed = debounce(index, levels);

        if (heldKey_ == 0 && key.accepted == 0 && !key.ignored) {
            pressTime_ = now;
            heldKey_ = number;
        }
        if (heldKey_ == number && !fired_) {
            const double threshold = repeats_ == 0              ? longPress
                                     : repeats_ <= kSlowRepeats ? kRepeatPeriod
                                                                : kFastRepeatPeriod;
            const double elapsed = std::chrono::duration<double>(now - pressTime_).count();
            if (elapsed - threshold > -kAnnounceAhead) announce(true);
            if (elapsed - threshold > 0) {
                fired_ = true;
                if (dispatch(number, 1 << index) != 0) {
                    fired_ = false;
                    ++repeats_;
                    pressTime_ = now;
                }
            }
        }
        if (changed && key.accepted == 1) {
            if (heldKey_ == number) {
                // A key that repeated has fired, though its mark was cleared for the next repeat.
                if (!fired_ && repeats_ == 0) dispatch(number, 0);
                announce(false);
                heldKey_ = 0;
                fired_ = false;
            }
            key.ignored = false;
            repeats_ = 0;
        }
    }
}

}  // namespace ui
