#include "platform/log.h"

#include <syslog.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace platform {
namespace {

// Standard error as the trace leaves it; an event line starts a line of its
// own, also when a trace written in pieces is still open.
class StderrLines {
  public:
    void trace(std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        if (!text.empty()) atLineStart_ = text.back() == '\n';
    }
    void line(std::string_view mark, std::string_view text) {
        std::string line(mark);
        line.append(text);
        if (line.empty() || line.back() != '\n') line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stderr);
        atLineStart_ = true;
    }
    void event(std::string_view text) { line(atLineStart_ ? "" : "\n", text); }

  private:
    // Threads write whole texts; at worst a race costs one line end.
    std::atomic<bool> atLineStart_{true};
};

class SyslogSink final : public LogSink {
  public:
    void write(LogChannel channel, std::string_view text) override {
        switch (channel) {
            case LogChannel::Trace:
                out_.trace(text);
                return;
            case LogChannel::Event:
                // Beside the trace that explains it, and where a person on the unit looks.
                out_.event(text);
                [[fallthrough]];
            case LogChannel::Info:
                syslog(LOG_INFO, "%.*s", static_cast<int>(text.size()), text.data());
                return;
            case LogChannel::Error:
                syslog(LOG_ERR, "%.*s", static_cast<int>(text.size()), text.data());
                return;
        }
    }

  private:
    StderrLines out_;
};

class StderrSink final : public LogSink {
  public:
    void write(LogChannel channel, std::string_view text) override {
        switch (channel) {
            case LogChannel::Trace:
                out_.trace(text);
                return;
            case LogChannel::Event:
                out_.event(text);
                return;
            case LogChannel::Info:
                out_.line("syslog<6> ", text);
                return;
            case LogChannel::Error:
                out_.line("syslog<3> ", text);
                return;
        }
    }

  private:
    StderrLines out_;
};

std::atomic<LogSink*> currentSink{&syslogSink()};

void emit(LogChannel channel, const char* format, va_list args, std::string_view ending = {},
          std::string_view prefix = {}) {
    char buffer[1024];
    size_t size = prefix.copy(buffer, prefix.size());
    size_t room = sizeof buffer - size - ending.size();
    int length = std::vsnprintf(buffer + size, room, format, args);
    if (length < 0) return;
    size += static_cast<size_t>(length) < room ? static_cast<size_t>(length) : room - 1;
    size += ending.copy(buffer + size, ending.size());
    currentSink.load()->write(channel, std::string_view(buffer, size));
}

}  // namespace

LogSink& syslogSink() {
    static SyslogSink sink;
    return sink;
}

LogSink& stderrSink() {
    static StderrSink sink;
    return sink;
}

LogSink* setLogSink(LogSink* sink) {
    return currentSink.exchange(sink);
}

void trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    emit(LogChannel::Trace, format, args);
    va_end(args);
}

void logInfo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    emit(LogChannel::Info, format, args);
    va_end(args);
}

void logError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    emit(LogChannel::Error, format, args);
    va_end(args);
}

void logErrorAndTrace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    emit(LogChannel::Error, format, args);
    emit(LogChannel::Trace, format, again, "\n");
    va_end(again);
    va_end(args);
}

void event(const char* format, ...) {
    va_list args;
    va_start(args, format);
    emit(LogChannel::Event, format, args, {}, kEventPrefix);
    va_end(args);
}

std::string maskedSecret(std::string_view) {
    return "********";
}

}  // namespace platform
