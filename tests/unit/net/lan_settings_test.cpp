#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/interfaces_file.h"
#include "config/version_text.h"
#include "net/lan_info.h"
#include "net/lan_param.h"
#include "test_station.h"
#include "ui/main_loop.h"
#include "ui/settings_menu.h"

namespace {

using platform::SystemAction;
using testing_support::TestStation;

constexpr const char* kInterfaces =
    "auto lo\n"
    "iface lo inet loopback\n"
    "iface eth0 inet static\n"
    "    address 192.168.1.10\n"
    "    netmask 255.255.255.0\n"
    "    nameserver 8.8.8.8\n";

TEST(InterfacesFile, ReadsTheAddressLines) {
    const config::LanTexts texts = config::lanTextsOf(kInterfaces);
    EXPECT_EQ(texts.IP, "192.168.1.10");
    EXPECT_EQ(texts.NetMask, "255.255.255.0");
    EXPECT_EQ(texts.Gateway, "");
    EXPECT_EQ(texts.DNS, "8.8.8.8");
    EXPECT_EQ(config::lanTextsOf("gateway \ndns-nameservers 1.1.1.1").Gateway, "");
    EXPECT_EQ(config::lanTextsOf("gateway \ndns-nameservers 1.1.1.1").DNS, "1.1.1.1");
}

TEST(InterfacesFile, RewritesOnlyTheAddressLines) {
    config::LanValues values;
    values.IP = {10, 0, 0, 5};
    values.NetMask = {255, 0, 0, 0};
    values.Gateway = {10, 0, 0, 1};
    values.DNS = {9, 9, 9, 9};
    struct Case {
        std::string in;
        bool gatewayNone, dnsNone;
        std::string out;
    } cases[] = {
        {kInterfaces, true, false,
         "auto lo\niface lo inet loopback\niface eth0 inet static\n    address 10.0.0.5\n"
         "    netmask 255.0.0.0\n    dns-nameservers 9.9.9.9\n"},
        {"gateway \ndns-nameservers 1.1.1.1", true, true, "gateway \ndns-nameservers "},
        {"gateway 1.2.3.4\n", false, false, "gateway 10.0.0.1\n"},
        {"# no address here\n", false, false, "# no address here\n"},
    };
    for (const Case& c : cases) {
        values.Gateway_none = c.gatewayNone;
        values.DNS_none = c.dnsNone;
        EXPECT_EQ(config::rewriteInterfaces(c.in, values), c.out) << c.in;
    }
    // A long file keeps every line.
    std::string longFile;
    for (int line = 0; line < 80; ++line) longFile += "# line " + std::to_string(line) + "\n";
    longFile += "address 1.1.1.1\n";
    EXPECT_EQ(config::rewriteInterfaces(longFile, values),
              longFile.substr(0, longFile.size() - 16) + "address 10.0.0.5\n");
}

// A unit's file as ifupdown and resolvconf take it: a prefix length on the
// address, two DNS servers, an IPv6 stanza before and after the IPv4 one and
// a second interface.
constexpr const char* kStanzas =
    "auto lo\n"
    "iface lo inet loopback\n"
    "iface eth0 inet6 static\n"
    "    address fd00::10/64\n"
    "auto eth0\n"
    "iface eth0 inet static\n"
    "    address 192.168.1.10/24\n"
    "    gateway 192.168.1.1\n"
    "    dns-nameservers 192.168.1.1 8.8.8.8\n"
    "    dns-nameservers 9.9.9.9\n"
    "auto wlan0\n"
    "iface wlan0 inet static\n"
    "    address 10.1.1.1\n"
    "    netmask 255.0.0.0\n"
    "iface eth0 inet6 static\n"
    "    address fd00::11/64\n"
    "    gateway fd00::1\n";

TEST(InterfacesFile, OnlyTheLanIpv4StanzaIsReadAndWritten) {
    const config::LanTexts texts = config::lanTextsOf(kStanzas);
    EXPECT_EQ(texts.IP, "192.168.1.10/24");
    EXPECT_EQ(texts.NetMask, "");
    EXPECT_EQ(texts.Gateway, "192.168.1.1");
    EXPECT_EQ(texts.DNS, "192.168.1.1 8.8.8.8");
    EXPECT_EQ(config::SplitAddr(texts.IP), (config::Octets{192, 168, 1, 10}));
    EXPECT_EQ(config::SplitAddr(texts.DNS), (config::Octets{192, 168, 1, 1}));

    config::LanValues values;
    values.IP = {192, 168, 1, 11};
    values.NetMask = {255, 255, 0, 0};
    values.Gateway = {192, 168, 1, 254};
    values.DNS = {1, 1, 1, 1};
    std::string expected = kStanzas;
    expected.replace(expected.find("192.168.1.10/24"), 15, "192.168.1.11/24");
    expected.replace(expected.find("gateway 192.168.1.1"), 19, "gateway 192.168.1.254");
    expected.replace(expected.find("192.168.1.1 8.8.8.8"), 19, "1.1.1.1 8.8.8.8");
    EXPECT_EQ(config::rewriteInterfaces(kStanzas, values), expected);
}

TEST(InterfacesFile, SplitsJoinsAndEditsDottedAddresses) {
    EXPECT_EQ(config::SplitAddr("192.168.1.10"), (config::Octets{192, 168, 1, 10}));
    EXPECT_EQ(config::SplitAddr("10.1"), (config::Octets{10, 1, 0, 0}));
    EXPECT_EQ(config::SplitAddr(""), (config::Octets{0, 0, 0, 0}));
    EXPECT_EQ(config::SplitAddrInv({255, 0, 7, 1}), "255.0.7.1");

    // The octet editor wraps the value and the position.
    std::atomic<uint8_t> address[4]{1, 2, 3, 255};
    EXPECT_EQ(ui::ModifyIP(ui::editCode::Plus, address, 3), 3);
    EXPECT_EQ(address[3], 0);
    EXPECT_EQ(ui::ModifyIP(ui::editCode::Minus, address, 3), 3);
    EXPECT_EQ(address[3], 255);
    EXPECT_EQ(ui::ModifyIP(ui::editCode::Right, address, 3), 0);
    EXPECT_EQ(ui::ModifyIP(ui::editCode::Left, address, 0), 3);
}

class LanSettings : public ::testing::Test {
  protected:
    void write(const std::string& text) {
        std::filesystem::create_directories(station.path("/opt/set"));
        std::ofstream(station.path(config::kInterfacesPath)) << text;
    }
    [[nodiscard]] std::string file() const {
        std::ifstream in(station.path(config::kInterfacesPath));
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(LanSettings, SaveWritesTheEditedAddressAndRestartsTheNetwork) {
    write("iface eth0 inet static\naddress 192.168.1.10\nnetmask 255.255.255.0\ndns-nameservers 8.8.8.8\n");
    ASSERT_EQ(net::ReadLanParam(works), 0);
    EXPECT_EQ(works.Gateway_none, 1);
    EXPECT_EQ(works.DNS_none, 0);
    EXPECT_EQ(works.IP_v[3], 10);
    works.IP_v[3] = 77;
    works.DNS_v[0] = 1;
    EXPECT_EQ(net::SaveLanParam(works), 0);
    EXPECT_EQ(
        file(),
        "iface eth0 inet static\naddress 192.168.1.77\nnetmask 255.255.255.0\ndns-nameservers 1.8.8.8\n");
    EXPECT_EQ(works.IP.get(), "192.168.1.77");
    EXPECT_EQ(station.actions(), (std::vector<SystemAction>{SystemAction::RemountSettingsReadWrite,
                                                            SystemAction::RemountSettingsReadOnly,
                                                            SystemAction::RestartNetwork}));
}

TEST_F(LanSettings, SavedTextsKeepThePrefixLengthAndFurtherServers) {
    write(kStanzas);
    ASSERT_EQ(net::ReadLanParam(works), 0);
    EXPECT_EQ(works.IP_v[3], 10);
    works.IP_v[3] = 11;
    EXPECT_EQ(net::SaveLanParam(works), 0);
    EXPECT_NE(file().find("    address 192.168.1.11/24\n    gateway"), std::string::npos) << file();
    EXPECT_EQ(works.IP.get(), "192.168.1.11/24");
    EXPECT_EQ(works.DNS.get(), "192.168.1.1 8.8.8.8");
}

TEST_F(LanSettings, FailedRemountLeavesTheFileAndTheNetworkAlone) {
    write(kInterfaces);
    ASSERT_EQ(net::ReadLanParam(works), 0);
    works.IP_v[0] = 1;
    station.system().failAction(SystemAction::RemountSettingsReadWrite, 32);
    EXPECT_EQ(net::SaveLanParam(works), -1);
    EXPECT_EQ(file(), kInterfaces);
    const std::vector<SystemAction> actions = station.actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), SystemAction::RestartNetwork), 0);
}

