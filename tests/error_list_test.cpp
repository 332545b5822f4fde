#include <gtest/gtest.h>

#include <thread>

#include "amp/error_recovery.h"
#include "core/errors.h"
#include "test_station.h"

using core::AddErrore;
using core::DeleteErrore;
using testing_support::TestStation;

namespace {

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
    works.errorsHeld = 1;
    AddErrore(works, 1);
    EXPECT_TRUE(codes().empty());
    EXPECT_EQ(works.protFlags, 0);

    works.errorsHeld = 0;
    AddErrore(works, 1);  // alarm + protection
    EXPECT_EQ(works.protFlags, 1);
    AddErrore(works, 4);  // temporary warning
    EXPECT_EQ(works.protFlags, 5);
    EXPECT_TRUE(station.log.contains(" -->set protezione 0x1\n"));
    EXPECT_TRUE(station.log.contains(" -->tasto reset errore 0x5\n"));
    station.log.clear();
    AddErrore(works, 4);
    EXPECT_EQ(codes(), (std::vector<int32_t>{1, 4}));
    EXPECT_TRUE(station.log.lines(platform::LogChannel::Trace).empty());
}

TEST_F(ErrorListTest, DeletingKeepsTheOrderAndNeverRemovesCode25) {
    for (int code : {25, 3, 7, 9}) AddErrore(works, code);
    DeleteErrore(works, 7);
    DeleteErrore(works, 25);
    DeleteErrore(works, 11);
    EXPECT_EQ(codes(), (std::vector<int32_t>{25, 3, 9}));
    EXPECT_EQ(core::ExistAnError(works), 25);
    EXPECT_EQ(core::ExistError(works, 3), 1);
    EXPECT_EQ(core::ExistError(works, 7), 0);
}

TEST_F(ErrorListTest, OnlyTemperatureErrorsDoNotCountAsErrors) {
    EXPECT_EQ(core::ExistAnError(works), -1);
    AddErrore(works, 2);
    AddErrore(works, 24);
    EXPECT_FALSE(core::VerifyError(works));
    AddErrore(works, 4);
    EXPECT_TRUE(core::VerifyError(works));
}

TEST_F(ErrorListTest, ErrorKeyWithNoneOrOnlyTemperatureAlarmsLeavesTheKeyItsAction) {
    EXPECT_EQ(amp::GPIO_Errori(works), 0);
    AddErrore(works, 2);
    AddErrore(works, 22);
    works.protFlags = 0;  // the alarms' protection was reset already
    EXPECT_EQ(amp::GPIO_Errori(works), 0);
    EXPECT_EQ(codes(), (std::vector<int32_t>{2, 22}));
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(station.log.contains("----------> 2- ERRORI!!\n"));
}

TEST_F(ErrorListTest, ErrorKeyOnATrippedProtectionQueuesTheResetInOrder) {
    AddErrore(works, 3);
    works.ampProt = 0x20;
    works.bypass = 0;
    works.antennaRow = 4;
    EXPECT_EQ(amp::GPIO_Errori(works), 1);
    EXPECT_EQ(queued(), (std::vector<int32_t>{13, 17, 19, 14}));
    EXPECT_EQ(works.cmdBurst, 1);
    EXPECT_EQ(works.resetPhase, 1);
    EXPECT_EQ(works.antennaRow, -1);
    EXPECT_TRUE(station.log.contains("----------> 1- ERRORI!!\n"));
}

TEST_F(ErrorListTest, MicroResetRequeuesTheStartUpListBeforeTheReset) {
    AddErrore(works, 16);
    works.protFlags |= 1;
    works.ampProt = -128;  // micro reset bit
    amp::GPIO_Errori(works);
    // The start-up list goes into the ring twice, which overflows it: the
    // oldest codes give way and the newest start-up list stays whole.
    const std::vector<int32_t> startUpThenReset = {0,  36, 37, 38, 43, 17, 22, 23, 21, 7, 12,
                                                   11, 24, 33, 34, 13, 32, 42, 17, 20, 14};
    auto commands = queued();
    ASSERT_EQ(commands.size(), 29u);
    EXPECT_EQ(std::vector<int32_t>(commands.end() - 21, commands.end()), startUpThenReset);
    EXPECT_EQ(*(commands.end() - 22), 13);
    EXPECT_EQ(core::ExistError(works, 16), 0);
}

TEST_F(ErrorListTest, FirstPressRemovesEveryTemporaryWarningTheNextResetsBiasAndClearsTheList) {
    for (int code : {4, 5, 12, 17, 9, 18}) AddErrore(works, code);
    ASSERT_EQ(works.protFlags, 4);
    EXPECT_EQ(amp::GPIO_Errori(works), 1);
    EXPECT_EQ(codes(), std::vector<int32_t>{9});
    EXPECT_EQ(works.protFlags, 0);

    AddErrore(works, 10);
    EXPECT_EQ(amp::GPIO_Errori(works), 1);
    EXPECT_TRUE(codes().empty());
    EXPECT_EQ(queued(), (std::vector<int32_t>{17, 20, 14}));
    EXPECT_TRUE(station.log.contains("FOUND ERR: 9 \n"));
}

TEST_F(ErrorListTest, ErrorKeyRestartsRemoteThreadsOnlyAfterTheStartUpDecision) {
    AddErrore(works, 9);
    station.setup.EnableWrite = '0';
    station.setup.EnableRead = '0';
    works.remoteFault = 1;
    amp::GPIO_Errori(works);
    EXPECT_EQ(station.setup.EnableWrite, '0');

    AddErrore(works, 9);
    works.remoteChecked = 1;
    amp::GPIO_Errori(works);
    EXPECT_EQ(station.setup.EnableWrite, '1');
    EXPECT_EQ(station.setup.EnableRead, '1');
    EXPECT_EQ(works.remoteFault, 0);
}

TEST_F(ErrorListTest, AmplifierConfirmationClearsTheDisplayErrors) {
    for (int code : {12, 14, 1}) AddErrore(works, code);
    amp::GestErroreSerial(works);
    EXPECT_TRUE(codes().empty());
    EXPECT_NE(works.protFlags & 2, 0);
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
