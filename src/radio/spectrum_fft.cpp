#include "radio/spectrum_fft.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace radio {
namespace {

// One butterfly: a keeps the sum, b gets the difference times the twiddle (c, s).
inline void butterfly(double& aRe, double& aIm, double& bRe, double& bIm, double c, double s) {
    const double tr = aRe - bRe, ti = aIm - bIm;
    aRe += bRe;
    aIm += bIm;
    bRe = tr * c - ti * s;
    bIm = tr * s + ti * c;
}

// One group of butterflies of a single stage: a and b lie span apart, w
// holds the stage's twiddles in order.
void singleStage(double* __restrict aRe, double* __restrict aIm, double* __restrict bRe,
                 double* __restrict bIm, const double* __restrict wCo, const double* __restrict wSi,
                 int span) {
    // Pairs of points so that the compiler fills vector registers.
    for (int j = 0; j < span; j += 2)
        for (int k = j; k < j + 2; ++k) butterfly(aRe[k], aIm[k], bRe[k], bIm[k], wCo[k], wSi[k]);
}

// Two stages of one group of 4q points, spans 2q and q, quarter by quarter:
// each point is read and written once for both stages. r0..r3 and i0..i3
// are the four quarters; u holds the first stage's twiddles, v the second's.
void twoStages(double* __restrict r0, double* __restrict i0, double* __restrict r1, double* __restrict i1,
               double* __restrict r2, double* __restrict i2, double* __restrict r3, double* __restrict i3,
               const double* __restrict uCo, const double* __restrict uSi, const double* __restrict vCo,
               const double* __restrict vSi, int q) {
    // Pairs of points so that the compiler fills vector registers.
    for (int j = 0; j < q; j += 2)
        for (int k = j; k < j + 2; ++k) {
            double x0 = r0[k], y0 = i0[k], x1 = r1[k], y1 = i1[k];
            double x2 = r2[k], y2 = i2[k], x3 = r3[k], y3 = i3[k];
            butterfly(x0, y0, x2, y2, uCo[k], uSi[k]);
            butterfly(x1, y1, x3, y3, uCo[k + q], uSi[k + q]);
            butterfly(x0, y0, x1, y1, vCo[k], vSi[k]);
            butterfly(x2, y2, x3, y3, vCo[k], vSi[k]);
            r0[k] = x0;
            i0[k] = y0;
            r1[k] = x1;
            i1[k] = y1;
            r2[k] = x2;
            i2[k] = y2;
            r3[k] = x3;
            i3[k] = y3;
        }
}

// The last two stages, block by block of four points: the span-2 stage
// with the twiddles w, then the span-1 stage, whose twiddle is 1 and needs
// no product.
void lastTwoStages(double* __restrict re, double* __restrict im, const double* __restrict wCo,
                   const double* __restrict wSi, int points) {
    for (int a = 0; a < points; a += 4) {
        double x0 = re[a], x1 = re[a + 1], x2 = re[a + 2], x3 = re[a + 3];
        double y0 = im[a], y1 = im[a + 1], y2 = im[a + 2], y3 = im[a + 3];
        butterfly(x0, y0, x2, y2, wCo[0], wSi[0]);
        butterfly(x1, y1, x3, y3, wCo[1], wSi[1]);
        re[a] = x0 + x1;
        re[a + 1] = x0 - x1;
        re[a + 2] = x2 + x3;
        re[a + 3] = x2 - x3;
        im[a] = y0 + y1;
        im[a + 1] = y0 - y1;
        im[a + 2] = y2 + y3;
        im[a + 3] = y2 - y3;
    }
}

// I and Q times the window. Through unaliased pointers the compiler can
// work on several points at once.
void applyWindow(const float* __restrict iq, const double* __restrict window, double* __restrict re,
                 double* __restrict im, int points) {
    for (int j = 0; j < points; ++j) {
        re[j] = iq[2 * j] * window[j];
        im[j] = iq[2 * j + 1] * window[j];
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
      magnitude_(kWideLine),
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
    // The twiddles of the stage of span s start at points - 2s.
    const auto twiddles = [&](int span) { return points - 2 * span; };
    int span = points / 2;
    // An odd number of stages before the last two: the first goes alone.
    if (std::countr_zero(static_cast<unsigned>(points)) % 2 == 1) {
        for (int a = 0; a < points; a += 2 * span)
            singleStage(re + a, im + a, re + a + span, im + a + span, co_.data(), si_.data(), span);
        span /= 2;
    }
    for (; span > 2; span /= 4) {
        const int q = span / 2;
        const double* uCo = co_.data() + twiddles(span);
        const double* uSi = si_.data() + twiddles(span);
        const double* vCo = co_.data() + twiddles(q);
        const double* vSi = si_.data() + twiddles(q);
        for (int a = 0; a < points; a += 2 * span)
            twoStages(re + a, im + a, re + a + q, im + a + q, re + a + 2 * q, im + a + 2 * q, re + a + 3 * q,
                      im + a + 3 * q, uCo, uSi, vCo, vSi, q);
    }
    lastTwoStages(re, im, co_.data() + twiddles(2), si_.data() + twiddles(2), points);
}

std::span<const uint8_t> SpectrumFft::compute(std::span<const float> samples, bool wide) {
    const int points = wide ? kFftMaxPoints : kFftMaxPoints / 2;
    // Less than a whole buffer cannot fill the line.
    if (samples.size() < static_cast<size_t>(2 * points)) return {};
    const size_t count = wide ? kWideLine : kNarrowLine;
    if (points != oldPoints_) computeTables(points, wide ? 341 : 170, count);
    applyWindow(samples.data(), window_.data(), re_.data(), im_.data(), points);
    transform(points);
    // Only the bins the decimated line keeps are converted. N/2 is a power
    // of two: multiplying by its inverse gives the quotient bit for bit.
    // The magnitudes go first in a loop of their own, which keeps the
    // scattered reads and square roots clear of the calls to log10. The
    // local pointers spare reloading them after each byte written.
    const double inverse = 2.0 / points;
    const double* re = re_.data();
    const double* im = im_.data();
    const uint16_t* source = source_.data();
    double* magnitude = magnitude_.data();
    for (size_t i = 0; i < count; ++i) {
        const double x = re[source[i]] * inverse, y = im[source[i]] * inverse;
        magnitude[i] = std::sqrt(x * x + y * y);
    }
    uint8_t* line = decimated_.data();
    for (size_t i = 0; i < count; ++i) {
        // Clamped before the conversion: an empty bin is -infinity dB.
        const double db = std::clamp(20.0 * std::log10(magnitude[i]), -192.0, 50.0);
        const int value = std::isnan(db) ? -192 : static_cast<int>(db);
        line[i] = static_cast<uint8_t>(value - 64);
    }
    return {decimated_.data(), count};
}

}  // namespace radio
