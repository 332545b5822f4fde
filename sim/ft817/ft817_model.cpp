#include "sim/ft817/ft817_model.h"

#include <cstdio>

namespace sim {
namespace {

constexpr uint8_t kSetFrequency = 0x01, kReadFrequency = 0x03, kSetMode = 0x07, kTransmitOn = 0x08,
                  kTransmitOff = 0x88, kToggleVfo = 0x81, kReadRxStatus = 0xE7, kReadTxStatus = 0xF7,
                  kReadEeprom = 0xBB, kReadTxMeters = 0xBD;
// The EEPROM byte whose bit 0 tells the selected VFO.
constexpr unsigned kVfoAddress = 0x55;

uint8_t bcd(int64_t value) {
    return static_cast<uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

int64_t fromBcd(uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

}  // namespace

std::vector<std::vector<uint8_t>> Ft817Model::receive(const std::vector<uint8_t>& bytes) {
    std::vector<std::vector<uint8_t>> replies;
    for (uint8_t byte : bytes) {
        pending_.push_back(byte);
        if (pending_.size() < 5) continue;
        replies.push_back(answer(pending_.data()));
        pending_.clear();
    }
    return replies;
}

std::vector<uint8_t> Ft817Model::answer(const uint8_t* command) {
    int64_t& frequency = frequency_[vfoB_ ? 1 : 0];
    switch (command[4]) {
        case kReadFrequency: {
            ++polls_;
            int64_t tens = frequency / 10;
            return {bcd(tens / 1'000'000), bcd(tens / 10'000), bcd(tens / 100), bcd(tens), mode_};
        }
        case kSetFrequency:
            frequency = (fromBcd(command[0]) * 1'000'000 + fromBcd(command[1]) * 10'000 +
                         fromBcd(command[2]) * 100 + fromBcd(command[3])) *
                        10;
            return {0x00};
        case kSetMode:
            mode_ = command[0];
            return {0x00};
        case kTransmitOn:
            transmitting_ = true;
            return {0x00};
        case kTransmitOff:
            transmitting_ = false;
            return {0x00};
        case kToggleVfo:
            vfoB_ = !vfoB_;
            return {0x00};
        case kReadRxStatus:
            return {0x00};
        case kReadTxStatus:
            // Bit 7 set while receiving.
            return {static_cast<uint8_t>(transmitting_ ? 0x00 : 0x80)};
        case kReadTxMeters:
            return {0x00, 0x00};
        case kReadEeprom: {
            unsigned address = static_cast<unsigned>(command[0]) << 8 | command[1];
            auto at = [&](unsigned a) { return static_cast<uint8_t>(a == kVfoAddress && vfoB_ ? 1 : 0); };
            return {at(address), at(address + 1)};
        }
        default:
            return {0x00};
    }
}

std::string Ft817Model::state() const {
    char text[96];
    std::snprintf(text, sizeof text, "frequency %lld vfo %c mode %u tx %d polls %d",
                  static_cast<long long>(frequency()), vfoB_ ? 'B' : 'A', mode_, transmitting_ ? 1 : 0,
                  polls_);
    return text;
}

}  // namespace sim
