#include <benchmark/benchmark.h>

#include <vector>

#include "platform/log.h"
#include "ui/text.h"

// The main loop redraws the status bar on every 40 ms tick; this is one such
// line drawn with rendered glyphs kept and with every glyph rendered again.
static void drawStatusBar(benchmark::State& state, bool cached) {
    static const bool loaded = [] {
        platform::LogSink* previous = platform::setLogSink(&platform::stderrSink());
        ui::TTFLoad("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 22, 1);
        platform::setLogSink(previous);
        return true;
    }();
    benchmark::DoNotOptimize(loaded);
    ui::FrameBuffer fb;
    fb.width = 800;
    fb.height = 480;
    fb.bytesPerPixel = 4;
    fb.lineLength = 3200;
    fb.size = 1536000;
    fb.backStore.assign(fb.size, 0x30);
    fb.back = fb.backStore.data();
    ui::setGlyphCacheEnabled(cached);
    for (auto _ : state) {
        ui::putString(1, 8, 470,
                      "14.074.000 Hz  SWR 1.25  Pf 98 W  45\xC2\xB0"
                      "C  Ant 1  Bank 2",
                      255, 255, 255, &fb);
        benchmark::ClobberMemory();
    }
    ui::setGlyphCacheEnabled(true);
}

static void BM_StatusBarCached(benchmark::State& state) {
    drawStatusBar(state, true);
}
static void BM_StatusBarUncached(benchmark::State& state) {
    drawStatusBar(state, false);
}
BENCHMARK(BM_StatusBarCached);
BENCHMARK(BM_StatusBarUncached);
