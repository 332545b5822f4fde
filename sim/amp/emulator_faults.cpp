#include "amp/emulator_faults.h"

#include <array>
#include <cstdio>

#include "amp/frame.h"

namespace sim {
namespace {

struct FaultNameEntry {
    FaultKind kind;
    const char* name;
};
constexpr std::array<FaultNameEntry, 8> kFaultNames{{
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
    for (const auto& entry : kFaultNames)
        if (entry.kind == kind) return entry.name;
    return "none";
}

std::optional<FaultKind> faultFromName(std::string_view name) {
    for (const auto& entry : kFaultNames)
        if (name == entry.name) return entry.kind;
    return std::nullopt;
}

void FaultInjector::arm(FaultKind kind, int count) {
    kind_ = count > 0 ? kind : FaultKind::None;
    remaining_ = kind_ == FaultKind::None ? 0 : count;
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
    if (remaining_ == 0) return {{frame}};
    uint8_t crc = amp::crc8(reply);
    // A checksum of two decimal digits reads the same in either case: that
    // reply goes out as it is and the fault waits for one it can show on.
    if (kind_ == FaultKind::Lowercase && !hasHexLetter(crc)) return {{frame}};
    FaultKind kind = kind_;
    if (--remaining_ == 0) kind_ = FaultKind::None;
    switch (kind) {
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
