#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

#include "radio/spectrum_fft.h"

// One IQ buffer turned into the wide spectrum line (4096 points): the
// system's own transform against FFTW doing the same work around its
// transform (window, scaling, dB bytes, decimation). The ratio benchmark
// times both in one run.
namespace {

constexpr int kPoints = 4096;

std::vector<float> iqBuffer() {
    std::vector<float> iq(2 * kPoints);
    for (int j = 0; j < kPoints; ++j) {
        const double phase = 2 * std::numbers::pi * 257 * j / kPoints;
        iq[static_cast<size_t>(2 * j)] = static_cast<float>(0.1 * std::cos(phase) + 1e-6 * (j % 7));
        iq[static_cast<size_t>(2 * j + 1)] = static_cast<float>(0.1 * std::sin(phase) - 1e-6 * (j % 5));
    }
    return iq;
}

class FftwLine {
  public:
    FftwLine() : data_(fftw_alloc_complex(kPoints)), window_(kPoints), magnitude_(1706), decimated_(1706) {
        plan_ = fftw_plan_dft_1d(kPoints, data_, data_, FFTW_FORWARD, FFTW_MEASURE);
        for (int k = 1; k < kPoints; ++k) {
            const double x = 2 * std::numbers::pi * k / (kPoints - 1);
            window_[static_cast<size_t>(k)] =
                0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
        }
    }
    ~FftwLine() {
        fftw_destroy_plan(plan_);
        fftw_free(data_);
    }
    const uint8_t* compute(const std::vector<float>& iq) {
        for (size_t j = 0; j < kPoints; ++j) {
            data_[j][0] = iq[2 * j] * window_[j];
            data_[j][1] = iq[2 * j + 1] * window_[j];
        }
        fftw_execute(plan_);
        // As the system's own line does: only the bins the decimated line
        // keeps are converted, their magnitudes first, then the logarithms.
        const double inverse = 2.0 / kPoints;
        for (size_t i = 0; i < decimated_.size(); ++i) {
            const size_t position = 341 + 2 * i;
            const size_t bin = position < kPoints / 2 ? position + kPoints / 2 : position - kPoints / 2;
            const double re = data_[bin][0] * inverse, im = data_[bin][1] * inverse;
            magnitude_[i] = std::sqrt(re * re + im * im);
        }
        for (size_t i = 0; i < decimated_.size(); ++i) {
            const double db = std::clamp(20.0 * std::log10(magnitude_[i]), -192.0, 50.0);
            decimated_[i] = static_cast<uint8_t>(static_cast<int>(db) - 64);
        }
        return decimated_.data();
    }

  private:
    fftw_complex* data_;
    fftw_plan plan_;
    std::vector<double> window_, magnitude_;
    std::vector<uint8_t> decimated_;
};

void fftCalcLine(benchmark::State& state) {
    radio::SpectrumFft fft;
    const std::vector<float> iq = iqBuffer();
    for (auto _ : state) benchmark::DoNotOptimize(fft.compute(iq, true).data());
}
BENCHMARK(fftCalcLine);

void fftwLine(benchmark::State& state) {
    FftwLine fftw;
    const std::vector<float> iq = iqBuffer();
    for (auto _ : state) benchmark::DoNotOptimize(fftw.compute(iq));
}
BENCHMARK(fftwLine);

// Both in turn, in one run: ratio = fftCalc's time / FFTW's.
void fftCalcAgainstFftw(benchmark::State& state) {
    radio::SpectrumFft fft;
    FftwLine fftw;
    const std::vector<float> iq = iqBuffer();
    using Clock = std::chrono::steady_clock;
    Clock::duration own{}, reference{};
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(fft.compute(iq, true).data());
        auto middle = Clock::now();
        benchmark::DoNotOptimize(fftw.compute(iq));
        auto end = Clock::now();
        own += middle - start;
        reference += end - middle;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["fftCalc_us"] = std::chrono::duration<double, std::micro>(own).count() / iterations;
    state.counters["fftw_us"] = std::chrono::duration<double, std::micro>(reference).count() / iterations;
    state.counters["ratio"] = static_cast<double>(own.count()) / static_cast<double>(reference.count());
}
BENCHMARK(fftCalcAgainstFftw);

}  // namespace
