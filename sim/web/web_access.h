#pragma once
// Who may use the web front end and what it passes on. By default it serves
// the person at this computer only: the peer must be a loopback address. In
// every case the Host and Origin headers must name this server by an address
// it listens on (or a loopback name), so that a page from elsewhere open in
// the same browser (by a rebound name or a cross-site form) never reaches the
// station.
#include <string>
#include <vector>

namespace sim::web {

struct RequestOrigin {
    std::string peer;    // the peer's address
    std::string host;    // the Host header
    std::string origin;  // the Origin header, empty when the browser sent none
};

// Where the page is served.
struct ServedAt {
    int port = 0;
    bool otherComputers = false;     // peers from elsewhere are served (listening beyond loopback)
    std::vector<std::string> names;  // the host names a request may give, without the port
};

// For a server listening on listenAddress (IPv4; 0.0.0.0 is every one of
// machineAddresses, this computer's own).
[[nodiscard]] ServedAt servedAt(const std::string& listenAddress, int port,
                                const std::vector<std::string>& machineAddresses);

[[nodiscard]] bool requestAllowed(const RequestOrigin& request, const ServedAt& served);

// The panel commands a page may send: a key down and up ("down K", "up K",
// K 1 to 6) and "release". The screen comes from the server itself.
[[nodiscard]] bool panelCommandAllowed(const std::string& line);

// The emulator commands a page may send: those of the transceiver, the
// antenna, the heat sinks and the link's faults, and "state"; one line each.
[[nodiscard]] bool emulatorCommandAllowed(const std::string& line);

// The transceiver emulator's commands a page may send: its frequency, its
// own transmission, and "state".
[[nodiscard]] bool radioCommandAllowed(const std::string& line);

// The unit's remote page, as this computer's browser reaches it: the host of
// the request's Host header (without its port) and the port of the setup
// file's "TcpPort:" line (6666 when it has none).
[[nodiscard]] std::string remotePageAddress(const std::string& host, const std::string& setupText);

}  // namespace sim::web
