#include "sim/amp/emulator_faults.h"

#include <array>
#include <cstdio>

#include "amp/frame.h"

namespace sim {
namespace {

constexpr std::array<FaultName<FaultKind>, 8> kFaultNames{{
    {FaultKind::None, "none"},
    {FaultKind::Drop, "drop"},
    {FaultKind::Delay, "delay"},
    {FaultKind::Crc, "crc"},
    {FaultKind::Lowercase, "lowercase"},
    {FaultKind::Refuse, "refuse"},
    {FaultKind::Garbage, "garbage"},
    {FaultKind::Long, "long"},
}};

std::string upperHex(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

bool hasHexLetter(uint8_t value) {
    return (value >> 4) > 9 || (value & 0xF) > 9;
}

}  // namespace

const char* faultName(FaultKind kind) {
    return FaultArming<FaultKind>(kFaultNames).name(kind);
}

FaultInjector::FaultInjector() : arming_(kFaultNames) {}

std::string FaultInjector::command(std::span<const std::string_view> args) {
    return arming_.command(args, "reply", "replies");
}

std::string FaultInjector::randomBytes(size_t count) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes;
    while (bytes.size() < count) {
        char c = static_cast<char>(byte(random_));
        if (c != ';') bytes += c;
    }
    return bytes;
}

std::vector<Transmission> FaultInjector::transmit(std::string_view reply) {
    std::string frame = amp::encodeFrame(reply, amp::HexCase::Upper);
    uint8_t crc = amp::crc8(reply);
    // A checksum of two decimal digits reads the same in either case: that
    // reply goes out as it is and the fault waits for one it can show on.
    if (arming_.kind() == FaultKind::Lowercase && !hasHexLetter(crc)) return {{frame}};
    switch (arming_.take()) {
        case FaultKind::Drop:
            return {};
        case FaultKind::Delay:
            return {{frame, kDelay}};
        case FaultKind::Crc:
            return {{upperHex(static_cast<uint8_t>(crc + 1)) + std::string(reply)}};
        case FaultKind::Lowercase:
            return {{amp::encodeFrame(reply, amp::HexCase::Lower)}};
        case FaultKind::Refuse: {
            std::string refused = std::string(reply.substr(0, 2)) + "?;";
            return {{amp::encodeFrame(refused, amp::HexCase::Upper)}};
        }
        case FaultKind::Garbage: {
            std::uniform_int_distribution<size_t> length(16, 48);
            return {{randomBytes(length(random_))}};
        }
        case FaultKind::Long:
            return {{randomBytes(kLongLine)}, {frame}};
        case FaultKind::None:
            break;
    }
    return {{frame}};
}

}  // namespace sim
