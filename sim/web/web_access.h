#pragma once
// Who may use the web front end and what it passes on. It serves the person
// at this computer only: the peer must be the loopback address, and the
// Host and Origin headers must name this server on the loopback address, so
// that neither another machine nor a page from elsewhere open in the same
// browser (by a rebound name or a cross-site form) reaches the station.
#include <string>

namespace sim::web {

struct RequestOrigin {
    std::string peer;    // the peer's address
    std::string host;    // the Host header
    std::string origin;  // the Origin header, empty when the browser sent none
};

[[nodiscard]] bool fromThisComputer(const RequestOrigin& request, int port);

// The panel commands a page may send: a key down and up ("down K", "up K",
// K 1 to 6) and "release". The screen comes from the server itself.
[[nodiscard]] bool panelCommandAllowed(const std::string& line);

// The emulator commands a page may send: those of the transceiver, the
// antenna, the heat sinks and the link's faults, and "state"; one line each.
[[nodiscard]] bool emulatorCommandAllowed(const std::string& line);

// The transceiver emulator's commands a page may send: its frequency, its
// own transmission, and "state".
[[nodiscard]] bool radioCommandAllowed(const std::string& line);

}  // namespace sim::web
