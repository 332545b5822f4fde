// The event lines a person reads: each event gives exactly one line with its
// facts, when it happens and not on every reply or tick.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "amp/status_reply.h"
#include "amp/thermal.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/status_bits.h"
#include "core/tune_value_bits.h"
#include "platform/log.h"
#include "test_station.h"
#include "tuner/memory_banks.h"
#include "tuner/tune_search.h"
#include "tuner/tune_word.h"
#include "ui/main_loop.h"
#include "ui/tune_coordination.h"

namespace {

using testing_support::TestStation;

constexpr std::time_t kNow = 1700000000;

struct EventStation : TestStation {
    EventStation() {
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;  // the amplifier has answered
    }
    [[nodiscard]] std::vector<std::string> events() const { return log.lines(platform::LogChannel::Event); }
    // The events since the last call.
    std::vector<std::string> newEvents() {
        std::vector<std::string> all = events();
        std::vector<std::string> fresh(all.begin() + static_cast<long>(seen_), all.end());
        seen_ = all.size();
        return fresh;
    }

  private:
    size_t seen_ = 0;
};

using Lines = std::vector<std::string>;

TEST(EventLines, CarryTheirPrefixAndStayBounded) {
    EventStation station;
    platform::event("bank %d: interface %s", 2, "Generic");
    platform::event("remote refused %s", std::string(5000, 'x').c_str());
    const Lines lines = station.events();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "EVENT bank 2: interface Generic");
    EXPECT_EQ(lines[1].rfind("EVENT remote refused xxx", 0), 0u);
    EXPECT_LT(lines[1].size(), 1024u);
    EXPECT_TRUE(station.log.lines(platform::LogChannel::Trace).empty()) << "the trace keeps its own lines";
}

// A status reply of an idle amplifier with the given status digit and protection digits.
void reply(core::Works& works, uint8_t status, uint8_t prot) {
    char text[64];
    std::snprintf(text, sizeof text, "ST0%X000000000000000020482048%X%X00000;", status, prot & 0xF,
                  prot >> 4);
    const std::optional<amp::StatusReply> parsed = amp::ParseStatusReply(text);
    ASSERT_TRUE(parsed) << text;
    amp::ApplyStatusReply(works, *parsed, text);
}

TEST(ProtectionEvents, EachProtectionIsToldOnceRaisedAndOnceCleared) {
    EventStation station;
    core::Works& works = station.works;
    reply(works, 0, 0);
    EXPECT_TRUE(station.newEvents().empty());

    reply(works, 0, core::ampProt::Reflected);
    reply(works, 0, core::ampProt::Reflected);
    EXPECT_EQ(station.newEvents(), Lines{"EVENT protection raised: reflected power (Error REFL)"});

    // A second protection beside the first: only the new one is news.
    reply(works, core::ampStatus::SwrAlarm, core::ampProt::Reflected | core::ampProt::InputPower);
    EXPECT_EQ(station.newEvents(),
              (Lines{"EVENT protection raised: SWR (HI SWR error)",
                     "EVENT protection raised: input power (over-drive) (PWR IN error)"}));

    reply(works, 0, 0);
    reply(works, 0, 0);
    EXPECT_EQ(station.newEvents(),
              (Lines{"EVENT protection cleared: SWR (HI SWR error)",
                     "EVENT protection cleared: reflected power (Error REFL)",
                     "EVENT protection cleared: input power (over-drive) (PWR IN error)"}));

    reply(works, 0, core::ampProt::OutputCurrent | core::ampProt::Band);
    EXPECT_EQ(station.newEvents(), (Lines{"EVENT protection raised: output current (Error I OUT)",
                                          "EVENT protection raised: band (Band warn StdBy)"}));
}

TEST(ProtectionEvents, ATuneClearsItsOwnAlarmsAndWhatOutlastsItIsToldAfter) {
    EventStation station;
    core::Works& works = station.works;
    reply(works, core::ampStatus::SwrAlarm, 0);
    EXPECT_EQ(station.newEvents().size(), 1u);

    works.tuneState = 1;
    reply(works, 0, 0);  // the tune's start clears the latches
    EXPECT_EQ(station.newEvents(), Lines{"EVENT protection cleared: SWR (HI SWR error)"});
    for (int step = 0; step < 20; ++step) {
        reply(works, core::ampStatus::SwrAlarm, core::ampProt::Reflected);
        reply(works, 0, 0);
    }
    reply(works, core::ampStatus::SwrAlarm, core::ampProt::Reflected);
    EXPECT_TRUE(station.newEvents().empty()) << "the search measures these as SWR 100";

    works.tuneState = 0;
    reply(works, 0, core::ampProt::Reflected);
    EXPECT_EQ(station.newEvents(), Lines{"EVENT protection raised: reflected power (Error REFL)"});
}

