#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "bench_support.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"
#include "remote/frame_writers.h"
#include "remote/server.h"
#include "sim/remote/remote_client.h"

// Status records reaching a logged-in brisel-remote client from the real
// server thread over loopback TCP: at the main loop's tick (what a client
// sees), and back to back (the headroom of the path).
namespace {

// The server thread of a simulated station (its pauses cost no time) and a
// client that has logged in and seen its first status record.
class LoggedInClient {
  public:
    LoggedInClient()
        : root_(makeRoot()),
          machine_(platform::makeSimPlatform(root_.string(), std::make_unique<platform::ManualClock>())) {
        previousSink_ = platform::setLogSink(&silent_);
        works.platform = machine_.get();
        works.setup = &setup_;
        works.threads = &threads_;
        core::InitGlobalVar(works);
        works.Passphrase.set("bench");
        works.TcpPort = static_cast<int16_t>(bench::freeLoopbackPort());
        works.running = 1;
        threads_.start(works, core::ThreadId::Wsocket, remote::Wsocket);
        remote_client::Endpoint endpoint;
        endpoint.port = static_cast<uint16_t>(works.TcpPort.load());
        for (int attempt = 0; attempt < 200 && !client.connect(endpoint).empty(); ++attempt) {
            client.close();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        client.login("bench");
        while (works.wsActive == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoggedInClient() {
        client.close();
        works.running = 0;
        threads_.join(core::ThreadId::Wsocket);
        platform::setLogSink(previousSink_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The next status record, skipping heartbeat answers.
    bool nextStatus() {
        for (;;) {
            const auto message = client.receive(2000);
            if (!message) return false;
            if (message->code == "ST") return true;
        }
    }

    core::Works works;
    remote_client::RemoteClient client;

  private:
    static std::filesystem::path makeRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brisel-bench-XXXXXX").string();
        return mkdtemp(pattern.data());
    }

    std::filesystem::path root_;
    std::unique_ptr<platform::SimPlatform> machine_;
    bench::Silent silent_;
    platform::LogSink* previousSink_;
    core::SetupRecord setup_;
    core::ThreadSet threads_;
};

// One second of the main loop's step: the status record every tick period.
void BM_RemoteStatusAtTheTickRate(benchmark::State& state) {
    LoggedInClient station;
    const auto period = std::chrono::microseconds(station.works.timerPeriod.load());
    for (auto _ : state) {
        std::atomic<bool> ticking{true};
        std::thread ticker([&] {
            for (auto next = std::chrono::steady_clock::now(); ticking; next += period) {
                remote::sendStatusToClient(station.works);
                std::this_thread::sleep_until(next + period);
            }
        });
        int received = 0;
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1) && station.nextStatus())
            ++received;
        ticking = false;
        ticker.join();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["records_per_s"] = received / seconds;
        state.counters["tick_rate"] = 1e6 / static_cast<double>(period.count());
    }
}
BENCHMARK(BM_RemoteStatusAtTheTickRate)->Iterations(1)->Unit(benchmark::kMillisecond);

// Records sent and received back to back: how far the path exceeds the tick rate.
void BM_RemoteStatusCapacity(benchmark::State& state) {
    LoggedInClient station;
    for (auto _ : state) {
        remote::sendStatusToClient(station.works);
        if (!station.nextStatus()) state.SkipWithError("the connection ended");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RemoteStatusCapacity)->Unit(benchmark::kMicrosecond);

}  // namespace
