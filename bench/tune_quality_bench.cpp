// How well the automatic tune search matches real loads: the search code of
// the link thread runs against the emulated amplifier and its tuner network
// in process, frame by frame, for a fixed set of loads across HF and 6 m.
// For every load it prints the SWR the search ends at, the best SWR any
// setting reaches (exhaustive search) and the steps used, for the complete
// search and for a fine search started from that result one percent higher
// in frequency; then the share of loads ended within 0.1 of the best.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "amp/command_text.h"
#include "amp/frame.h"
#include "amp/status_reply.h"
#include "config/config_offset_file.h"
#include "config/setup.h"
#include "core/errors.h"
#include "core/tune_value_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"
#include "sim/amp/emulator.h"
#include "sim/amp/tuner_network.h"
#include "tuner/tune_search.h"
#include "tuner/tune_word.h"

namespace {

struct BenchLoad {
    const char* band;
    double hz;
    sim::Impedance z;
};

// Low and high resistances, capacitive and inductive, on every band.
const std::vector<BenchLoad> kLoads = {
    {"160m", 1.85e6, {12, -60}},  {"160m", 1.95e6, {250, 100}},  {"80m", 3.55e6, {20, 40}},
    {"80m", 3.80e6, {150, -200}}, {"60m", 5.36e6, {35, -120}},   {"40m", 7.05e6, {10, 0}},
    {"40m", 7.20e6, {400, 0}},    {"30m", 10.12e6, {80, 150}},   {"20m", 14.07e6, {20, -30}},
    {"20m", 14.25e6, {200, 0}},   {"17m", 18.10e6, {30, 60}},    {"17m", 18.15e6, {120, -80}},
    {"15m", 21.10e6, {15, 20}},   {"15m", 21.35e6, {300, -150}}, {"12m", 24.94e6, {70, 90}},
    {"10m", 28.50e6, {25, -50}},  {"10m", 29.50e6, {150, 100}},  {"6m", 50.20e6, {30, 25}},
    {"6m", 50.50e6, {100, -50}},  {"6m", 52.00e6, {20, -15}},    {"6m", 53.50e6, {75, 60}},
    {"20m", 14.20e6, {5, 10}},
};

constexpr double kTuneCarrierW = 5.0;

class QuietLog : public platform::LogSink {
  public:
    void write(platform::LogChannel, std::string_view) override {}
};

// The link thread's side of a search, with the emulator in place of the port.
class SearchRun {
  public:
    SearchRun(platform::Platform& machine, const BenchLoad& load, double hz)
        : emulator_({60, false}, 1.0, now_), hz_(hz), load_(load.z) {
        works_.platform = &machine;
        works_.setup = &setup_;
        config::initSetup(works_);
        core::InitErrorDescriptors(works_);
        config::LoadConfigOffsetFile(works_);
        works_.AutoTuneMode = 1;
        works_.AttenuatorTune = 3;
        works_.SWRescAutoTune = 0;
        works_.AutoTuneMaxCicli = 0;
        works_.ModeWorkIdx = 0;
        works_.frequency = static_cast<int32_t>(hz);
        emulator_.model().setLoad(sim::AntennaLoad::fixed(load.z));
        emulator_.model().key(kTuneCarrierW, static_cast<uint32_t>(hz));
    }

    // Runs one search from the given tune word; returns the steps it took.
    int run(uint32_t startWord, bool fine) {
        works_.tuneValue = startWord;
        tuner::ReadTnePar(works_);
        send(tuneWord());
        works_.tuneFine = fine ? 1 : 0;
        tuner::StartAutotune(works_);
        int steps = 0;
        while (works_.tuneState != 0) {
            if (works_.cmdBurst != 0) {
                drainBurst();
                continue;
            }
            if (!status()) break;
            switch (works_.tuneState) {
                case 1:
                    // As the link: at a low SWR one more status poll settles the next step.
                    if (works_.swr <= 10.0f) works_.tuneState = 3;
                    ++steps;
                    tuner::TuneTask(works_);
                    send(tuneWord());
                    break;
                case 2:
                    send("CPFFFF;");
                    works_.tuneState = 1;
                    break;
                default:
                    works_.tuneState = 1;
                    break;
            }
        }
        return steps;
    }

    [[nodiscard]] uint32_t tuneValue() const { return works_.tuneValue; }
    [[nodiscard]] double seenSwr() const { return works_.tuneBestSwr; }
    [[nodiscard]] double swrNow() const {
        return sim::swrOf(sim::networkInput(sim::tunerSettingFromWord(works_.tuneValue), load_, hz_));
    }

