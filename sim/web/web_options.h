#pragma once
// The command line of brisel-sim-web.
#include <optional>
#include <string>
#include <vector>

namespace sim::web {

constexpr int kDefaultPort = 8470;
constexpr const char* kLoopback = "127.0.0.1";

struct WebOptions {
    std::string root;                // the station's run root
    int port = kDefaultPort;         // 0: any free port
    std::string listen = kLoopback;  // the IPv4 address listened on; 0.0.0.0: every one
    std::string pageDir;             // the page's files
};

extern const char* const kWebUsage;

// Nothing, with the reason in error, for a line that is not understood.
[[nodiscard]] std::optional<WebOptions> parseWebOptions(const std::vector<std::string>& arguments,
                                                        const std::string& defaultPageDir,
                                                        std::string& error);

}  // namespace sim::web
