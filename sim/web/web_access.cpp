#include "sim/web/web_access.h"

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>

namespace sim::web {
namespace {

bool loopbackPeer(const std::string& peer) {
    return peer == "::1" || peer == "::ffff:127.0.0.1" || peer.starts_with("127.");
}

bool namesThisServer(const std::string& authority, const ServedAt& served) {
    const std::string suffix = ":" + std::to_string(served.port);
    for (const std::string& name : served.names)
        if (authority == name + suffix) return true;
    return false;
}

}  // namespace

ServedAt servedAt(const std::string& listenAddress, int port,
                  const std::vector<std::string>& machineAddresses) {
    ServedAt served{port, !listenAddress.starts_with("127."), {"127.0.0.1", "localhost", "[::1]"}};
    if (listenAddress == "0.0.0.0") {
        for (const std::string& address : machineAddresses)
            if (!address.starts_with("127.")) served.names.push_back(address);
    } else if (listenAddress != "127.0.0.1") {
        served.names.push_back(listenAddress);
    }
    return served;
}

bool requestAllowed(const RequestOrigin& request, const ServedAt& served) {
    if (!served.otherComputers && !loopbackPeer(request.peer)) return false;
    if (!namesThisServer(request.host, served)) return false;
    if (request.origin.empty()) return true;
    constexpr std::string_view kScheme = "http://";
    return request.origin.starts_with(kScheme) &&
           namesThisServer(request.origin.substr(kScheme.size()), served);
}

bool panelCommandAllowed(const std::string& line) {
    static const std::regex allowed("(down|up) [1-6]|release");
    return std::regex_match(line, allowed);
}

bool emulatorCommandAllowed(const std::string& line) {
    static const std::regex allowed("(key|unkey|load|temp|fault|state|protect|reset)( [ -~]*)?");
    return std::regex_match(line, allowed);
}

bool radioCommandAllowed(const std::string& line) {
    static const std::regex allowed("freq [1-9][0-9]{0,8}|tx (on|off)|state");
    return std::regex_match(line, allowed);
}

std::string remotePageAddress(const std::string& host, const std::string& setupText) {
    const std::string name =
        host.substr(0, host.rfind(':') == std::string::npos ? host.size() : host.rfind(':'));
    int port = 6666;
    std::istringstream lines(setupText);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("TcpPort:")) continue;
        const int given = std::atoi(line.c_str() + 8);
        if (given > 0 && given < 65536) port = given;
    }
    return "http://" + name + ":" + std::to_string(port) + "/";
}

}  // namespace sim::web
