#include "platform/log.h"

#include <syslog.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace platform {
namespace {

class SyslogSink final : public LogSink {
  public:
    void write(LogChannel channel, std::string_view text) override {
        if (channel == LogChannel::Trace) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            return;
        }
        syslog(channel == LogChannel::Info ? LOG_INFO : LOG_ERR, "%.*s", static_cast<int>(text.size()),
               text.data());
    }
};

class StderrSink final : public LogSink {
  public:
    void write(LogChannel channel, std::string_view text) override {
        if (channel == LogChannel::Trace) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            return;
        }
        std::string line = channel == LogChannel::Info ? "syslog<6> " : "syslog<3> ";
        line.append(text);
        if (line.back() != '\n') line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

std::atomic<LogSink*> currentSink{&syslogSink()};

void emit(LogChannel channel, const char* format, va_list args, std::string_view ending = {}) {
    char buffer[1024];
    size_t room = sizeof buffer - ending.size();
    int length = std::vsnprintf(buffer, room, format, args);
    if (length < 0) return;
    size_t size = static_cast<size_t>(length) < room ? static_cast<size_t>(length) : room - 1;
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

std::string maskedSecret(std::string_view) {
    return "********";
}

}  // namespace platform
