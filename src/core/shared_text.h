#pragma once
// A short text field of the shared record that one thread writes while
// others read it: copies in and out under a lock of its own, cut to fit.
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace core {

template <std::size_t Capacity>  // including the terminating NUL
class SharedText {
  public:
    [[nodiscard]] std::string get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    void set(std::string_view text) {
        std::lock_guard lock(mutex_);
        text_.assign(text.substr(0, Capacity - 1));
    }

  private:
    mutable std::mutex mutex_;
    std::string text_;
};

}  // namespace core
