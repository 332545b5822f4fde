#include "radio/spectrum_fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
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

// The spectrum line computed the plain way, step by step, to pin the bytes
// of the optimised transform.
std::vector<uint8_t> referenceLine(const std::vector<float>& iq, bool wide) {
    const int points = wide ? 4096 : 2048;
    const double pi = std::numbers::pi;
    std::vector<double> re(points), im(points), co(points / 2), si(points / 2);
    for (int k = 0; k < points; ++k) {
        const double span = points - 1;
        const double w = k == 0 ? 0.0
                                : 0.35875 - 0.48829 * std::cos(2 * pi * k / span) +
                                      0.14128 * std::cos(4 * pi * k / span) -
                                      0.01168 * std::cos(6 * pi * k / span);
        re[k] = iq[2 * k] * w;
        im[k] = iq[2 * k + 1] * w;
    }
    const double c = std::cos(pi / (points / 2)), s = -std::sin(pi / (points / 2));
    co[0] = 1.0;
    si[0] = 0.0;
    for (int k = 1; k < points / 2; ++k) {
        co[k] = co[k - 1] * c - si[k - 1] * s;
        si[k] = co[k - 1] * s + si[k - 1] * c;
    }
    for (int span = points / 2, groups = 1; span >= 1; span /= 2, groups *= 2)
        for (int base = 0; base < points; base += 2 * span)
            for (int j = 0; j < span; ++j) {
                const int a = base + j, b = a + span, t = j * groups;
                const double tr = re[a] - re[b], ti = im[a] - im[b];
                re[a] += re[b];
                im[a] += im[b];
                re[b] = tr * co[t] - ti * si[t];
                im[b] = tr * si[t] + ti * co[t];
            }
    std::vector<uint8_t> line(points);
    for (int k = 0; k < points; ++k) {
        int reversed = 0;
        for (int bit = 1; bit < points; bit *= 2) reversed = reversed * 2 + ((k & bit) != 0 ? 1 : 0);
        const double x = re[reversed] / (points / 2.0), y = im[reversed] / (points / 2.0);
        const double db = std::clamp(20.0 * std::log10(std::sqrt(x * x + y * y)), -192.0, 50.0);
        const int value = std::isnan(db) ? -192 : static_cast<int>(db);
        line[(k + points / 2) % points] = static_cast<uint8_t>(value - 64);
    }
    std::vector<uint8_t> decimated;
    for (size_t p = wide ? 341 : 170; decimated.size() < (wide ? 1706u : 854u); p += 2)
        decimated.push_back(line[p]);
    return decimated;
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

TEST(SpectrumFft, OnlyAWholeBufferGivesALine) {
    struct Case {
        size_t samples;
        bool wide;
        size_t length;
    } cases[] = {
        {8192, true, 1706}, {8192, false, 854}, {4096, false, 854},
        {8191, true, 0},    {4095, false, 0},   {0, true, 0},
    };
    radio::SpectrumFft fft;
    for (const Case& c : cases) {
        std::vector<float> iq = tone(4096, 3, -10.0, c.samples);
        EXPECT_EQ(fft.compute(iq, c.wide).size(), c.length) << c.samples << " wide " << c.wide;
    }
}

TEST(SpectrumFft, TablesAreComputedOncePerWidth) {
    radio::SpectrumFft fft;
    std::vector<float> iq = tone(4096, 3, -10.0);
    const bool widths[] = {true, true, false, false, false, true};
    for (bool wide : widths) (void)fft.compute(iq, wide);
    EXPECT_EQ(fft.tablesComputed(), 3);
}

TEST(SpectrumFft, BytesMatchThePlainComputation) {
    // Noise from far below the floor to above full scale, tones on and
    // between bins, and both together, so that every dB step is crossed.
    std::mt19937 random(1600);
    std::normal_distribution<double> noise;
    std::uniform_real_distribution<double> level(-11.0, 3.0);
    std::vector<std::vector<float>> inputs;
    for (int n = 0; n < 24; ++n) {
        const double amplitude = std::pow(10.0, level(random));
        std::vector<float> iq(8192);
        for (float& x : iq) x = static_cast<float>(amplitude * noise(random));
        inputs.push_back(iq);
    }
    for (double bin : {0.0, 1.0, 257.0, 300.5, -1023.25}) {
        std::vector<float> iq(8192);
        for (size_t j = 0; j < iq.size() / 2; ++j) {
            const double phase = 2 * std::numbers::pi * bin * static_cast<double>(j) / 4096;
            iq[2 * j] = static_cast<float>(0.3 * std::cos(phase) + 1e-5 * noise(random));
            iq[2 * j + 1] = static_cast<float>(0.3 * std::sin(phase) + 1e-5 * noise(random));
        }
        inputs.push_back(iq);
    }
    radio::SpectrumFft fft;
    for (size_t n = 0; n < inputs.size(); ++n)
        for (bool wide : {true, false}) {
            std::span<const uint8_t> line = fft.compute(inputs[n], wide);
            const std::vector<uint8_t> expected = referenceLine(inputs[n], wide);
            ASSERT_EQ(std::vector<uint8_t>(line.begin(), line.end()), expected)
                << "input " << n << " wide " << wide;
        }
}

}  // namespace
