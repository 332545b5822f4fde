#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "amp/measurements.h"
#include "remote/status_record.h"
#include "test_station.h"

namespace {

std::string field(const remote::StatusRecord& record, size_t from, size_t count) {
    return std::string(record.data() + from, count);
}

class StatusRecordTest : public ::testing::Test {
  protected:
    StatusRecordTest() {
        auto& rows = station.antennaRows();
        std::snprintf(rows[0].name, sizeof rows[0].name, "160m");
        rows[0].start = 1800000, rows[0].end = 2000000;
        std::snprintf(rows[1].name, sizeof rows[1].name, "20m");
        rows[1].start = 14000000, rows[1].end = 14350000;
        std::snprintf(rows[2].name, sizeof rows[2].name, "20mX");  // overlaps the row before it
        rows[2].start = 14000000, rows[2].end = 14350000;
        std::snprintf(rows[3].name, sizeof rows[3].name, "6m-long");
        rows[3].start = 50000000, rows[3].end = 54000000;
        works.antennaRowCount = 4;
        works.swVersion.set("01.027");
        works.fwVersion.set("2.1");
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
};

TEST_F(StatusRecordTest, BandNameIsTheFirstRowHoldingTheFrequencyBothEndsIncluded) {
    struct Case {
        int32_t frequency;
        const char* band;
    };
    for (const Case& test : {Case{14000000, "20m "}, Case{14350000, "20m "}, Case{14350001, "----"},
                             Case{1800000, "160m"}, Case{52000000, "6m-l"}, Case{0, "----"}}) {
        works.frequency = test.frequency;
        EXPECT_EQ(field(remote::CreaBufferDiStato(works), 0, 4), test.band) << test.frequency;
    }
}

TEST_F(StatusRecordTest, FlagsAndDigits) {
    struct Case {
        int32_t mode;
        uint8_t attenuator, bypass, tunerBypass, tuneState;
        int32_t antenna;
        int8_t tuneEnabled;
        const char* digits;  // bytes 4 to 9: interface, attenuator, antenna, by-pass, tuner, tune
    };
    for (const Case& test : {Case{0, 0, 0, 0, 0, 0, 1, "0000T0"}, Case{1, 3, 1, 0, 1, 2, 1, "1321T1"},
                             Case{2, 1, 0, 1, 0, 0, 1, "2100B0"}, Case{7, 0, 0, 1, 0, 0, -1, "0000N0"},
                             Case{-1, 2, 0, 0, 1, 1, 0, "0210T1"}}) {
        works.ModeWorkIdx = test.mode;
        works.attenuator = test.attenuator;
        works.NumAntenna = test.antenna;
        works.bypass = test.bypass;
        works.TUNEenabled = test.tuneEnabled;
        works.tunerBypass = test.tunerBypass;
        works.tuneState = test.tuneState;
        EXPECT_EQ(field(remote::CreaBufferDiStato(works), 4, 6), test.digits) << test.mode;
    }
}

TEST_F(StatusRecordTest, MeasurementsKeepTheirPlacesEvenOutOfRange) {
    struct Case {
        float swr, fwd, in, t1, t2, current;
        const char* text;  // bytes 10 to 31 and 36 to 39
    };
    for (const Case& test : {
             Case{1.5f, 100.25f, 5.0f, 35.5f, 41.2f, 2048.0f, "001.50100.25005.0041.2|07.0"},
             Case{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, "000.00000.00000.0000.0|00.0"},
             Case{5000.0f, -150.0f, 1234.0f, 120.0f, 20.0f, 409600.0f, "999.99-99.99999.9999.9|99.9"},
         }) {
        works.swr = test.swr;
        works.powerFwd = test.fwd;
        works.powerIn = test.in;
        works.temperature1 = test.t1;
        works.temperature2 = test.t2;
        works.currentRaw = test.current;
        const remote::StatusRecord record = remote::CreaBufferDiStato(works);
        EXPECT_EQ(field(record, 10, 22) + "|" + field(record, 36, 4), test.text);
        EXPECT_EQ(std::memchr(record.data(), 0, 43), nullptr) << "no zero byte before the versions";
    }
}

TEST_F(StatusRecordTest, SupplyBankErrorVersionsAndTerminator) {
    works.tinyResult3 = 192;
    works.NumBanco = 2;
    char volts[8];
    std::snprintf(volts, sizeof volts, "%4.1f", static_cast<double>(amp::CalvTensVadcAmp(works, 192)));
    remote::StatusRecord record = remote::CreaBufferDiStato(works);
    EXPECT_EQ(field(record, 32, 4), volts);
    EXPECT_EQ(field(record, 40, 2), "02");
    EXPECT_EQ(record[42], '0') << "no error";
    EXPECT_EQ(field(record, 43, 11), std::string("01.027 2.1\0", 11));
    EXPECT_EQ(field(record, 54, 3), std::string(3, '\0'));
    EXPECT_EQ(record[57], ';');

    works.errors.add(5);
    works.errors.add(12);
    works.fwVersion.set("firmware-v9.87");
    record = remote::CreaBufferDiStato(works);
    EXPECT_EQ(record[42], 13) << "the last code listed, plus one, as a raw byte";
    EXPECT_EQ(field(record, 43, 15), "01.027 firmwar;") << "versions cut at the terminator";
}

}  // namespace
