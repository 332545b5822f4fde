#include "sim/qor/qor_faults.h"

#include <algorithm>
#include <array>

namespace sim {
namespace {

constexpr std::array<FaultName<QorFault>, 5> kFaultNames{{
    {QorFault::None, "none"},
    {QorFault::Cut, "cut"},
    {QorFault::Stray, "stray"},
    {QorFault::Drop, "drop"},
    {QorFault::Garbage, "garbage"},
}};

// Type byte, marker and four length characters.
constexpr size_t kHeaderBytes = 6;

}  // namespace

QorFaults::QorFaults() : arming_(kFaultNames) {}

std::string QorFaults::command(std::span<const std::string_view> args) {
    return arming_.command(args, "message", "messages");
}

std::vector<uint8_t> QorFaults::transmit(std::vector<uint8_t> message) {
    switch (arming_.take()) {
        case QorFault::Cut:
            message.resize(std::min(message.size(), kHeaderBytes + kCutAfter));
            break;
        case QorFault::Stray:
            message.insert(message.begin(), kStrayByte);
            break;
        case QorFault::Drop:
            message.clear();
            break;
        case QorFault::Garbage: {
            std::uniform_int_distribution<int> byte(0, 255);
            for (uint8_t& b : message) b = static_cast<uint8_t>(byte(random_));
            break;
        }
        case QorFault::None:
            break;
    }
    return message;
}

}  // namespace sim