TEST_F(LanSettings, MissingFileLeavesTheValuesEmpty) {
    works.IP.set("1.2.3.4");
    EXPECT_EQ(net::ReadLanParam(works), -1);
    EXPECT_EQ(works.IP.get(), "");
    EXPECT_TRUE(station.log.contains("Error opening network connection configuration file."));
}

// A new simulated unit gets the network file of sim/station, as a real unit
// has one: the status page's texts and the settings menu's numbers show the
// same addresses, and saving them unchanged leaves the file as it was.
TEST_F(LanSettings, TheSimulatedUnitsSampleFileGivesTheTextsAndTheNumbersTheSameAddresses) {
    std::ifstream sample(std::filesystem::path(BRISEL_SOURCE_DIR) / "sim" / "station" / "interfaces");
    ASSERT_TRUE(sample.good());
    const std::string text{std::istreambuf_iterator<char>(sample), {}};
    write(text);
    ASSERT_EQ(net::ReadLanParam(works), 0);
    EXPECT_EQ(works.Gateway_none, 0);
    EXPECT_EQ(works.DNS_none, 0);
    const std::pair<std::string, const std::atomic<uint8_t>(&)[4]> addresses[] = {
        {works.IP.get(), works.IP_v},
        {works.NetMask.get(), works.NetMask_v},
        {works.Gateway.get(), works.Gateway_v},
        {works.DNS.get(), works.DNS_v}};
    for (const auto& [shown, octets] : addresses) {
        EXPECT_NE(shown, "");
        EXPECT_EQ(shown, config::SplitAddrInv({octets[0], octets[1], octets[2], octets[3]}));
    }
    EXPECT_EQ(net::SaveLanParam(works), 0);
    EXPECT_EQ(file(), text);
}