TEST(ProtectionEvents, AHeatSinkAlarmIsToldWhenItTripsAndWhenItEnds) {
    EventStation station;
    core::Works& works = station.works;
    works.Isteresi1 = 5;
    const auto sensor2 = [&](float temperature) {
        amp::GestTemperatureFunction(works, core::err::Temp2Alarm, core::err::Temp2Cooled,
                                     core::err::Temp2Warning, temperature, 60.0f);
    };
    sensor2(57.0f);  // a warning only
    EXPECT_TRUE(station.newEvents().empty());
    sensor2(61.5f);
    sensor2(62.0f);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT protection raised: heat sink 2 at 61.5 °C, limit 60.0 °C (2-High temperature)"});
    sensor2(58.0f);  // within the hysteresis: the alarm holds
    EXPECT_TRUE(station.newEvents().empty());
    sensor2(54.0f);
    sensor2(50.0f);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT protection cleared: heat sink 2 at 54.0 °C, limit 60.0 °C (2-High temperature)"});
}

constexpr int32_t kFrequency = 14074000;

struct TuneStation : EventStation {
    TuneStation() {
        works.frequency = kFrequency;
        works.adcPowerIn = 500;
        works.powerFwd = 100;
        works.AutoTuneMode = 1;
        works.tuneValue = core::tuneValue::NetworkCL;
    }
    // The link around the search, one step per status reply, with the SWR the model gives the word sent.
    template <typename Model>
    void run(Model model, int maxSteps = 5000) {
        for (int steps = 0; works.tuneState != 0 && steps < maxSteps; ++steps) {
            const uint32_t word = works.tuneValue;
            works.swr = model(tuner::DecodeCapacitaFromTuneval(word),
                              tuner::DecodeInduttanzaFromTuneval(word), tuner::DecodeModoFromTuneval(word));
            tuner::TuneTask(works);
            if (works.tuneState != 0) works.tuneState = 1;
            while (works.cmdRing.pop()) {
            }
            works.cmdBurst = 0;
        }
    }
};

// The "CL" network's best setting is C 70, L 40 at SWR 1.2; " LC" is poor everywhere.
float bowl(int32_t c, int32_t l, uint8_t mode) {
    if (mode != tuner::kModeCL) return 20.0f;
    return 1.2f + 0.05f * static_cast<float>((c - 70) * (c - 70) + (l - 40) * (l - 40));
}

TEST(TuneEvents, APanelTuneIsToldStartedAndStoredWithItsResult) {
    TuneStation station;
    tuner::GoTune(station.works);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT tune started from the panel: complete search at 14.074000 MHz, antenna 1"});
    station.run(bowl);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT tune stored: SWR 1.20, L 40 C 70 CL, 14.074000 MHz, antenna 1, bank 0"});
}

TEST(TuneEvents, ATuneEndedWithoutStoringSaysWhy) {
    struct Case {
        const char* name;
        std::function<void(TuneStation&)> end;
        const char* line;
    };
    const auto constant = [](float swr) { return [swr](int32_t, int32_t, uint8_t) { return swr; }; };
    const Case cases[] = {
        {"the key again", [](TuneStation& station) { tuner::GoTune(station.works); },
         "EVENT tune ended without storing: stopped by the user"},
        {"no setting good enough", [&](TuneStation& station) { station.run(constant(8.0f)); },
         "EVENT tune ended without storing: target not reached, best SWR 8.00 above 6.0"},
        {"the step budget",
         [&](TuneStation& station) {
             station.works.AutoTuneMaxCicli = 4;
             station.works.SWRescAutoTune = 1.1f;
             station.run(constant(3.0f));
         },
         "EVENT tune ended without storing: time-out after 101 steps, best SWR 3.00"},
        {"no drive",
         [&](TuneStation& station) {
             station.works.adcPowerIn = 0;
             station.run(constant(0.0f));
         },
         "EVENT tune ended without storing: no forward power measured"},
        {"no tune memory for the antenna",
         [&](TuneStation& station) {
             station.works.NumAntenna = 3;
             station.run(bowl);
         },
         "EVENT tune ended without storing: no tune memory of bank 0 antenna 4 at 14.074000 MHz"},
        {"the transceiver's transmission ended",
         [&](TuneStation& station) {
             station.works.ModeWorkIdx = 1;
             station.works.transceiverTx = 1;
             station.run(constant(5.0f), 20);
             station.works.transceiverTx = 0;
             station.run(constant(5.0f));
         },
         "EVENT tune ended without storing: the transceiver stopped transmitting"},
    };
    for (const Case& test : cases) {
        TuneStation station;
        tuner::GoTune(station.works);
        ASSERT_EQ(station.newEvents().size(), 1u) << test.name;
        test.end(station);
        EXPECT_EQ(station.works.tuneState, 0) << test.name;
        EXPECT_EQ(station.newEvents(), Lines{test.line}) << test.name;
    }
}

