#include "net/status_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "config/setup_file.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "test_frame.h"
#include "test_station.h"
#include "ui/fonts.h"
#include "ui/text.h"

namespace {

using testing_support::TestStation;

class StatusRows : public ::testing::Test {
  protected:
    StatusRows() {
        works.setup->enaser = '1';
        works.Passphrase.set("Secret7");
    }
    [[nodiscard]] std::string row(int y) {
        for (const net::StatusRow& entry : net::statusRows(works, transceiver))
            if (entry.y == y) return entry.value;
        return "(none)";
    }

    TestStation station;
    core::Works& works = station.works;
    core::QorParams transceiver{};
};

TEST_F(StatusRows, FrequencyShowsTheWorkingFrequencyAndTheTransceiversOwn) {
    works.frequency = 14200000;
    works.ampFrequency = 14199000;
    transceiver[core::qorWord::ActiveFrequency] = 14200500;
    EXPECT_EQ(row(176), "14200000Hz(14200500)");
    works.setup->enaser = '0';
    EXPECT_EQ(row(176), "14199000Hz(14200500)");
}

TEST_F(StatusRows, FahrenheitShowsEveryTemperatureAndTheSetPointInFahrenheit) {
    works.currentRaw = 2048;
    works.temperature1 = 40;
    works.temperature2 = 100;
    works.cpuTemp = 0;
    works.cpuTemp2 = 50;
    works.MaxTemperature = 70;
    works.fanSpeedActive = 35;
    works.TempMode = 1;
    EXPECT_EQ(row(198), "Current:007.0A (2048.0), Tbrd:104.00°F, Thsk:212.00°F");
    EXPECT_EQ(row(220), "CPU:32.0°F, GPU:122.0°F");
    EXPECT_EQ(row(242), "Set Point Alarm 158.0°F, FAN: 35%");
    works.TempMode = 0;
    EXPECT_EQ(row(198), "Current:007.0A (2048.0), Tbrd:40.00°C, Thsk:100.00°C");
}

TEST_F(StatusRows, VersionsIdentityLinkAndPassPhraseRows) {
    works.swVersion.set("2.15");
    works.fwVersion.set("001.010");
    works.hwVersion.set("3");
    EXPECT_EQ(row(110), "SW ver. 2.15, FW ver. 1.10, HW ver. 3.0");
    EXPECT_EQ(row(330), "EXT IO connected");
    works.errorsHeld = 0;
    core::AddErrore(works, core::err::QorLink);
    EXPECT_EQ(row(330), "No EXT IO data");
    EXPECT_EQ(row(374), "(none)");
    works.Passphrase.set("");
    EXPECT_EQ(row(374), "Pass phrase not set: remote access closed");
}

// The identity texts come from the amplifier's memory, up to 31 characters
// each. Drawn, the page leaves the label column to the labels and no value
// runs past the right edge (where it would wrap onto the next pixel row);
// the company name gives way first, so that the serial number, region and
// power class stay whole.
TEST_F(StatusRows, LongIdentityTextsStayOnTheirRow) {
    struct Case {
        std::string serial, company;
        char model;
        std::string start, end;
    };
    const Case cases[] = {
        {"EMU060-000001", "Station simulator", '0', "EMU060-000001 (Station", "), TYPE: EU, MAXPOWER: 60W"},
        {"BR0042", "BRISEL", '1', "BR0042 (BRISEL), TYPE: EU, MAXPOWER: 120W", ""},
        {std::string(31, 'W'), std::string(31, 'M'), '1', std::string(20, 'W'), ""},
    };
    constexpr int kValueX = 180, kSlot = 8;
    ui::loadFonts(works);
    works.pageFlags = core::pageFlags::StatusPage;
    works.TempMode = 1;
    works.temperature1 = works.temperature2 = 100;
    works.currentRaw = 4095;
    for (const Case& c : cases) {
        works.serialNumber.set(c.serial);
        works.companyName.set(c.company);
        works.ampModelFlag = c.model;
        const std::string identity = row(132);
        EXPECT_EQ(identity.substr(0, c.start.size()), c.start);
        EXPECT_LE(c.end.size(), identity.size());
        EXPECT_EQ(identity.substr(identity.size() - std::min(identity.size(), c.end.size())), c.end);

        const auto page = testing_support::makeFrame(800, 480, 4);
        const auto labelsAlone = testing_support::makeFrame(800, 480, 4);
        works.fb = page.get();
        net::ViewStatusInfo(works, transceiver);
        works.fb = nullptr;
        for (const net::StatusRow& entry : net::statusRows(works, transceiver)) {
            EXPECT_LE(kValueX + ui::getStringSpace(kSlot, entry.value.c_str()), 800) << entry.value;
            ui::putString(kSlot, 5, entry.y, entry.label, 255, 255, 255, labelsAlone.get());
        }
        int strayPixels = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < kValueX; ++x)
                if (testing_support::pixelAt(*page, x, y) != testing_support::pixelAt(*labelsAlone, x, y))
                    ++strayPixels;
        EXPECT_EQ(strayPixels, 0) << identity;
    }
}

}  // namespace
