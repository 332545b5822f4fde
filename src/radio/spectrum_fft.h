#pragma once
// The spectrum line of one IQ buffer: a 4-term Blackman-Harris window, an
// in-place radix-2 decimation-in-frequency FFT, magnitudes in whole dB as
// bytes (dB - 64) with zero frequency in the middle, decimated by 2 around
// the centre to 854 bytes, or 1706 for the wide spectrum.
#include <cstdint>
#include <span>
#include <vector>

namespace radio {

inline constexpr int kFftMaxPoints = 4096;
inline constexpr size_t kNarrowLine = 854, kWideLine = 1706;

class SpectrumFft {
  public:
    SpectrumFft();

    // samples: interleaved I and Q, 8192 of them for one buffer. The wide
    // spectrum transforms 4096 points, the narrow one the first 2048. A
    // shorter buffer gives an empty line. The line stays valid until the next call.
    std::span<const uint8_t> compute(std::span<const float> samples, bool wide);

    // How often the window and twiddles were computed: once per change of width.
    [[nodiscard]] int tablesComputed() const { return tablesComputed_; }

  private:
    void computeTables(int points, size_t first, size_t count);
    void transform(int points);

    std::vector<double> re_, im_, window_;
    // The twiddles of the first stage, then those of each later stage in order.
    std::vector<double> co_, si_;
    // For each byte of the decimated line, the index of its bin in the transform's output.
    std::vector<uint16_t> source_;
    // The kept bins' magnitudes, on their way to dB.
    std::vector<double> magnitude_;
    std::vector<uint8_t> decimated_;
    int oldPoints_ = 0;
    int tablesComputed_ = 0;
};

}  // namespace radio
