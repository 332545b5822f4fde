#include "platform/sim/sim_log_sink.h"

#include <chrono>

namespace platform {

SimLogSink::SimLogSink(Clock& clock, std::FILE* out) : clock_(clock), out_(out), start_(clock.now()) {}

void SimLogSink::write(LogChannel channel, std::string_view text) {
    std::string body;
    if (channel != LogChannel::Trace) {
        if (channel == LogChannel::Info) body = "syslog<6> ";
        if (channel == LogChannel::Error) body = "syslog<3> ";
        body.append(text);
        if (body.back() != '\n') body.push_back('\n');
    } else {
        body.assign(text);
    }
    const double seconds = std::chrono::duration<double>(clock_.now() - start_).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%10.3f] ", seconds);

    std::lock_guard lock(mutex_);
    // A system-log or event line always starts a line of its own.
    if (channel != LogChannel::Trace && !atLineStart_) body.insert(body.begin(), '\n');
    std::string lines;
    for (size_t start = 0; start < body.size();) {
        size_t end = body.find('\n', start);
        end = end == std::string::npos ? body.size() : end + 1;
        if (atLineStart_ && body[start] != '\n') lines += stamp;
        lines.append(body, start, end - start);
        atLineStart_ = body[end - 1] == '\n';
        start = end;
    }
    std::fwrite(lines.data(), 1, lines.size(), out_);
}

}  // namespace platform