TEST(VersionCheck, OfferIsNewerByMajorThenMinor) {
    struct Case {
        const char* line;
        const char* sw;
        const char* fw;
        int32_t available;
    } cases[] = {
        {"02.005      001.010", "02.003", "001.010", 1},  // newer software, same firmware
        {"02.005      001.011", "02.003", "001.010", 2},  // both newer
        {"02.003      002.000", "02.003", "001.010", 0},  // firmware alone never counts
        {"03.000 002.000", "02.999", "001.010", 2},       // major beats minor
        {"10.005      001.010", "01.003", "001.010", 1},  // major 10 reads as 1
        {"01", "01.003", "001.010", 0},                   // a short line offers nothing newer
        {"", "", "", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(config::updateOfferOf(c.line, c.sw, c.fw).updateAvailable, c.available) << c.line;
    EXPECT_EQ(config::updateOfferOf("02.005      001.011", "02.003", "001.010").firmware,
              (config::Version{1, 11}));
}

TEST(VersionCheck, StatusProgramAnswersDecideTheUpdateState) {
    TestStation station;
    core::Works& works = station.works;
    works.swVersion.set("02.003");
    works.fwVersion.set("001.010");
    struct Case {
        std::optional<std::string> report;
        const char* status;
        int32_t available;
    } cases[] = {
        {"02.005      001.010\nLAN+Internet\tOK\n", "LAN+Internet", 1},
        {"02.005      001.010\nNo Internet\n", "No Internet", 0},
        {std::nullopt, "No Conn", 0},
    };
    for (const Case& c : cases) {
        station.system().setLanStatusReport(c.report);
        net::LANInfoThread(works);
        EXPECT_EQ(works.lanStatusText.get(), c.status);
        EXPECT_EQ(works.updateAvailable, c.available);
        EXPECT_EQ(works.lanCheckRunning, 0);
    }
    EXPECT_TRUE(station.log.contains("can't start my_qelt"));
}

TEST(VersionCheck, MainLoopChecksAgainOnceTwoMinutesHavePassed) {
    TestStation station;
    core::Works& works = station.works;
    station.threads.setBody(core::ThreadId::LANInfoThread, net::LANInfoThread);
    const std::time_t now = works.platform->clock().wallTime();
    struct Case {
        std::time_t age;
        bool checked;
    } cases[] = {{60, false}, {119, false}, {120, true}};
    for (const Case& c : cases) {
        works.lanCheckTime = now - c.age;
        ui::timerTick(works, now);
        station.threads.join(core::ThreadId::LANInfoThread);
        EXPECT_EQ(works.lanCheckTime == now - c.age, !c.checked) << c.age;
    }
}

}  // namespace
