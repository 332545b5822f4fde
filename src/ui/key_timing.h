#pragma once
// The six front-panel keys over time: debounce, one key at a time, press,
// long press with repeat, short press at release. Fed once per GPIO pass with
// the keys' levels and the monotonic time.
#include <array>
#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace ui {

inline constexpr int kKeyCount = 6;

class KeyTiming {
  public:
    // key 1..6; held 0 for a short press, else the mask of the key's bit
    // (1 << (key - 1)) for a long press or a repeat. Non-zero asks for repeat.
    using Dispatch = std::function<int(int key, int held)>;
    // Called with true when a long press is near ("Entering second function..."
    // on the screen), before the press is dispatched so the dispatch can take
    // it down; with false when the key is released, so that neither a repeated
    // key nor a press the dispatch did not act on leaves it on the screen.
    using Announce = std::function<void(bool near)>;

    // levels: bit key - 1 is the key's level, 0 while pressed. longPress in seconds.
    void pass(uint32_t levels, platform::Clock::TimePoint now, double longPress, const Dispatch& dispatch,
              const Announce& announce);

  private:
    struct Key {
        int accepted = 1;
        int counter = 0;
        // The key read pressed at start: it counts only once released.
        bool ignored = false;
    };

    bool debounce(int index, uint32_t levels);

    std::array<Key, kKeyCount> keys_{};
    bool started_ = false;
    int heldKey_ = 0;  // 1..6, 0 none
    bool fired_ = false;
    int repeats_ = 0;
    platform::Clock::TimePoint pressTime_{};
};

}  // namespace ui
