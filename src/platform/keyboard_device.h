#pragma once
// The optional USB service keyboard: a Linux input event device under
// /dev/input/by-id, read one whole event record at a time. The target takes
// the device for this process alone; the simulated station reads a FIFO.
#include <linux/input.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <string>

#include "platform/run_root.h"

namespace platform {

// The first "/dev/input/by-id/*-event-kbd" in name order, resolved under the
// run root; empty when there is none.
[[nodiscard]] std::string findKeyboard(const RunRoot& root);

enum class KeyboardRead { Event, Nothing, Failed };

class KeyboardDevice {
  public:
    KeyboardDevice(const KeyboardDevice&) = delete;
    KeyboardDevice& operator=(const KeyboardDevice&) = delete;
    virtual ~KeyboardDevice();

    // False with errno set.
    bool open(const std::string& path);
    // Takes the device for this process alone, so that its keys reach no
    // console. False with errno set.
    virtual bool grab() = 0;
    // Waits at most timeout for one whole event: Nothing when none came in
    // time, Failed with errno set when the device cannot be read.
    KeyboardRead read(input_event& event, std::chrono::milliseconds timeout);

  protected:
    explicit KeyboardDevice(int openFlags) : openFlags_(openFlags) {}
    [[nodiscard]] int fd() const { return fd_; }

  private:
    int openFlags_;
    int fd_ = -1;
    // A record whose first bytes have come; its size is the target's.
    std::array<std::byte, sizeof(input_event)> record_{};
    size_t filled_ = 0;
};

}  // namespace platform