  private:
    std::string tuneWord() const {
        char text[16];
        std::snprintf(text, sizeof text, "MT1%08X;", works_.tuneValue.load());
        return text;
    }
    std::string send(const std::string& payload) {
        now_ += std::chrono::milliseconds(20);
        auto replies = emulator_.onFrame(amp::encodeFrame(payload), now_);
        if (replies.empty()) return {};
        auto checked = amp::checkFrame(replies.front().bytes);
        return checked.status == amp::FrameStatus::Good ? std::string(checked.payload) : std::string();
    }
    // The start commands go out back to back, as the link sends a burst.
    void drainBurst() {
        send(tuneWord());
        while (auto code = works_.cmdRing.pop())
            if (auto command = amp::commandText(works_, *code)) send(command->payload);
        works_.cmdBurst = 0;
    }
    // One status poll, decoded as the link decodes it.
    bool status() {
        std::string payload = send("ST;");
        auto reply = amp::ParseStatusReply(payload);
        if (!reply) return false;
        amp::ApplyStatusReply(works_, *reply, payload);
        return true;
    }

    sim::Emulator::Clock::time_point now_{};
    core::SetupRecord setup_;
    core::Works works_;
    sim::Emulator emulator_;
    double hz_;
    sim::Impedance load_;
};

struct Outcome {
    double best = 0, complete = 0, seen = 0, fineStart = 0, fine = 0, fineBest = 0;
    int completeSteps = 0, fineSteps = 0;
};

Outcome measure(platform::Platform& machine, const BenchLoad& load) {
    Outcome outcome;
    outcome.best = sim::bestTune(load.z, load.hz).swr;
    SearchRun complete(machine, load, load.hz);
    outcome.completeSteps = complete.run(core::tuneValue::NetworkCL, false);
    outcome.complete = complete.swrNow();
    outcome.seen = complete.seenSwr();

    const double moved = load.hz * 1.01;
    outcome.fineBest = sim::bestTune(load.z, moved).swr;
    SearchRun fine(machine, load, moved);
    outcome.fineSteps = fine.run(complete.tuneValue(), true);
    outcome.fineStart =
        sim::swrOf(sim::networkInput(sim::tunerSettingFromWord(complete.tuneValue()), load.z, moved));
    outcome.fine = fine.swrNow();
    return outcome;
}

void BM_TuneQuality(benchmark::State& state) {
    auto root = std::filesystem::temp_directory_path() / ("brisel-tune-bench-" + std::to_string(getpid()));
    // The search's pauses pass at once: the search runs at model speed.
    auto machine = platform::makeSimPlatform(root.string(), std::make_unique<platform::ManualClock>());
    QuietLog quiet;
    std::vector<Outcome> outcomes;
    for (auto _ : state) {
        platform::LogSink* previous = platform::setLogSink(&quiet);
        outcomes.clear();
        for (const auto& load : kLoads) outcomes.push_back(measure(*machine, load));
        platform::setLogSink(previous);
    }
    std::printf("\n%-5s %9s %17s | %6s | %8s %5s %5s | %8s %5s %8s %6s\n", "band", "MHz", "load (ohm)",
                "best", "complete", "seen", "steps", "fine+1%", "steps", "from", "best");
    int withinComplete = 0, withinFine = 0;
    double sumComplete = 0, sumBest = 0;
    for (size_t i = 0; i < kLoads.size(); ++i) {
        const auto& load = kLoads[i];
        const auto& o = outcomes[i];
        char z[32];
        std::snprintf(z, sizeof z, "%.0f%+.0fj", load.z.real(), load.z.imag());
        std::printf("%-5s %9.3f %17s | %6.2f | %8.2f %5.2f %5d | %8.2f %5d %8.2f %6.2f\n", load.band,
                    load.hz / 1e6, z, o.best, o.complete, o.seen, o.completeSteps, o.fine, o.fineSteps,
                    o.fineStart, o.fineBest);
        sumComplete += o.complete;
        sumBest += o.best;
        if (o.complete <= o.best + 0.1) ++withinComplete;
        if (o.fine <= o.fineBest + 0.1) ++withinFine;
    }
    const double share = static_cast<double>(withinComplete) / static_cast<double>(kLoads.size());
    std::printf("complete search within 0.1 of the reachable best: %d of %zu loads (%.0f %%)\n",
                withinComplete, kLoads.size(), 100.0 * share);
    std::printf("fine search within 0.1 of the reachable best: %d of %zu loads\n", withinFine, kLoads.size());
    state.counters["within_0.1"] = share;
    // The mean SWR the complete search ends at beside the mean reachable best.
    state.counters["mean_swr"] = sumComplete / static_cast<double>(kLoads.size());
    state.counters["mean_best_swr"] = sumBest / static_cast<double>(kLoads.size());
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}
BENCHMARK(BM_TuneQuality)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