TEST(TuneEvents, ARefusedTuneKeySaysWhy) {
    TuneStation station;
    station.works.AutoTuneMode = 0;
    tuner::GoTune(station.works);
    station.works.AutoTuneMode = 1;
    station.works.tunerBypass = 1;
    tuner::GoTune(station.works);
    EXPECT_EQ(station.newEvents(), (Lines{"EVENT tune refused: automatic tune is off",
                                          "EVENT tune refused: the tuner is in by-pass"}));
    EXPECT_EQ(station.works.tuneState, 0);
}

TEST(TuneEvents, TheTransceiversTuneIsToldOnceAndItsMissingCarrierEndsIt) {
    TuneStation station;
    core::Works& works = station.works;
    works.ModeWorkIdx = 1;
    works.TUNEenabled = 1;
    works.tuneFine = 1;
    ui::CoordinateTune(works, true);
    for (int tick = 0; tick < 5; ++tick) ui::CoordinateTune(works, true);
    EXPECT_EQ(
        station.newEvents(),
        Lines{
            "EVENT tune started by the transceiver's transmission: fine search at 14.074000 MHz, antenna 1"});

    // From the panel, the carrier asked for never comes.
    tuner::EscAutoTune(works, 0, tuner::TuneExit::StoppedByUser);
    works.tuneTxState = 0;
    tuner::GoTune(works);
    station.newEvents();
    while (works.cmdRing.pop()) {
    }
    for (int tick = 0; tick < 40 && works.tuneState != 0; ++tick) ui::CoordinateTune(works, false);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT tune ended without storing: no tune carrier from the transceiver"});
}

struct BandStation : EventStation {
    BandStation() {
        works.ModeWorkIdx = 0;
        works.MAXbank = 2;
        std::ofstream(path("/opt/set/antenna.txt"))
            << "!Gen\n20m 14000000 14350000 1 2 0 0 0.0\n40m 7000000 7300000 0 1 1 0 0.0\n";
        std::ofstream(path("/opt/set/antenna_b1.txt")) << "!Qor\n20m 14000000 14350000 1 3 1 0 0.0\n";
        works.filterTable.with(
            [](core::FilterRows& rows) { rows[2] = {.Fstart = 10000000, .Fstop = 15000000, .enabled = 1}; });
        tuner::LoadAllBankTable(works, 0);
    }
    void tuneTo(int32_t frequency) {
        works.ampFrequency = frequency;
        ui::timerTick(works, kNow);
    }
};

TEST(BandEvents, EnteringABandIsToldWithWhatItSelected) {
    BandStation station;
    ui::timerTick(station.works, kNow);
    EXPECT_TRUE(station.newEvents().empty()) << "no frequency measured yet";

    station.tuneTo(14074000);
    station.tuneTo(14200000);  // the same band
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT band 20m: 14.074000 MHz, filter 3, antenna 2, tuner in line, amplifier on"});
    station.tuneTo(7100000);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT band 40m: 7.100000 MHz, no filter, antenna 1, tuner by-passed, amplifier StdBy"});
    station.tuneTo(10120000);
    station.tuneTo(10130000);
    EXPECT_EQ(station.newEvents(), Lines{"EVENT band none: 10.120000 MHz is in no band of bank 0"});

    // The error key has the table applied again: the same band is no news.
    station.tuneTo(7100000);
    station.newEvents();
    station.works.antennaRow = -1;
    ui::timerTick(station.works, kNow);
    EXPECT_TRUE(station.newEvents().empty());
}

TEST(BankEvents, ABankChangeIsToldAndSoIsTheBandItApplies) {
    BandStation station;
    station.tuneTo(14074000);
    station.newEvents();

    tuner::ChangeBanco(station.works);
    EXPECT_EQ(station.newEvents(), Lines{"EVENT bank 1: interface VYXQOR"});
    station.works.ModeWorkIdx = 0;  // the frequency stays the amplifier's counter
    ui::timerTick(station.works, kNow);
    EXPECT_EQ(station.newEvents(),
              Lines{"EVENT band 20m: 14.074000 MHz, filter 3, antenna 3, tuner by-passed, amplifier on"});

    tuner::ChangeInterfaceBanco(station.works);
    EXPECT_EQ(station.newEvents(), Lines{"EVENT bank 1: interface changed to VYXQOR"});
}

}  // namespace
