// The main loop takes the frequency from the transceiver's parameter record
// in the maker's transceiver's mode.
#include <gtest/gtest.h>

#include "core/record/spectrum_data.h"
#include "core/status_bits.h"
#include "radio/aux_serial.h"
#include "test_station.h"
#include "ui/framebuffer.h"
#include "ui/main_loop.h"

namespace {

TEST(TransceiverFrequency, TheActiveFrequencyOfTheRecordUnlessTheAmplifierTransmits) {
    struct Case {
        int32_t recordFrequency;
        bool transmitting;
        int32_t frequency;
    } cases[] = {{14'250'000, false, 14'250'000}, {14'250'000, true, 7'000'000}, {0, false, 7'000'000}};
    for (const Case& c : cases) {
        testing_support::TestStation station;
        core::Works& works = station.works;
        core::TryMutex serMut;
        ui::SpectrumRecord spectrum;
        std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(works));
        works.fb = fb.get();
        works.serMut = &serMut;
        works.spectrum = &spectrum;
        works.mainWindow = 1;
        works.ModeWorkIdx = 1;
        works.frequency = 7'000'000;
        radio::InstallRadioHooks(works);
        works.qorParams[3] = c.recordFrequency;
        if (c.transmitting) works.ampStatus = core::ampStatus::Transmitting;
        ui::timerTick(works, 1700000000);
        EXPECT_EQ(works.frequency, c.frequency) << c.recordFrequency << " " << c.transmitting;
        works.fb = nullptr;
    }
}

}  // namespace
