#pragma once
// Diagnostics: trace lines for standard error, system-log lines at the
// two priorities the system uses (6 information, 3 error), and event lines:
// one readable line for each thing a user cares about, after kEventPrefix.
// Where they go is decided by the sink the program installs at start.
#include <string>
#include <string_view>

namespace platform {

enum class LogChannel { Trace, Info, Error, Event };

// What every event line starts with, so that grep finds them among the trace.
inline constexpr std::string_view kEventPrefix = "EVENT ";

class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void write(LogChannel channel, std::string_view text) = 0;
};

// Trace to standard error, information and errors to syslog; events to both,
// each on a line of its own (standard error with the trace that explains
// it, the system log where a person on the unit looks).
LogSink& syslogSink();
// Everything to standard error; system-log lines are marked with their
// priority, events start a line of their own.
LogSink& stderrSink();

// Installs the process-wide sink and returns the previous one.
LogSink* setLogSink(LogSink* sink);

void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// An error that the operator at the console must see as well: the system-log
// line, and the same text as a trace line.
void logErrorAndTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One event line: kEventPrefix and the text, on a line of its own. Only texts
// of bounded length: what a stranger sends appears cut or masked.
void event(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What a log line shows of a secret: the same asterisks whatever it holds,
// so that not even its length shows.
[[nodiscard]] std::string maskedSecret(std::string_view secret);

}  // namespace platform
