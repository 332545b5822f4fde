#include "remote/frame_reader.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/log.h"

namespace remote {
namespace {

// Every count asked; false at the first read that ends or fails (errno kept).
bool readExactly(const ReadBytes& read, uint8_t* into, size_t count) {
    while (count > 0) {
        const ssize_t got = read(into, count);
        if (got <= 0) return false;
        into += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

FrameRead bodyFailed(const char* text) {
    const int error = errno;
    platform::logError(text, error);
    platform::logError("TCP read Error 6a %d", error);
    return FrameRead::Ended;
}

FrameRead refused(const char* what, uint64_t length) {
    platform::logError("frame refused: %s %llu", what, static_cast<unsigned long long>(length));
    return FrameRead::Refused;
}

uint32_t bigEndian(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

// A masked frame as the dialect stores the same content: a text frame keeps
// its key and masked payload after a plain length byte; any other frame is
// unmasked into the short or the 16-bit form. bytes[0..3] are in.
FrameRead readMaskedFrame(const ReadBytes& read, Frame& frame) {
    uint8_t* bytes = frame.bytes.data();
    const uint8_t lengthCode = bytes[1] & ~kMaskBit;
    // Bytes of the extended length; two of them are in already.
    const size_t lengthBytes = lengthCode == kLong16 ? 2 : lengthCode == kLong64 ? 8 : 0;
    std::array<uint8_t, 14> head{};
    std::memcpy(head.data(), bytes, 4);
    if (!readExactly(read, head.data() + 4, lengthBytes + 2)) return bodyFailed("TCP read Error 7a %d");
    uint64_t length = lengthCode;
    if (lengthBytes > 0) {
        length = 0;
        for (size_t i = 0; i < lengthBytes; ++i) length = length << 8 | head[2 + i];
    }
    const bool text = bytes[0] == kTextFrame;
    const uint64_t most = text ? kShortLimit : kFrameCapacity - 4;
    if (length > most) return refused("masked, over the buffer, length", length);
    const auto count = static_cast<size_t>(length);
    const uint8_t* key = head.data() + 2 + lengthBytes;
    const bool shortForm = count <= kShortLimit;
    const size_t payloadAt = text ? 6 : shortForm ? 2 : 4;
    bytes[1] = shortForm ? static_cast<uint8_t>(count) : kLong16;
    if (text) std::memcpy(bytes + 2, key, 4);
    if (!shortForm) {
        bytes[2] = static_cast<uint8_t>(count >> 8);
        bytes[3] = static_cast<uint8_t>(count);
    }
    if (!readExactly(read, bytes + payloadAt, count)) return bodyFailed("TCP read Error 8a %d");
    if (!text)
        for (size_t i = 0; i < count; ++i) bytes[payloadAt + i] ^= key[i % 4];
    frame.size = payloadAt + count;
    frame.masked = true;
    return FrameRead::Complete;
}

}  // namespace

FrameRead readFrame(const ReadBytes& read, Frame& frame) {
    frame.bytes.fill(0);
    frame.size = 0;
    frame.masked = false;
    uint8_t* bytes = frame.bytes.data();
    errno = 0;
    if (!readExactly(read, bytes, 4)) {
        platform::logError("TCP read Error 1a %d", errno);
        platform::logError("TCP read Error 2a %d", errno);
        return FrameRead::Ended;
    }
    const uint8_t lengthCode = bytes[1];
    if ((lengthCode & kMaskBit) != 0) return readMaskedFrame(read, frame);
    if (lengthCode <= kShortLimit) {
        // A text frame's mask key counts with its payload; 4 bytes are in already.
        const long after = lengthCode + ((bytes[0] & 1) != 0 ? 4 : 0);
        if (after < 2) return refused("shorter than its code, length", lengthCode);
        if (!readExactly(read, bytes + 4, static_cast<size_t>(after - 2)))
            return bodyFailed("TCP read Error 3a %d");
        frame.size = static_cast<size_t>(2 + after);
        return FrameRead::Complete;
    }
    if (lengthCode == kLong16) {
        const uint32_t length = bigEndian(bytes + 2, 2);
        if (4 + length > kFrameCapacity) return refused("over the buffer, length", length);
        if (!readExactly(read, bytes + 4, length)) return bodyFailed("TCP read Error 4a %d");
        frame.size = 4 + length;
        return FrameRead::Complete;
    }
    if (!readExactly(read, bytes + 4, 2)) return bodyFailed("TCP read Error 1a %d");
    const uint32_t length = bigEndian(bytes + 2, 4);
    if (length < 2) return refused("shorter than its code, length", length);
    if (length > kFrameCapacity - 4) return refused("over the buffer, length", length);
    if (!readExactly(read, bytes + 6, length - 2)) return bodyFailed("TCP read Error 5a %d");
    frame.size = 4 + length;
    return FrameRead::Complete;
}

Message messageOf(const Frame& frame) {
    const uint8_t* bytes = frame.bytes.data();
    const auto code = [](const uint8_t* at) {
        return std::string_view(reinterpret_cast<const char*>(at), 2);
    };
    const uint8_t lengthCode = bytes[1];
    if (frame.size < 4) return {};
    if (bytes[0] == kTextFrame && lengthCode <= kShortLimit)
        return {MessageForm::Text, {}, {bytes + 6, lengthCode}};
    if (bytes[0] != kBinaryFrame) return {};
    if (lengthCode <= kShortLimit && lengthCode >= 2)
        return {MessageForm::ShortBinary, code(bytes + 2), {bytes + 4, lengthCode - 2u}};
    const uint32_t length = bigEndian(bytes + 2, 2);
    if (lengthCode == kLong16 && length >= 2 && 4 + length <= frame.size)
        return {MessageForm::LongBinary, code(bytes + 4), {bytes + 6, length - 2}};
    return {};
}

std::string unmaskedText(const Frame& frame) {
    const Message message = messageOf(frame);
    if (message.form != MessageForm::Text) return {};
    const uint8_t* key = frame.bytes.data() + 2;
    std::string text;
    for (size_t i = 0; i < message.data.size(); ++i) {
        const char byte = static_cast<char>(message.data[i] ^ key[i % 4]);
        if (byte == '\0') break;
        text.push_back(byte);
    }
    return text;
}

}  // namespace remote
