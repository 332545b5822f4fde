#include <gtest/gtest.h>

#include <thread>

#include "amp/error_recovery.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "test_station.h"

using core::AddErrore;
using core::DeleteErrore;
using testing_support::TestStation;

namespace {

namespace cmd = core::cmd;
namespace err = core::err;
namespace protFlags = core::protFlags;

class ErrorListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
    }
    std::vector<int32_t> codes() const { return works.errors.codes(); }
    std::vector<int32_t> queued() const { return works.cmdRing.pending(); }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(ErrorListTest, ACodeIsListedOnceSetsItsProtectionBitsAndIsNotRecordedWhileHeld) {
    works.errorsHeld = core::errorsHeld::Held;
    AddErrore(works, err::Swr);
    EXPECT_TRUE(codes().empty());
    EXPECT_EQ(works.protFlags, 0);

    works.errorsHeld = 0;
    AddErrore(works, err::Swr);  // alarm + protection
    EXPECT_EQ(works.protFlags, protFlags::Tripped);
    AddErrore(works, err::Communication);  // temporary warning
    EXPECT_EQ(works.protFlags, protFlags::Tripped | protFlags::TemporaryWarnings);
    EXPECT_TRUE(station.log.contains(" -->set protezione 0x1\n"));
    EXPECT_TRUE(station.log.contains(" -->tasto reset errore 0x5\n"));
    station.log.clear();
    AddErrore(works, err::Communication);
    EXPECT_EQ(codes(), (std::vector<int32_t>{err::Swr, err::Communication}));
    EXPECT_TRUE(station.log.lines(platform::LogChannel::Trace).empty());
}

TEST_F(ErrorListTest, DeletingKeepsTheOrderAndNeverRemovesTheUnopenedAuxiliaryPort) {
    for (int code : {err::QorPortOpen, err::InputPower, err::QorModeOff, err::AudioRead})
        AddErrore(works, code);
    DeleteErrore(works, err::QorModeOff);
    DeleteErrore(works, err::QorPortOpen);
    DeleteErrore(works, err::WebSocket);
    EXPECT_EQ(codes(), (std::vector<int32_t>{err::QorPortOpen, err::InputPower, err::AudioRead}));
    EXPECT_EQ(core::ExistAnError(works), err::QorPortOpen);
    EXPECT_EQ(core::ExistError(works, err::InputPower), 1);
    EXPECT_EQ(core::ExistError(works, err::QorModeOff), 0);
}

TEST_F(ErrorListTest, TemperatureErrorsAloneAreNoErrorsAndLeaveTheErrorKeyItsAction) {
    EXPECT_EQ(core::ExistAnError(works), -1);
    EXPECT_EQ(amp::GPIO_Errori(works), 0);
    AddErrore(works, err::Temp1Alarm);
    AddErrore(works, err::Temp2Alarm);
    works.protFlags = 0;  // the alarms' protection was reset already
    EXPECT_EQ(amp::GPIO_Errori(works), 0);
    EXPECT_EQ(codes(), (std::vector<int32_t>{err::Temp1Alarm, err::Temp2Alarm}));
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(station.log.contains("----------> 2- ERRORI!!\n"));
    AddErrore(works, err::Temp2Warning);
    EXPECT_FALSE(core::VerifyError(works));
    AddErrore(works, err::Communication);
    EXPECT_TRUE(core::VerifyError(works));
}

TEST_F(ErrorListTest, ErrorKeyOnATrippedProtectionQueuesTheResetInOrder) {
    AddErrore(works, err::InputPower);
    works.ampProt = core::ampProt::InputPower;
    works.bypass = 0;
    works.antennaRow = 4;
    EXPECT_EQ(amp::GPIO_Errori(works), 1);
    EXPECT_EQ(queued(), (std::vector<int32_t>{cmd::ClearProtections, cmd::ProtectionOff, cmd::LeaveBypass,
                                              cmd::Attenuator}));
    EXPECT_EQ(works.cmdBurst, 1);
    EXPECT_EQ(works.resetPhase, 1);
    EXPECT_EQ(works.antennaRow, -1);
    EXPECT_TRUE(station.log.contains("----------> 1- ERRORI!!\n"));
}

