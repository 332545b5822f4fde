#include "sim/common/control_channel.h"

#include <sys/socket.h>

namespace sim {
namespace {

constexpr platform::LineLimits kControlLimits{256, std::chrono::seconds(1), true};

}  // namespace

void answerControlClient(int listener, const platform::LineAnswer& answer) {
    static const std::atomic<bool> kNeverStopped{false};
    const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) platform::serveLines(client, kControlLimits, answer, kNeverStopped);
}

std::vector<std::string_view> controlWords(std::string_view line) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(" \t\r", pos);
        if (start == std::string_view::npos) break;
        size_t end = line.find_first_of(" \t\r", start);
        if (end == std::string_view::npos) end = line.size();
        out.push_back(line.substr(start, end - start));
        pos = end;
    }
    return out;
}

}  // namespace sim
