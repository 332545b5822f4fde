#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/errors.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/try_mutex.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"
#include "ui/fonts.h"
#include "ui/framebuffer.h"
#include "ui/main_loop.h"
#include "ui/spectrum_plot.h"
#include "ui/text.h"

// Recomposing the meter screen whole each main-loop tick costs three block
// copies of the frame (background to back, back to the display and the
// display's own copy) plus the drawing: that is the floor. A tick paints
// only what changed, so a steady screen costs little and a moving one (the
// needles and numbers change every tick) what its changes cover. The floor
// runs first so that each frame reports how many floors it costs.
namespace {

constexpr std::time_t kNow = 1700000000;

// A simulated station under a temporary run root, showing main window 1
// with both peak needles and six error boxes.
class MeterScreen {
  public:
    MeterScreen()
        : root_(makeRoot()),
          machine_(platform::makeSimPlatform(root_.string(), std::make_unique<platform::ManualClock>())) {
        previousSink_ = platform::setLogSink(&silent_);
        works.platform = machine_.get();
        works.setup = &setup_;
        works.threads = &threads_;
        core::InitGlobalVar(works);
        fb_.reset(ui::fbInit(works));
        works.fb = fb_.get();
        works.serMut = &serMut_;
        works.spectrum = &spectrum_;
        ui::loadFonts(works);
        ui::InitGrid(works);
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
        for (int code : {1, 3, 4, 6, 9, 10}) core::AddErrore(works, code);
        works.bypass = 0;
        works.ampFrequency = 14074000;
        works.powerFwd = 35.2f;
        works.powerFwdPeak = 38.6f;
        works.powerRefl = 1.4f;
        works.temperature1 = 41.3f;
        works.temperature2 = 38.9f;
        works.EnablePwrPeak = 1;
        works.lastActivity = kNow;
        works.mainWindow = 1;
        ui::SetWorkImg(works);
    }
    ~MeterScreen() {
        works.fb = nullptr;
        fb_.reset();
        platform::setLogSink(previousSink_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    MeterScreen(const MeterScreen&) = delete;
    MeterScreen& operator=(const MeterScreen&) = delete;

    [[nodiscard]] bool ready() const { return fb_ != nullptr; }

  private:
    static std::filesystem::path makeRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brisel-bench-XXXXXX").string();
        return mkdtemp(pattern.data());
    }

    bench::Silent silent_;
    platform::LogSink* previousSink_ = nullptr;
    std::filesystem::path root_;
    std::unique_ptr<platform::Platform> machine_;
    core::SetupRecord setup_;
    core::ThreadSet threads_;
    core::TryMutex serMut_;
    core::SpectrumRecord spectrum_;

  public:
    core::Works works;

  private:
    // Declared last: the display goes before the system it registered with.
    std::unique_ptr<ui::FrameBuffer> fb_;
};

double floorNs = 0;  // mean time of the last floor run

double meanNs(std::chrono::steady_clock::duration elapsed, benchmark::IterationCount iterations) {
    return iterations == 0
               ? 0
               : static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) /
                     static_cast<double>(iterations);
}

void BM_FrameFloor(benchmark::State& state) {
    constexpr size_t kFrame = 800 * 480 * 4;
    std::vector<uint8_t> background(kFrame, 0x40), back(kFrame), screen(kFrame), device(kFrame);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::memcpy(back.data(), background.data(), kFrame);
        std::memcpy(screen.data(), back.data(), kFrame);
        std::memcpy(device.data(), screen.data(), kFrame);
        benchmark::ClobberMemory();
    }
    floorNs = meanNs(std::chrono::steady_clock::now() - start, state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 3 * static_cast<int64_t>(kFrame));
}

// Powers that change every tick, as while transmitting: both needles and
// their numbers move and the peaks follow.
void moveReadings(core::Works& works, benchmark::IterationCount tick) {
    const auto step = static_cast<float>(tick % 50);
    works.powerFwd = 5.0f + step;
    works.powerFwdPeak = 8.0f + step;
    works.powerRefl = 0.2f + step / 20.0f;
}

void meterFrame(benchmark::State& state, bool glyphCache, bool moving) {
    MeterScreen screen;
    if (!screen.ready()) {
        state.SkipWithError("no simulated display");
        return;
    }
    ui::setGlyphCacheEnabled(glyphCache);
    const auto start = std::chrono::steady_clock::now();
    benchmark::IterationCount tick = 0;
    for (auto _ : state) {
        if (moving) moveReadings(screen.works, ++tick);
        ui::timerTick(screen.works, kNow);
        benchmark::ClobberMemory();
    }
    const double frameNs = meanNs(std::chrono::steady_clock::now() - start, state.iterations());
    ui::setGlyphCacheEnabled(true);
    if (floorNs > 0) state.counters["floors"] = frameNs / floorNs;
}

void BM_FrameMeterScreen(benchmark::State& state) {
    meterFrame(state, true, false);
}
void BM_FrameMeterScreenMoving(benchmark::State& state) {
    meterFrame(state, true, true);
}
void BM_FrameMeterScreenNoGlyphCache(benchmark::State& state) {
    meterFrame(state, false, true);
}

}  // namespace

BENCHMARK(BM_FrameFloor);
BENCHMARK(BM_FrameMeterScreen);
BENCHMARK(BM_FrameMeterScreenMoving);
BENCHMARK(BM_FrameMeterScreenNoGlyphCache);
