#include "remote/handshake.h"

#include <glib.h>
#include <openssl/sha.h>

#include <algorithm>

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

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return g_ascii_tolower(x) == g_ascii_tolower(y);
           });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && g_ascii_isspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && g_ascii_isspace(text.back())) text.remove_suffix(1);
    return text;
}

bool listHolds(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (sameLetters(trimmed(list.substr(0, comma)), token)) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

// Whether the line is the header whose name and ": " start the prefix, the name in any case.
bool isHeader(std::string_view line, std::string_view prefix) {
    const size_t nameEnd = prefix.find(": ");
    return nameEnd != std::string_view::npos &&
           sameLetters(line.substr(0, nameEnd + 2), prefix.substr(0, nameEnd + 2));
}

// A browser's line that the prefix stands for: the same header with its
// name in another case, or a Connection or Upgrade header that asks for the
// upgrade in other words.
bool countsFor(std::string_view line, std::string_view prefix) {
    if (line.starts_with(prefix)) return true;
    if (prefix.starts_with("GET ") || !isHeader(line, prefix)) return false;
    const size_t valueAt = prefix.find(": ") + 2;
    const std::string_view wanted = prefix.substr(valueAt);
    if (wanted.empty()) return true;
    const std::string_view value = trimmed(line.substr(valueAt));
    if (prefix.starts_with("Connection: ")) return listHolds(value, "Upgrade");
    return sameLetters(value, wanted);
}

}  // namespace

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
        if (!countsFor(line, prefix)) continue;
        ++counter_;
        platform::logInfo("Caught %s go to status %d/%d\n", prefix, counter_, kHeaderPrefixes);
    }
    if (received_ == 1 && line.starts_with("GET ")) {
        getAsked_ = true;
        rootAsked_ = line.starts_with("GET / ");
    }
    if (isHeader(line, "Upgrade: ")) upgradeAsked_ = true;
    if (isHeader(line, keyHeader)) {
        std::string_view key = line.substr(keyHeader.size());
        if (key.size() >= kKeyCapacity) return Line::KeyTooLong;
        for (int twice = 0; twice < 2 && !key.empty() && (key.back() == '\r' || key.back() == '\n'); ++twice)
            key.remove_suffix(1);
        key_.assign(key);
        platform::logInfo("Caught key %s", printableExcerpt(key_).c_str());
    }
    if (line.size() < 3) {
        if (getAsked_ && !upgradeAsked_) plainRequestEnded_ = true;
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

std::string pageReply(std::string_view page) {
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                        std::to_string(page.size()) +
                        "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                        "Connection: close\r\n\r\n";
    reply += page;
    return reply;
}

std::string notFoundReply() {
    return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

std::array<std::string, 5> handshakeReply(std::string_view key) {
    return {"HTTP/1.1 101 Switching Protocols\r\n", "Upgrade: websocket\r\n", "Connection: Upgrade\r\n",
            "Sec-WebSocket-Accept: " + acceptValue(key) + "\r\n", "Sec-WebSocket-Protocol: chat\r\n\r\n"};
}

}  // namespace remote
