#pragma once
// A value shared between threads together with the lock that guards it: the
// only way to the value is through with(), which holds the lock for the call.
#include <mutex>
#include <utility>

namespace core {

template <class T>
class Guarded {
  public:
    template <class F>
    decltype(auto) with(F&& use) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(use)(value_);
    }
    template <class F>
    decltype(auto) with(F&& use) const {
        std::lock_guard lock(mutex_);
        return std::forward<F>(use)(value_);
    }

  private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace core
