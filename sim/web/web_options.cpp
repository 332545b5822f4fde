#include "sim/web/web_options.h"

#include <arpa/inet.h>

#include <charconv>

namespace sim::web {

const char* const kWebUsage =
    "usage: brisel-sim-web --root DIR [--port N] [--listen ADDR] [--page DIR]\n"
    "  Serves the simulated station under the run root DIR as a web page on\n"
    "  http://127.0.0.1:N/ (default 8470; 0 picks a free port), for this\n"
    "  computer only: its screen, its six keys and the amplifier emulator's\n"
    "  controls. --listen: another IPv4 address to listen on (0.0.0.0: all of\n"
    "  this computer's), so that other computers reach the page too; it has no\n"
    "  password. --page: the folder of the page's files.\n";

std::optional<WebOptions> parseWebOptions(const std::vector<std::string>& arguments,
                                          const std::string& defaultPageDir, std::string& error) {
    WebOptions options;
    options.pageDir = defaultPageDir;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name != "--root" && name != "--port" && name != "--page" && name != "--listen") {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (name == "--root") options.root = value;
        if (name == "--page") options.pageDir = value;
        if (name == "--listen") {
            in_addr address{};
            if (inet_pton(AF_INET, value.c_str(), &address) != 1) {
                error = "--listen must be an IPv4 address, such as 0.0.0.0 or 192.168.1.20";
                return std::nullopt;
            }
            options.listen = value;
        }
        if (name == "--port") {
            auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), options.port);
            if (failure != std::errc() || end != value.data() + value.size() || options.port < 0 ||
                options.port > 65535) {
                error = "--port must be 0 to 65535";
                return std::nullopt;
            }
        }
    }
    if (options.root.empty()) {
        error = "--root DIR is needed";
        return std::nullopt;
    }
    return options;
}

}  // namespace sim::web
