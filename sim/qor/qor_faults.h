#pragma once
// Faults injected into the transceiver's stream, so that the controller's
// reader of the auxiliary link can be shown to drop what is not a whole
// message and find the next one. One kind is armed at a time, for the next
// n messages.
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/amp/fault_arming.h"

namespace sim {

enum class QorFault { None, Cut, Stray, Drop, Garbage };

class QorFaults {
  public:
    // A cut message stops after its header and this many bytes of data; the
    // stream goes on with the next message when it is due.
    static constexpr size_t kCutAfter = 5;
    // Before a message: a parameter message's type byte.
    static constexpr uint8_t kStrayByte = 1;

    QorFaults();

    void arm(QorFault kind, int count) { arming_.arm(kind, count); }
    [[nodiscard]] QorFault kind() const { return arming_.kind(); }
    [[nodiscard]] int remaining() const { return arming_.remaining(); }
    [[nodiscard]] const char* name() const { return arming_.name(arming_.kind()); }
    // "fault <kind> [n]" / "fault none", the words after "fault": the reply line.
    [[nodiscard]] std::string command(std::span<const std::string_view> args);

    // The bytes of one message as they go out, with the armed fault applied
    // when one is left: cut short, after a stray type byte, none, or as many
    // random bytes (of any value, so some look like type bytes).
    [[nodiscard]] std::vector<uint8_t> transmit(std::vector<uint8_t> message);

  private:
    FaultArming<QorFault> arming_;
    std::mt19937 random_{0x0e17};
};

}  // namespace sim
