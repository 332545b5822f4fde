#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "amp/mode_work.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "test_station.h"
#include "tuner/memory_banks.h"

namespace {

using core::ThreadId;

// Stand-ins for the two link threads: each runs while its enable character is '1'.
void catBody(core::Works& works) {
    while (works.running != 0 && works.setup->enaCatSer == '1') std::this_thread::yield();
}
void serialBody(core::Works& works) {
    while (works.running != 0 && works.setup->enaser == '1') std::this_thread::yield();
}

// A running station with the error list open and the stand-ins as its link threads.
struct SwitchStation : testing_support::TestStation {
    SwitchStation() {
        works.running = 1;
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
        threads.setBody(ThreadId::CatSerial, catBody);
        threads.setBody(ThreadId::Serial, serialBody);
    }
    ~SwitchStation() { works.running = 0; }
};

TEST(InterfaceSwitch, StartsTheNewTypesThreadEndsTheOtherAndDropsTheLinkError) {
    struct Case {
        int32_t from, to;
        bool catRuns, serialRuns, linkErrorKept;
    } cases[] = {
        {0, 2, true, false, true}, {0, 1, false, true, true},   {1, 2, true, false, false},
        {2, 1, false, true, true}, {1, 0, false, false, false}, {2, 0, false, false, true},
    };
    for (const Case& c : cases) {
        SwitchStation station;
        core::Works& works = station.works;
        works.setup->enaser = '0';
        works.setup->enaCatSer = '0';
        works.ModeWorkIdx = c.from;
        amp::SetModeWorkIDX(works);
        core::AddErrore(works, core::err::QorLink);
        works.ModeWorkIdx = c.to;
        amp::SetModeWorkIDX(works);
        EXPECT_EQ(works.setup->enaCatSer == '1', c.catRuns) << c.from << "->" << c.to;
        EXPECT_EQ(works.setup->enaser == '1', c.serialRuns) << c.from << "->" << c.to;
        EXPECT_EQ(core::ExistError(works, core::err::QorLink) != 0, c.linkErrorKept)
            << c.from << "->" << c.to;
        // A thread whose type was left ends by itself; the new type's thread keeps running.
        if (!c.catRuns) station.threads.join(ThreadId::CatSerial);
        if (!c.serialRuns) station.threads.join(ThreadId::Serial);
        EXPECT_EQ(station.threads.alive(ThreadId::CatSerial), c.catRuns) << c.from << "->" << c.to;
        EXPECT_EQ(station.threads.alive(ThreadId::Serial), c.serialRuns) << c.from << "->" << c.to;
    }
}

// The auxiliary port's open error and the FT-817 port's failure banner speak
// of devices that only their own interface type uses.
TEST(InterfaceSwitch, AFailedPortTheNewTypeDoesNotUseIsNoLongerShown) {
    struct Case {
        int32_t to;
        bool auxErrorKept, catFailureShown;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}};
    for (const Case& c : cases) {
        SwitchStation station;
        core::Works& works = station.works;
        core::AddErrore(works, core::err::QorPortOpen);
        works.failedThreadText.set("CAT: Unable to open device /dev/QELT817");
        works.failedThread = core::kFailedCatSerial;
        works.ModeWorkIdx = c.to;
        amp::SetModeWorkIDX(works);
        EXPECT_EQ(core::ExistError(works, core::err::QorPortOpen) != 0, c.auxErrorKept) << c.to;
        EXPECT_EQ(works.failedThread, c.catFailureShown ? core::kFailedCatSerial : 0) << c.to;
    }
}

TEST(InterfaceSwitch, ABankChangeToAGenericBankRemovesTheAuxiliaryPortsError) {
    SwitchStation station;
    core::Works& works = station.works;
    std::filesystem::create_directories(station.path("/opt/set"));
    std::ofstream(station.path("/opt/set/antenna_b1.txt")) << "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n";
    tuner::LoadAllBankTable(works, 0);  // no file: the maker's transceiver
    ASSERT_EQ(works.ModeWorkIdx, 1);
    core::AddErrore(works, core::err::QorPortOpen);
    works.failedThread = core::kFailedLinear;  // the amplifier's own port: not the bank's business

    tuner::ChangeBanco(works);

    EXPECT_EQ(works.NumBanco, 1);
    EXPECT_EQ(works.ModeWorkIdx, 0);
    EXPECT_EQ(core::ExistError(works, core::err::QorPortOpen), 0);
    EXPECT_EQ(works.failedThread, core::kFailedLinear);
}

}  // namespace
