#pragma once
// The simulated station's log: every line to standard error, system-log lines
// marked with their priority ("syslog<6> ", "syslog<3> "), event lines as they
// are (the system log of the unit is not the host's), each line stamped
// with the seconds since the sink was made on the station's clock, so a run
// read afterwards shows when things happened. The texts are unchanged.
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/log.h"

namespace platform {

class SimLogSink final : public LogSink {
  public:
    // out: where the lines go (standard error for the station, a file in tests).
    explicit SimLogSink(Clock& clock, std::FILE* out = stderr);

    void write(LogChannel channel, std::string_view text) override;

  private:
    Clock& clock_;
    std::FILE* out_;
    const Clock::TimePoint start_;
    std::mutex mutex_;
    // A trace written in pieces gets one stamp, at the start of its line.
    bool atLineStart_ = true;
};

}  // namespace platform
