#include "radio/spectrum_fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Interleaved I and Q of a complex tone at a whole bin of points.
std::vector<float> tone(int points, int bin, double levelDb, size_t samples = 8192) {
    std::vector<float> iq(samples);
    const double amplitude = std::pow(10.0, levelDb / 20.0);
    for (size_t j = 0; j < samples / 2; ++j) {
        const double phase = 2 * std::numbers::pi * bin * static_cast<double>(j) / points;
        iq[2 * j] = static_cast<float>(amplitude * std::cos(phase));
        iq[2 * j + 1] = static_cast<float>(amplitude * std::sin(phase));
    }
    return iq;
}

TEST(SpectrumFft, AToneLandsInItsBinAtItsLevel) {
    struct Case {
        bool wide;
        int bin;
        double levelDb;
        size_t index;  // in the decimated line
    } cases[] = {
        {true, 257, -20.0, (257 + 2048 - 341) / 2},
        {true, -641, -40.0, (4096 - 641 - 2048 - 341) / 2},
        {true, 1, 0.0, (1 + 2048 - 341) / 2},
        {false, 100, -20.0, (100 + 1024 - 170) / 2},
        {false, -400, -60.0, (2048 - 400 - 1024 - 170) / 2},
    };
    radio::SpectrumFft fft;
    for (const Case& c : cases) {
        const int points = c.wide ? 4096 : 2048;
        std::vector<float> iq = tone(points, c.bin, c.levelDb);
        std::span<const uint8_t> line = fft.compute(iq, c.wide);
        ASSERT_EQ(line.size(), c.wide ? 1706u : 854u);
        const size_t peak = static_cast<size_t>(std::max_element(line.begin(), line.end()) - line.begin());
        EXPECT_EQ(peak, c.index) << c.bin;
        // The window's coherent gain, 0.35875, and the scaling by N/2 take 2.88 dB off the tone.
        // A byte is dB - 64 modulo 256, that is dB + 192 for the clamped range.
        const int expected = static_cast<int>(c.levelDb - 2.88) + 192;
        EXPECT_NEAR(line[peak], expected, 1) << c.bin;
        // Far from the tone only the window's side lobes remain, 90 dB down.
        const size_t far = (peak + line.size() / 2) % line.size();
        EXPECT_LT(line[far], expected - 80) << c.bin;
    }
}

TEST(SpectrumFft, SilenceAndFullScaleHitTheClamps) {
    radio::SpectrumFft fft;
    std::vector<float> silence(8192, 0.0f);
    for (bool wide : {true, false}) {
        std::span<const uint8_t> line = fft.compute(silence, wide);
        EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](uint8_t b) { return b == 0x00; }))
            << "below -192 dB: -256 as a byte";
    }
    std::vector<float> loud = tone(4096, 257, 60.0);
    EXPECT_EQ(fft.compute(loud, true)[(257 + 2048 - 341) / 2], static_cast<uint8_t>(50 - 64));
}

TEST(SpectrumFft, TablesAreComputedOncePerWidth) {
    radio::SpectrumFft fft;
    std::vector<float> iq = tone(4096, 3, -10.0);
    const bool widths[] = {true, true, false, false, false, true};
    for (bool wide : widths) (void)fft.compute(iq, wide);
    EXPECT_EQ(fft.tablesComputed(), 3);
}

}  // namespace
