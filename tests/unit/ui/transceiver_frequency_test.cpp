// The main loop follows the maker's transceiver through its parameter record:
// its frequency, its transmission and its antenna input.
#include <gtest/gtest.h>

#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/spectrum_data.h"
#include "core/status_bits.h"
#include "radio/aux_serial.h"
#include "test_station.h"
#include "tuner/tune_search.h"
#include "ui/framebuffer.h"
#include "ui/main_loop.h"

namespace {

constexpr std::time_t kNow = 1700000000;

class TransceiverTick : public ::testing::Test {
  protected:
    TransceiverTick() {
        works.serMut = &serMut;
        works.spectrum = &spectrum;
        works.mainWindow = 1;
        works.ModeWorkIdx = 1;
        works.frequency = 7'000'000;
        works.lastFrequency = 7'000'000;
    }
    [[nodiscard]] bool queued(int32_t command) const {
        const std::vector<int32_t> pending = works.cmdRing.pending();
        return std::find(pending.begin(), pending.end(), command) != pending.end();
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    core::TryMutex serMut;
    core::SpectrumRecord spectrum;
};

TEST_F(TransceiverTick, TheActiveFrequencyOfTheRecordUnlessTheAmplifierTransmits) {
    std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(works));
    works.fb = fb.get();
    struct Case {
        int32_t recordFrequency;
        bool transmitting;
        int32_t frequency;
    } cases[] = {{14'250'000, false, 14'250'000}, {21'000'000, true, 14'250'000}, {0, false, 14'250'000}};
    for (const Case& c : cases) {
        works.qorParams[core::qorWord::ActiveFrequency] = c.recordFrequency;
        works.ampStatus = c.transmitting ? core::ampStatus::Transmitting : 0;
        ui::timerTick(works, kNow);
        EXPECT_EQ(works.frequency, c.frequency) << c.recordFrequency << " " << c.transmitting;
    }
    works.fb = nullptr;
}

TEST_F(TransceiverTick, AntennaInputFollowsTheTransceiverOnlyWhileAllIsQuiet) {
    struct Case {
        int32_t transmitFlag, antennaWord;
        bool ampTransmitting;
        uint8_t tuneState;
        int32_t antennaIn;
    } cases[] = {
        {0, 2, false, 0, 2},   // copied, command 21 queued
        {0, -2, false, 0, 0},  // the transceiver's antenna switched off: no input
        {1, 3, false, 0, 1},   // the transceiver transmits: left alone
        {0, 3, true, 0, 1},    // the amplifier transmits
        {0, 3, false, 2, 1},   // a tune runs
    };
    works.TUNEenabled = 0;
    for (const Case& c : cases) {
        works.antennaIn = c.antennaWord == -2 ? 2 : 1;
        works.cmdRing.clear();
        works.qorParams[core::qorWord::Transmit] = c.transmitFlag;
        works.qorParams[core::qorWord::AntennaInput] = c.antennaWord;
        works.ampStatus = c.ampTransmitting ? core::ampStatus::Transmitting : 0;
        works.tuneState = c.tuneState;
        ui::timerTick(works, kNow);
        EXPECT_EQ(works.transceiverTx, c.transmitFlag) << c.antennaWord;
        EXPECT_EQ(works.antennaIn, c.antennaIn) << c.transmitFlag << " " << c.antennaWord;
        EXPECT_EQ(queued(core::cmd::AntennaInput), c.antennaIn == 2 || c.antennaWord == -2) << c.antennaWord;
    }
}

TEST_F(TransceiverTick, APanelTuneWaitsForTheCarrierWhileTheTransceiverTransmits) {
    works.TUNEenabled = 1;
    works.AutoTuneMode = 1;
    works.errorsHeld = 0;
    tuner::GoTune(works);
    works.cmdRing.clear();
    ui::timerTick(works, kNow);
    ASSERT_TRUE(works.tuneTxState & core::tuneTxState::SendCarrier);
    // What the link thread does when it has sent the carrier command.
    works.tuneTxState = static_cast<uint8_t>((works.tuneTxState & ~core::tuneTxState::SendCarrier) |
                                             core::tuneTxState::CarrierSent);
    works.qorParams[core::qorWord::Transmit] = 1;
    for (int tick = 0; tick < 60; ++tick) ui::timerTick(works, kNow);
    EXPECT_EQ(works.transceiverTx, 1);
    EXPECT_NE(works.tuneState, 0) << "the carrier came: no abort";
    EXPECT_EQ(core::ExistError(works, core::err::TuneAborted), 0);
}

}  // namespace
