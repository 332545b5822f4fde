#include "remote/handshake.h"

#include <glib.h>
#include <openssl/sha.h>

#include "platform/log.h"
#include "remote/log_excerpt.h"

namespace remote {

const std::array<const char*, kHeaderPrefixes> requestHeader = {
    "GET ",
    "Host: ",
    "Sec-WebSocket-Version: ",
    "Sec-WebSocket-Protocol: ",
    "Sec-WebSocket-Key: ",
    "Connection: keep-alive, Upgrade",
    "Upgrade: websocket",
};

void HeaderPhase::logReceived(std::string_view line) {
    ++received_;
    if (received_ > kLoggedRequestLines) {
        if (received_ == kLoggedRequestLines + 1)
            platform::logInfo("request lines after the first %d not logged", kLoggedRequestLines);
        return;
    }
    std::string_view text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    platform::logInfo("Received %d bytes %s", static_cast<int>(line.size()), printableExcerpt(text).c_str());
}

HeaderPhase::Line HeaderPhase::take(std::string_view line) {
    if (line.empty() || line.back() != '\n') return Line::Ignored;
    logReceived(line);
    for (const char* prefix : requestHeader) {
        if (!line.starts_with(prefix)) continue;
        ++counter_;
        platform::logInfo("Caught %s go to status %d/%d\n", prefix, counter_, kHeaderPrefixes);
    }
    if (line.starts_with(keyHeader)) {
        std::string_view key = line.substr(keyHeader.size());
        if (key.size() >= kKeyCapacity) return Line::KeyTooLong;
        for (int twice = 0; twice < 2 && !key.empty() && (key.back() == '\r' || key.back() == '\n'); ++twice)
            key.remove_suffix(1);
        key_.assign(key);
        platform::logInfo("Caught key %s", printableExcerpt(key_).c_str());
    }
    if (line.size() < 3) {
        ++counter_;
        platform::logInfo("status advanced %d", counter_);
    }
    return Line::Counted;
}

std::string acceptValue(std::string_view key) {
    std::string text(key);
    text += "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    gchar* encoded = g_base64_encode(digest, sizeof digest);
    std::string value(encoded);
    g_free(encoded);
    return value;
}

std::array<std::string, 5> handshakeReply(std::string_view key) {
    return {"HTTP/1.1 101 Switching Protocols\r\n", "Upgrade: websocket\r\n", "Connection: Upgrade\r\n",
            "Sec-WebSocket-Accept: " + acceptValue(key) + "\r\n", "Sec-WebSocket-Protocol: chat\r\n\r\n"};
}

}  // namespace remote
