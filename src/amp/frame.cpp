#include "amp/frame.h"

#include <cstdio>

namespace amp {

uint8_t Sys_Crc8Calculation(const uint8_t* bytes, size_t length) {
    uint8_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        uint8_t byte = bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            bool mix = ((crc ^ byte) & 1) != 0;
            crc = static_cast<uint8_t>(crc >> 1);
            if (mix) crc ^= 0x8C;
            byte = static_cast<uint8_t>(byte >> 1);
        }
    }
    return crc;
}

uint8_t crc8(std::string_view payload) {
    return Sys_Crc8Calculation(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
}

namespace {

std::string hexOf(uint8_t value, HexCase hexCase) {
    char text[3];
    std::snprintf(text, sizeof text, hexCase == HexCase::Lower ? "%02x" : "%02X", value);
    return text;
}

}  // namespace

std::string encodeFrame(std::string_view payload, HexCase hexCase) {
    std::string frame = hexOf(crc8(payload), hexCase);
    frame.append(payload);
    return frame;
}

CheckedFrame checkFrame(std::string_view frame, HexCase expected) {
    if (frame.size() < 3) return {FrameStatus::TooShort, {}, 0};
    std::string_view payload = frame.substr(2);
    uint8_t computed = crc8(payload);
    bool matches = frame.substr(0, 2) == hexOf(computed, expected);
    return {matches ? FrameStatus::Good : FrameStatus::BadCrc, payload, computed};
}

FrameAssembler::Result FrameAssembler::push(char byte) {
    buffer_.push_back(byte);
    if (byte == ';') return Result::Complete;
    if (buffer_.size() >= kCapacity) {
        buffer_.clear();
        return Result::Overflow;
    }
    return Result::More;
}

}  // namespace amp
