// The LAN settings and the receive filters operated through the panel
// channel, with the amplifier emulator on the link.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "panel_station.h"

namespace {

using namespace std::chrono_literals;
using testing_support::readAll;

// The address with its prefix length, two DNS servers, and an IPv6 stanza
// that is not the panel's to edit.
constexpr const char* kInterfaces =
    "# The unit's network\n"
    "auto eth0\n"
    "iface eth0 inet static\n"
    "    address 192.168.1.10/24\n"
    "    gateway 192.168.1.1\n"
    "    dns-nameservers 192.168.1.1 8.8.8.8\n"
    "iface eth0 inet6 static\n"
    "    address fd00::10/64\n";

class NetProcess : public ::testing::Test, protected testing_support::PanelStation {
  protected:
    NetProcess() {
        writeFile("/opt/set/antenna.txt", "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n");
        writeFile("/opt/set/interfaces", kInterfaces);
        // Filter 1 covers 40 m, disabled; filter 2 the rest, disabled.
        writeFile("/opt/set/filter.txt", ";header\n7000000 7300000 0\n0 54000000 0\n");
    }

    // SET, then down to the item, then its editor.
    void editMenuItem(int index) {
        press(5);
        for (int step = 0; step < index; ++step) press(4);
        press(6);
    }
    [[nodiscard]] size_t count(const std::string& text, const std::string& what) const {
        size_t found = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++found;
        return found;
    }
};

TEST_F(NetProcess, AnEditedAddressReachesTheInterfacesFileAlone) {
    start();
    editMenuItem(20);  // "LAN" "IP", its last octet selected
    press(5);          // +
    press(6);          // ENTER saves
    std::string expected = kInterfaces;
    expected.replace(expected.find("192.168.1.10"), 12, "192.168.1.11");
    EXPECT_TRUE(station->waitFor([&] { return readAll(root / "opt/set/interfaces") == expected; }, 10s))
        << readAll(root / "opt/set/interfaces");
    EXPECT_TRUE(station->waitFor(
        [&] { return station->log().find("--->new ip: 192.168.1.11") != std::string::npos; }, 5s));
}

TEST_F(NetProcess, AnEnabledFilterGoesInLineOnTheNextFrequencyChange) {
    start();
    editMenuItem(1);  // "FILTERS"
    press(5);         // Modify
    press(6);         // the filter page
    emulator.control("clear-received");
    press(5);  // enable filter 1: the unit is not on 40 m, nothing changes
    ASSERT_TRUE(station->waitFor(
        [&] {
            return readAll(root / "opt/set/filter.txt").find("7000000\t\t7300000\t\t1 \n") !=
                   std::string::npos;
        },
        10s))
        << readAll(root / "opt/set/filter.txt");
    EXPECT_EQ(count(emulator.control("received"), "SF"), 0u);

    ASSERT_EQ(emulator.control("key 5 7100000").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("unkey").rfind("ok", 0), 0u);
    EXPECT_TRUE(station->waitFor([&] { return count(emulator.control("received"), "SF3000001;") == 1; }, 10s))
        << emulator.control("received");
    EXPECT_NE(emulator.control("state").find(" filter_in_line=1 "), std::string::npos);
    // A while later it has still gone out once.
    station->waitFor([] { return false; }, 1s);
    EXPECT_EQ(count(emulator.control("received"), "SF"), 1u);
}

// A hand-edited filter file with an empty line after row 3: the 20 m filter
// is still filter 4, the one the amplifier puts in line at 14.2 MHz.
TEST_F(NetProcess, AnEmptyLineInTheFilterFileShiftsNoFilter) {
    writeFile("/opt/set/filter.txt",
              ";header\n1800000 2000000 1\n3500000 4000000 1\n7000000 7300000 1\n\n14000000 14350000 1\n"
              "0 54000000 1\n");
    start();
    ASSERT_EQ(emulator.control("key 5 14200000").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("unkey").rfind("ok", 0), 0u);
    EXPECT_TRUE(station->waitFor([&] { return emulator.stateValue("filter_in_line") == "4"; }, 10s))
        << "filter in line: " << emulator.stateValue("filter_in_line");
}

}  // namespace
