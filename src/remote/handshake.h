#pragma once
// The opening handshake of the remote connection: the request lines are
// counted against seven prefixes (and the empty line), the client's key is
// taken from its line, and the reply carries the accept value. A browser's
// lines count too: header names in any case, "Connection: Upgrade". A plain
// "GET /" without "Upgrade" asks for the remote page; any other plain "GET"
// is told there is nothing. Pure text work; the
// server reads the lines and writes the reply.
#include <array>
#include <string>
#include <string_view>

namespace remote {

inline constexpr int kHeaderPrefixes = 7;
// The handshake is complete when the counter reaches this.
inline constexpr int kHeaderComplete = kHeaderPrefixes + 1;
// The key buffer holds 100 bytes: the text after the prefix, line end included, must fit with its zero.
inline constexpr size_t kKeyCapacity = 100;
// One request line is read into a buffer of this size, zero included.
inline constexpr size_t kLineCapacity = 1024;
// Request lines logged per connection: a whole request, and not a flood.
inline constexpr int kLoggedRequestLines = 20;

extern const std::array<const char*, kHeaderPrefixes> requestHeader;
inline constexpr std::string_view keyHeader = "Sec-WebSocket-Key: ";

class HeaderPhase {
  public:
    enum class Line { Ignored, Counted, KeyTooLong };

    // One line as read, with its line feed when it has one.
    Line take(std::string_view line);

    [[nodiscard]] int counter() const { return counter_; }
    [[nodiscard]] bool complete() const { return counter_ >= kHeaderComplete; }
    [[nodiscard]] const std::string& key() const { return key_; }
    // A "GET" request ended (its empty line) without asking for the upgrade:
    // a browser's request for a page, answered and closed at once.
    [[nodiscard]] bool plainRequestEnded() const { return plainRequestEnded_; }
    // ... and it asked for the remote page, "GET /".
    [[nodiscard]] bool pageAsked() const { return plainRequestEnded_ && rootAsked_; }

  private:
    void logReceived(std::string_view line);

    int counter_ = 0;
    int received_ = 0;
    std::string key_;
    bool getAsked_ = false;   // the request line is "GET ..."
    bool rootAsked_ = false;  // ... "GET / ..."
    bool upgradeAsked_ = false;
    bool plainRequestEnded_ = false;
};

// Base64 of the SHA-1 digest of the key followed by the protocol's fixed GUID.
[[nodiscard]] std::string acceptValue(std::string_view key);

// The five reply lines, each with its line end (the last with the empty line).
[[nodiscard]] std::array<std::string, 5> handshakeReply(std::string_view key);

// The whole answer to a page request: status, headers and the page.
[[nodiscard]] std::string pageReply(std::string_view page);
// The whole answer to a plain request for anything else.
[[nodiscard]] std::string notFoundReply();

}  // namespace remote