TEST_F(ErrorListTest, MicroResetRequeuesTheStartUpListBeforeTheReset) {
    AddErrore(works, err::MicroReset);
    works.protFlags |= protFlags::Tripped;
    works.ampProt = static_cast<int8_t>(core::ampProt::MicroReset);
    amp::GPIO_Errori(works);
    // The start-up list goes into the ring twice, which overflows it: the
    // oldest codes give way and the newest start-up list stays whole.
    const std::vector<int32_t> startUpThenReset = {0,  36, 37, 38, 43, 17, 22, 23, 21, 7, 12,
                                                   11, 24, 33, 34, 13, 32, 42, 17, 20, 14};
    auto commands = queued();
    ASSERT_EQ(commands.size(), 29u);
    EXPECT_EQ(std::vector<int32_t>(commands.end() - 21, commands.end()), startUpThenReset);
    EXPECT_EQ(*(commands.end() - 22), cmd::ClearProtections);
    EXPECT_EQ(core::ExistError(works, err::MicroReset), 0);
}

TEST_F(ErrorListTest, FirstPressRemovesEveryTemporaryWarningTheNextResetsBiasAndClearsTheList) {
    for (int code : {err::Communication, err::RemoteUsb, err::TuneTimeout, err::NotAvailable, err::AudioRead,
                     err::TuneMaxSwr})
        AddErrore(works, code);
    ASSERT_EQ(works.protFlags, protFlags::TemporaryWarnings);
    EXPECT_EQ(amp::GPIO_Errori(works), 1);
    EXPECT_EQ(codes(), std::vector<int32_t>{err::AudioRead});
    EXPECT_EQ(works.protFlags, 0);

    AddErrore(works, err::AudioWrite);
    EXPECT_EQ(amp::GPIO_Errori(works), 1);
    EXPECT_TRUE(codes().empty());
    EXPECT_EQ(queued(), (std::vector<int32_t>{cmd::ProtectionOff, cmd::Bypass, cmd::Attenuator}));
    EXPECT_TRUE(station.log.contains("FOUND ERR: 9 \n"));
}

TEST_F(ErrorListTest, ErrorKeyRestartsRemoteThreadsOnlyAfterTheStartUpDecision) {
    AddErrore(works, err::AudioRead);
    station.setup.EnableWrite = '0';
    station.setup.EnableRead = '0';
    works.remoteFault = 1;
    amp::GPIO_Errori(works);
    EXPECT_EQ(station.setup.EnableWrite, '0');

    AddErrore(works, err::AudioRead);
    works.remoteChecked = 1;
    amp::GPIO_Errori(works);
    EXPECT_EQ(station.setup.EnableWrite, '1');
    EXPECT_EQ(station.setup.EnableRead, '1');
    EXPECT_EQ(works.remoteFault, 0);
}

TEST_F(ErrorListTest, AmplifierConfirmationClearsTheDisplayErrors) {
    for (int code : {err::TuneTimeout, err::TuneAborted, err::Swr}) AddErrore(works, code);
    amp::GestErroreSerial(works);
    EXPECT_TRUE(codes().empty());
    EXPECT_NE(works.protFlags & protFlags::DisplayCleared, 0);
    EXPECT_EQ(works.antennaRow, -1);
}

TEST_F(ErrorListTest, ConcurrentChangesNeitherLoseNorDuplicateCodes) {
    auto churn = [this](int first) {
        for (int round = 0; round < 2000; ++round) {
            for (int code = first; code < first + 6; ++code) AddErrore(works, code);
            for (int code = first; code < first + 6; code += 2) DeleteErrore(works, code);
        }
    };
    std::thread a(churn, 0), b(churn, 6), c(churn, 12), d(churn, 18);
    a.join(), b.join(), c.join(), d.join();
    std::vector<int32_t> expected;
    for (int first : {0, 6, 12, 18})
        for (int code = first + 1; code < first + 6; code += 2) expected.push_back(code);
    auto listed = codes();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);
}

}  // namespace
