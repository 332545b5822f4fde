#pragma once
// One client of the remote server, from its request lines to the end of
// its connection. The socket is the caller's; it is closed by the caller.
#include <chrono>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "remote/guess_delay.h"

namespace core {
struct Works;
}  // namespace core

namespace remote {

// Only one client is served at a time: one that keeps its connection alive
// without ever sending the pass phrase would shut every operator out.
inline constexpr std::chrono::seconds kPassPhraseDeadline{10};

struct Client {
    int fd = -1;
    Address address = 0;
    std::string addressText;
    // The end of the client's time to send its pass phrase, whatever it sends
    // meanwhile: kPassPhraseDeadline of being served, from its connection on.
    platform::Clock::TimePoint passPhraseDue{};
};

// Reads request lines until the handshake is complete; the client's key, or
// nothing when the client failed, went away or sent a key line too long, or
// made a plain request, which it is then answered (the remote page or nothing).
[[nodiscard]] std::optional<std::string> readHandshake(core::Works& works, const Client& client);

// The reply to a complete handshake; false when it could not be sent whole.
bool answerHandshake(const Client& client, const std::string& key);

enum class Login { Accepted, Refused, Absent };

// Serves the client's frames after the handshake until the connection ends;
// says whether a pass phrase was sent and whether it was right.
Login serveClient(core::Works& works, const Client& client);

}  // namespace remote
