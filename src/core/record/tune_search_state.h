#pragma once
// The working records of the automatic tune search. They belong to the
// link thread, which runs every step of the search.
#include <array>
#include <cstdint>

namespace core {

struct TuneRecord {
    float swr = 999.0f;
    float fwd = 0;  // W
    int32_t L = 0;
    int32_t C = 0;
    uint32_t tuneValue = 0;
};

inline constexpr int kTuneHistory = 10;
inline constexpr int kCoarseRows = 18;

struct TuneSearchState {
    TuneRecord tuneParam;                               // the setting just evaluated
    TuneRecord miglioretuneParam;                       // the best so far (lowest SWR)
    TuneRecord starttuneParam;                          // the setting at the start of the present fine phase
    std::array<TuneRecord, kTuneHistory> vTuneParam{};  // newest first
    // [0] the coarse table, [1] the fine result of each coarse row
    std::array<std::array<TuneRecord, kCoarseRows>, 2> TUNEtableL{};
};

}  // namespace core
