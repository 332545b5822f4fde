#include "tuner/tune_word.h"

#include <gtest/gtest.h>

#include "core/tune_value_bits.h"
#include "test_station.h"
#include "tuner/tune_index.h"

namespace {

TEST(TuneWord, LayoutAndRoundTripOfEveryIndex) {
    EXPECT_EQ(tuner::withInductor(tuner::withCapacitor(0, 511), 511), 0x38FFFEu);
    EXPECT_EQ(tuner::withCapacitor(0, 1), 0x8000u);
    EXPECT_EQ(tuner::withInductor(0, 1), 0x2u);
    EXPECT_EQ(tuner::withCapacitor(0, 0x3FF), core::tuneValue::CapacitorMask);  // bit 9 ignored
    EXPECT_EQ(tuner::withCapacitor(0xFFFFFFFFu, 0), ~core::tuneValue::CapacitorMask);
    for (int32_t c = 0; c < 512; ++c)
        for (int32_t l = 0; l < 512; ++l) {
            uint32_t word = tuner::withInductor(tuner::withCapacitor(core::tuneValue::NetworkLC, c), l);
            if (tuner::DecodeCapacitaFromTuneval(word) != c ||
                tuner::DecodeInduttanzaFromTuneval(word) != l ||
                tuner::DecodeModoFromTuneval(word) != tuner::kModeLC)
                FAIL() << "c " << c << " l " << l << " word 0x" << std::hex << word;
        }
}

TEST(TuneWord, TwoModeWordDecodesToNoneAndReadsAsBypassAndSettingCLLeavesIt) {
    testing_support::TestStation station;
    core::Works& works = station.works;
    uint32_t word = tuner::withInductor(
        tuner::withCapacitor(core::tuneValue::Bypass | core::tuneValue::NetworkCL, 300), 17);
    works.tuneValue = word;
    tuner::ReadTnePar(works);
    EXPECT_EQ(station.log.lines(platform::LogChannel::Trace),
              std::vector<std::string>{"DecodeModoFromTuneval -> tune: 0x810000 \n"});
    EXPECT_EQ(works.tuneMode.load(), tuner::kModeBypass);
    EXPECT_EQ(works.tunerBypass.load(), 1);
    EXPECT_EQ(works.tuneValue.load(), word & ~core::tuneValue::NetworkCL);
    EXPECT_EQ(works.tuneC.load(), 300);
    EXPECT_EQ(works.tuneL.load(), 17);

    // Setting the CL network leaves the by-pass.
    uint32_t indices = tuner::withInductor(tuner::withCapacitor(0, 5), 6);
    works.tuneValue = indices | core::tuneValue::Bypass;
    works.tunerBypass = 1;
    tuner::SetMode(works, tuner::kModeCL);
    EXPECT_EQ(works.tuneValue.load(), indices | core::tuneValue::NetworkCL);
    EXPECT_EQ(works.tunerBypass.load(), 0);
    tuner::SetMode(works, 7);  // unknown: only remembered
    EXPECT_EQ(works.tuneValue.load(), indices | core::tuneValue::NetworkCL);
    EXPECT_EQ(works.tuneMode.load(), 7);
}

TEST(TuneIndex, ExamplesSegmentsAndRoundTrip) {
    tuner::AtuSegment segment;
    EXPECT_EQ(tuner::AtuIdxSearch(14074000, &segment), 3117);
    EXPECT_EQ(segment.segmentStart, 14000000);
    EXPECT_EQ(segment.segmentEnd, 14350000);
    EXPECT_EQ(segment.firstIndex, 3110);
    EXPECT_EQ(segment.endIndex, 3145);
    EXPECT_EQ(tuner::AtuFreqfromIdx(3117), 14070000);
    EXPECT_EQ(tuner::AtuIdxSearch(1800000), 900);
    EXPECT_EQ(tuner::AtuFreqfromIdx(900), 1800000);
    EXPECT_EQ(tuner::AtuIdxSearch(3999999, &segment), 1500);  // rounds into row 4
    EXPECT_EQ(segment.endIndex, 1500);
    EXPECT_EQ(tuner::AtuIdxSearch(60000000, &segment), 4770);
    EXPECT_EQ(segment.firstIndex, 4569);
    EXPECT_EQ(segment.endIndex, 4649);
    for (int32_t index = 0; index <= 4649; ++index)
        ASSERT_EQ(tuner::AtuIdxSearch(tuner::AtuFreqfromIdx(index)), index);
}

}  // namespace
