#include "radio/spectrum_fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace radio {
namespace {

// One group of butterflies of a stage: a and b lie span apart, w holds the
// stage's twiddles in order. The pointers never overlap and the butterflies
// go two at a time (span is even), which lets the compiler pair them in
// vector instructions.
void butterflies(double* __restrict aRe, double* __restrict aIm, double* __restrict bRe,
                 double* __restrict bIm, const double* __restrict wCo, const double* __restrict wSi,
                 int span) {
    for (int j = 0; j < span; j += 2) {
        for (int k = j; k < j + 2; ++k) {
            const double tr = aRe[k] - bRe[k], ti = aIm[k] - bIm[k];
            aRe[k] += bRe[k];
            aIm[k] += bIm[k];
            bRe[k] = tr * wCo[k] - ti * wSi[k];
            bIm[k] = tr * wSi[k] + ti * wCo[k];
        }
    }
}

}  // namespace

SpectrumFft::SpectrumFft()
    : re_(kFftMaxPoints),
      im_(kFftMaxPoints),
      window_(kFftMaxPoints),
      co_(kFftMaxPoints),
      si_(kFftMaxPoints),
      source_(kWideLine),
      decimated_(kWideLine) {}

void SpectrumFft::computeTables(int points, size_t first, size_t count) {
    const double pi = std::numbers::pi;
    const double span = points - 1;
    window_[0] = 0.0;
    for (int k = 1; k < points; ++k)
        window_[static_cast<size_t>(k)] = 0.35875 - 0.48829 * std::cos(2 * pi * k / span) +
                                          0.14128 * std::cos(4 * pi * k / span) -
                                          0.01168 * std::cos(6 * pi * k / span);
    const size_t half = static_cast<size_t>(points / 2);
    const double c = std::cos(pi / (points / 2)), s = -std::sin(pi / (points / 2));
    co_[0] = 1.0;
    si_[0] = 0.0;
    for (size_t k = 1; k < half; ++k) {
        co_[k] = co_[k - 1] * c - si_[k - 1] * s;
        si_[k] = co_[k - 1] * s + si_[k - 1] * c;
    }
    // Each later stage of span s uses every (N / 2s)-th twiddle; copied in
    // order behind the first stage's (at N - 2s) they are read one after another.
    for (size_t stageSpan = half / 2; stageSpan > 1; stageSpan /= 2)
        for (size_t j = 0, step = half / stageSpan; j < stageSpan; ++j) {
            co_[static_cast<size_t>(points) - 2 * stageSpan + j] = co_[j * step];
            si_[static_cast<size_t>(points) - 2 * stageSpan + j] = si_[j * step];
        }
    // Where each byte of the line finds its bin: zero frequency moves to the
    // middle, and the transform leaves its outputs in bit-reversed order.
    for (size_t i = 0; i < count; ++i) {
        const size_t position = first + 2 * i;
        const size_t bin = position < half ? position + half : position - half;
        size_t reversed = 0;
        for (size_t bit = 1; bit < static_cast<size_t>(points); bit *= 2)
            reversed = 2 * reversed + ((bin & bit) != 0 ? 1 : 0);
        source_[i] = static_cast<uint16_t>(reversed);
    }
    oldPoints_ = points;
    ++tablesComputed_;
}

void SpectrumFft::transform(int points) {
    double* re = re_.data();
    double* im = im_.data();
    for (int span = points / 2; span > 2; span /= 2) {
        const double* co = co_.data() + (points - 2 * span);
        const double* si = si_.data() + (points - 2 * span);
        for (int a = 0; a < points; a += 2 * span)
            butterflies(re + a, im + a, re + a + span, im + a + span, co, si, span);
    }
    // The last two stages, block by block of four: the span-2 stage's
    // twiddles are the first two of the table, the last stage's is 1 and
    // needs no product.
    const double co1 = co_[static_cast<size_t>(points / 4)], si1 = si_[static_cast<size_t>(points / 4)];
    for (int a = 0; a < points; a += 4) {
        double tr = re[a] - re[a + 2], ti = im[a] - im[a + 2];
        re[a] += re[a + 2];
        im[a] += im[a + 2];
        re[a + 2] = tr * co_[0] - ti * si_[0];
        im[a + 2] = tr * si_[0] + ti * co_[0];
        tr = re[a + 1] - re[a + 3];
        ti = im[a + 1] - im[a + 3];
        re[a + 1] += re[a + 3];
        im[a + 1] += im[a + 3];
        re[a + 3] = tr * co1 - ti * si1;
        im[a + 3] = tr * si1 + ti * co1;
        for (int b = a; b < a + 4; b += 2) {
            tr = re[b] - re[b + 1];
            ti = im[b] - im[b + 1];
            re[b] += re[b + 1];
            im[b] += im[b + 1];
            re[b + 1] = tr;
            im[b + 1] = ti;
        }
    }
}

std::span<const uint8_t> SpectrumFft::compute(std::span<const float> samples, bool wide) {
    const int points = wide ? kFftMaxPoints : kFftMaxPoints / 2;
    // Less than a whole buffer cannot fill the line.
    if (samples.size() < static_cast<size_t>(2 * points)) return {};
    const size_t count = wide ? kWideLine : kNarrowLine;
    if (points != oldPoints_) computeTables(points, wide ? 341 : 170, count);
    for (size_t j = 0; j < static_cast<size_t>(points); ++j) {
        re_[j] = samples[2 * j] * window_[j];
        im_[j] = samples[2 * j + 1] * window_[j];
    }
    transform(points);
    // Only the bins the decimated line keeps are converted.
    const double scale = points / 2.0;
    for (size_t i = 0; i < count; ++i) {
        const double re = re_[source_[i]] / scale, im = im_[source_[i]] / scale;
        const double magnitude = std::sqrt(re * re + im * im);
        // Clamped before the conversion: an empty bin is -infinity dB.
        const double db = std::clamp(20.0 * std::log10(magnitude), -192.0, 50.0);
        const int value = std::isnan(db) ? -192 : static_cast<int>(db);
        decimated_[i] = static_cast<uint8_t>(value - 64);
    }
    return {decimated_.data(), count};
}

}  // namespace radio
