#include "web/web_access.h"

#include <array>
#include <regex>
#include <string_view>

namespace sim::web {
namespace {

bool loopbackPeer(const std::string& peer) {
    return peer == "::1" || peer == "::ffff:127.0.0.1" || peer.starts_with("127.");
}

bool namesThisServer(const std::string& authority, int port) {
    const std::string suffix = ":" + std::to_string(port);
    for (std::string_view name : {"127.0.0.1", "localhost", "[::1]"})
        if (authority == std::string(name) + suffix) return true;
    return false;
}

}  // namespace

bool fromThisComputer(const RequestOrigin& request, int port) {
    if (!loopbackPeer(request.peer) || !namesThisServer(request.host, port)) return false;
    if (request.origin.empty()) return true;
    constexpr std::string_view kScheme = "http://";
    return request.origin.starts_with(kScheme) &&
           namesThisServer(request.origin.substr(kScheme.size()), port);
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

}  // namespace sim::web
