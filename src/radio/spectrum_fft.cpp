#include "radio/spectrum_fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace radio {

SpectrumFft::SpectrumFft()
    : re_(kFftMaxPoints),
      im_(kFftMaxPoints),
      window_(kFftMaxPoints),
      co_(kFftMaxPoints / 2),
      si_(kFftMaxPoints / 2),
      line_(kFftMaxPoints),
      decimated_(kWideLine) {}

void SpectrumFft::computeTables(int points) {
    const double pi = std::numbers::pi;
    const double span = points - 1;
    window_[0] = 0.0;
    for (int k = 1; k < points; ++k)
        window_[static_cast<size_t>(k)] = 0.35875 - 0.48829 * std::cos(2 * pi * k / span) +
                                          0.14128 * std::cos(4 * pi * k / span) -
                                          0.01168 * std::cos(6 * pi * k / span);
    const double c = std::cos(pi / (points / 2)), s = -std::sin(pi / (points / 2));
    co_[0] = 1.0;
    si_[0] = 0.0;
    for (size_t k = 1; k < static_cast<size_t>(points / 2); ++k) {
        co_[k] = co_[k - 1] * c - si_[k - 1] * s;
        si_[k] = co_[k - 1] * s + si_[k - 1] * c;
    }
    oldPoints_ = points;
    ++tablesComputed_;
}

void SpectrumFft::transform(int points) {
    double* re = re_.data();
    double* im = im_.data();
    const double* co = co_.data();
    const double* si = si_.data();
    // The last stage's twiddle is 1: it needs no product.
    for (int span = points / 2, groups = 1; span > 1; span /= 2, groups *= 2) {
        for (int base = 0; base < points; base += 2 * span) {
            for (int j = 0, twiddle = 0; j < span; ++j, twiddle += groups) {
                const int a = base + j, b = a + span;
                const double tr = re[a] - re[b], ti = im[a] - im[b];
                re[a] += re[b];
                im[a] += im[b];
                re[b] = tr * co[twiddle] - ti * si[twiddle];
                im[b] = tr * si[twiddle] + ti * co[twiddle];
            }
        }
    }
    for (int a = 0; a < points; a += 2) {
        const double tr = re[a] - re[a + 1], ti = im[a] - im[a + 1];
        re[a] += re[a + 1];
        im[a] += im[a + 1];
        re[a + 1] = tr;
        im[a + 1] = ti;
    }
    // The outputs come in bit-reversed order.
    for (int i = 1, j = 0; i < points; ++i) {
        int bit = points >> 1;
        for (; (j & bit) != 0; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
}

std::span<const uint8_t> SpectrumFft::compute(std::span<const float> samples, bool wide) {
    const int points = std::min(kFftMaxPoints, static_cast<int>(samples.size()) / (wide ? 2 : 4));
    if (points != oldPoints_) computeTables(points);
    for (size_t j = 0; j < static_cast<size_t>(points); ++j) {
        re_[j] = samples[2 * j] * window_[j];
        im_[j] = samples[2 * j + 1] * window_[j];
    }
    transform(points);
    const double scale = points / 2.0;
    const int half = points / 2;
    for (int k = 0; k < points; ++k) {
        const double re = re_[static_cast<size_t>(k)] / scale, im = im_[static_cast<size_t>(k)] / scale;
        const double magnitude = std::sqrt(re * re + im * im);
        // Clamped before the conversion: an empty bin is -infinity dB.
        const double db = std::clamp(20.0 * std::log10(magnitude), -192.0, 50.0);
        const int value = std::isnan(db) ? -192 : static_cast<int>(db);
        line_[static_cast<size_t>(k < half ? k + half : k - half)] = static_cast<uint8_t>(value - 64);
    }
    const size_t count = wide ? kWideLine : kNarrowLine;
    const size_t first = wide ? 341 : 170;
    for (size_t i = 0; i < count; ++i) decimated_[i] = line_[first + 2 * i];
    return {decimated_.data(), count};
}

}  // namespace radio
