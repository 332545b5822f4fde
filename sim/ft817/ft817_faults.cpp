#include "sim/ft817/ft817_faults.h"

#include <array>

namespace sim {
namespace {

constexpr std::array<FaultName<Ft817Fault>, 5> kFaultNames{{
    {Ft817Fault::None, "none"},
    {Ft817Fault::Stray, "stray"},
    {Ft817Fault::Late, "late"},
    {Ft817Fault::Drop, "drop"},
    {Ft817Fault::Garbage, "garbage"},
}};

}  // namespace

Ft817Faults::Ft817Faults() : arming_(kFaultNames) {}

std::string Ft817Faults::command(std::span<const std::string_view> args) {
    return arming_.command(args, "reply", "replies");
}

std::vector<Transmission> Ft817Faults::transmit(const std::vector<uint8_t>& reply) {
    const std::string bytes(reply.begin(), reply.end());
    switch (arming_.take()) {
        case Ft817Fault::Stray:
            return {{kStrayByte + bytes}};
        case Ft817Fault::Late: {
            const size_t onTime = bytes.size() > kLateBytes ? bytes.size() - kLateBytes : 0;
            return {{bytes.substr(0, onTime)}, {bytes.substr(onTime), kLate}};
        }
        case Ft817Fault::Drop:
            return {};
        case Ft817Fault::Garbage: {
            std::uniform_int_distribution<size_t> length(kGarbageMin, kGarbageMax);
            std::uniform_int_distribution<int> byte(0, 255);
            std::string garbage(length(random_), '\0');
            for (char& c : garbage) c = static_cast<char>(byte(random_));
            return {{garbage}};
        }
        case Ft817Fault::None:
            break;
    }
    return {{bytes}};
}

}  // namespace sim
