#pragma once
// Reading one frame of the remote connection's dialect: byte 0 is the type,
// byte 1 the whole length code (no mask bit). Codes up to 125 are the
// payload length, and a text frame then carries a 4-byte mask key; 126 takes
// a 16-bit length from bytes 2-3; 127 a 32-bit one from bytes 2-5. A length
// byte with its top bit set is a browser's masked frame: a 7-bit, 16-bit or
// 64-bit length, a 4-byte mask key and the masked payload, stored as the
// dialect's frame of the same content. Everything is read into one
// 1024-byte buffer, and a frame that would not fit is refused rather than
// overrun it.
#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace remote {

inline constexpr size_t kFrameCapacity = 1024;
inline constexpr uint8_t kTextFrame = 0x81, kBinaryFrame = 0x82;
inline constexpr uint8_t kShortLimit = 125, kLong16 = 126, kLong64 = 127, kMaskBit = 0x80;

struct Frame {
    std::array<uint8_t, kFrameCapacity> bytes{};
    size_t size = 0;
    // It came masked, as every frame of a browser does.
    bool masked = false;
};

// Reads up to count bytes as read(2) does: the count, 0 at the end, or -1 with errno.
using ReadBytes = std::function<ssize_t(uint8_t* into, size_t count)>;

enum class FrameRead {
    Complete,
    Ended,    // the reads failed or the peer is gone; the failure is logged
    Refused,  // a length the buffer cannot take or the frame cannot have; logged
};

FrameRead readFrame(const ReadBytes& read, Frame& frame);

enum class MessageForm {
    Text,         // 0x81 with a length up to 125
    ShortBinary,  // 0x82 with a length from 2 to 125
    LongBinary,   // 0x82 with 126 and a 16-bit length of at least 2
    Other,
};

struct Message {
    MessageForm form = MessageForm::Other;
    std::string_view code;          // the two characters of a binary message
    std::span<const uint8_t> data;  // after the code; a text frame's masked payload
};

// What a complete frame holds; the views point into the frame.
[[nodiscard]] Message messageOf(const Frame& frame);

// A text frame's payload unmasked with its key (byte i with key byte i mod 4),
// up to its first zero byte.
[[nodiscard]] std::string unmaskedText(const Frame& frame);

}  // namespace remote
