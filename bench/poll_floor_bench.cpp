#include <benchmark/benchmark.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/sim/scaled_clock.h"

// What an idle station cannot go below on this machine: threads that do
// nothing but wake at the rates the station's own loops are bound to, on the
// simulated station's clock. The idle station's CPU share is read against it.
namespace {

using namespace std::chrono_literals;

constexpr auto kWindow = 2s;

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The panel loop: a pass every 2 ms, and every 200 passes a transfer with the
// front-panel controller: 8 command bits of three 200 µs steps, 600 µs, then
// 12 answer bits of two.
void panelPasses(platform::Clock& clock, const std::atomic<bool>& run) {
    for (int pass = 0; run.load(std::memory_order_relaxed); ++pass) {
        if (pass % 200 == 0) {
            for (int step = 0; step < 8 * 3; ++step) clock.sleepFor(200us);
            clock.sleepFor(600us);
            for (int step = 0; step < 12 * 2; ++step) clock.sleepFor(200us);
        }
        clock.sleepFor(2ms);
    }
}

// The amplifier link with nothing queued: a status poll and a frequency poll
// in turn, each reply polled for every 1 ms while it crosses the wire (about
// 3 ms), then the pause after it (10 ms after a status reply, 20 ms after another).
void linkExchanges(platform::Clock& clock, const std::atomic<bool>& run) {
    while (run.load(std::memory_order_relaxed)) {
        for (auto pause : {10ms, 20ms}) {
            for (int poll = 0; poll < 3; ++poll) clock.sleepFor(1ms);
            clock.sleepFor(pause);
        }
    }
}

// The main loop's tick.
void ticks(platform::Clock& clock, const std::atomic<bool>& run) {
    while (run.load(std::memory_order_relaxed)) clock.sleepFor(40ms);
}

}  // namespace

static void BM_IdlePollFloor(benchmark::State& state) {
    platform::ScaledClock clock(1.0);
    const std::function<void(platform::Clock&, const std::atomic<bool>&)> loops[] = {panelPasses,
                                                                                     linkExchanges, ticks};
    double cpu[std::size(loops)] = {};
    double seconds = 0;
    for (auto _ : state) {
        std::atomic<bool> run{true};
        std::vector<std::thread> threads;
        const auto start = std::chrono::steady_clock::now();
        for (size_t loop = 0; loop < std::size(loops); ++loop) {
            threads.emplace_back([&, loop] {
                const double begin = threadCpuSeconds();
                loops[loop](clock, run);
                cpu[loop] += threadCpuSeconds() - begin;
            });
        }
        std::this_thread::sleep_for(kWindow);
        run = false;
        for (std::thread& thread : threads) thread.join();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double share = 100.0 / seconds;
    state.counters["panel_percent"] = cpu[0] * share;
    state.counters["link_percent"] = cpu[1] * share;
    state.counters["tick_percent"] = cpu[2] * share;
    state.counters["floor_percent"] = (cpu[0] + cpu[1] + cpu[2]) * share;
}
BENCHMARK(BM_IdlePollFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
