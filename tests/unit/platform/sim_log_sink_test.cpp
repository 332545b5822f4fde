#include "platform/sim/sim_log_sink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/manual_clock.h"

namespace {

using namespace std::chrono_literals;
using platform::LogChannel;

struct Write {
    std::chrono::milliseconds at;  // since the sink was made
    LogChannel channel;
    const char* text;
};

std::string logOf(const std::vector<Write>& writes) {
    platform::ManualClock clock;
    std::FILE* out = std::tmpfile();
    const auto start = clock.now();
    platform::SimLogSink sink(clock, out);
    for (const Write& write : writes) {
        clock.advance(start + write.at - clock.now());
        sink.write(write.channel, write.text);
    }
    std::string text(static_cast<size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
    std::fclose(out);
    return text;
}

TEST(SimLogSink, StampsEachLineAndLeavesItsTextAlone) {
    const struct {
        const char* name;
        std::vector<Write> writes;
        const char* log;
    } cases[] = {
        {"a trace line", {{1234ms, LogChannel::Trace, "Start\n"}}, "[     1.234] Start\n"},
        {"system-log lines keep their marks",
         {{0ms, LogChannel::Info, "Setup saved"}, {61500ms, LogChannel::Error, "Error: file missing\n"}},
         "[     0.000] syslog<6> Setup saved\n[    61.500] syslog<3> Error: file missing\n"},
        {"a trace in pieces gets one stamp",
         {{5ms, LogChannel::Trace, "Count "}, {7ms, LogChannel::Trace, "3\n"}},
         "[     0.005] Count 3\n"},
        {"several lines in one write",
         {{2s, LogChannel::Trace, "one\ntwo\n"}},
         "[     2.000] one\n[     2.000] two\n"},
        {"a system-log line ends an open trace line",
         {{0ms, LogChannel::Trace, "half"}, {1ms, LogChannel::Error, "bad\n"}},
         "[     0.000] half\n[     0.001] syslog<3> bad\n"},
        {"an event line carries no mark and ends an open trace line",
         {{0ms, LogChannel::Trace, "2-1) Err 0 SWR 3.10 "}, {3ms, LogChannel::Event, "EVENT tune started"}},
         "[     0.000] 2-1) Err 0 SWR 3.10 \n[     0.003] EVENT tune started\n"},
    };
    for (const auto& test : cases) EXPECT_EQ(logOf(test.writes), test.log) << test.name;
}

}  // namespace
