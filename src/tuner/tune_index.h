#pragma once
// The frequency index of the tune memories: HF and 6 m in segments with a
// band-dependent step (tabAtuStep), one index per step.
#include <cstdint>

namespace tuner {

struct AtuStepRow {
    int32_t start;  // Hz
    int32_t step;   // Hz; -1 ends the table
};
inline constexpr int kAtuStepRows = 23;
extern const AtuStepRow tabAtuStep[kAtuStepRows];

// The segment that holds a frequency and the index range it covers.
struct AtuSegment {
    int32_t segmentStart = 0, segmentEnd = 0;  // Hz, [start, end)
    int32_t firstIndex = 0, endIndex = 0;      // [first, end)
};

// The index of a frequency (rounded to the nearest step); segment, when
// given, receives the segment of that index.
[[nodiscard]] int32_t AtuIdxSearch(int32_t frequency, AtuSegment* segment = nullptr);
[[nodiscard]] int32_t AtuFreqfromIdx(int32_t index);

}  // namespace tuner
