#pragma once
// Faults injected into the FT-817's replies, so that the controller's CAT
// poller can be shown to get back in step with the radio. One kind is armed
// at a time, for the next n replies.
#include <chrono>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/amp/fault_arming.h"

namespace sim {

enum class Ft817Fault { None, Stray, Late, Drop, Garbage };

class Ft817Faults {
  public:
    // A line glitch or break reads as a zero byte, which is valid BCD.
    static constexpr char kStrayByte = 0x00;
    static constexpr std::chrono::milliseconds kLate{2000};  // past the poller's 1.5 s time-out
    static constexpr size_t kLateBytes = 2;                  // of the end of the reply
    static constexpr size_t kGarbageMin = 2, kGarbageMax = 9;

    Ft817Faults();

    void arm(Ft817Fault kind, int count) { arming_.arm(kind, count); }
    [[nodiscard]] Ft817Fault kind() const { return arming_.kind(); }
    [[nodiscard]] int remaining() const { return arming_.remaining(); }
    [[nodiscard]] const char* name() const { return arming_.name(arming_.kind()); }
    // "fault <kind> [n]" / "fault none", the words after "fault": the reply line.
    [[nodiscard]] std::string command(std::span<const std::string_view> args);

    // One reply as it goes out, with the armed fault applied when one is left.
    [[nodiscard]] std::vector<Transmission> transmit(const std::vector<uint8_t>& reply);

  private:
    FaultArming<Ft817Fault> arming_;
    std::mt19937 random_{0x817};
};

}  // namespace sim
