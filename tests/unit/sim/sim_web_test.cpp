// The web front end's pure parts: who may use it, what it passes on, its
// command line and the frames' text encoding.
#include <gtest/gtest.h>

#include "sim/web/base64.h"
#include "sim/web/web_access.h"
#include "sim/web/web_options.h"

namespace {

using sim::web::remotePageAddress;
using sim::web::RequestOrigin;

TEST(SimWebAccess, OnlyThisComputerNamingThisServer) {
    const sim::web::ServedAt served = sim::web::servedAt("127.0.0.1", 8470, {"127.0.0.1", "192.168.1.5"});
    const struct {
        RequestOrigin request;
        bool allowed;
    } cases[] = {
        {{"127.0.0.1", "127.0.0.1:8470", ""}, true},
        {{"127.0.0.1", "localhost:8470", "http://localhost:8470"}, true},
        {{"::1", "[::1]:8470", "http://[::1]:8470"}, true},
        {{"::ffff:127.0.0.1", "127.0.0.1:8470", ""}, true},
        {{"192.168.1.20", "127.0.0.1:8470", ""}, false},                      // another computer
        {{"::ffff:10.0.0.2", "127.0.0.1:8470", ""}, false},                   // the same, mapped
        {{"127.0.0.1", "attacker.example:8470", ""}, false},                  // a name rebound to loopback
        {{"127.0.0.1", "192.168.1.5:8470", ""}, false},                       // not listened on
        {{"127.0.0.1", "127.0.0.1:8471", ""}, false},                         // another server's port
        {{"127.0.0.1", "127.0.0.1", ""}, false},                              // no port
        {{"127.0.0.1", "127.0.0.1:8470", "http://attacker.example"}, false},  // a cross-site form
        {{"127.0.0.1", "127.0.0.1:8470", "null"}, false},
        {{"127.0.0.1", "127.0.0.1:8470", "https://127.0.0.1:8470"}, false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(sim::web::requestAllowed(test.request, served), test.allowed)
            << test.request.peer << " " << test.request.host << " " << test.request.origin;
}

// Listening beyond loopback serves other computers, still only under this
// server's own addresses: a rebound name or a cross-site form stays out.
TEST(SimWebAccess, AnotherAddressServesOtherComputersUnderItsOwnNames) {
    const std::vector<std::string> machine = {"127.0.0.1", "192.168.1.5", "10.0.0.7"};
    const struct {
        const char* listen;
        RequestOrigin request;
        bool allowed;
    } cases[] = {
        {"192.168.1.5", {"192.168.1.20", "192.168.1.5:8470", "http://192.168.1.5:8470"}, true},
        {"192.168.1.5", {"192.168.1.20", "10.0.0.7:8470", ""}, false},  // not listened on
        {"192.168.1.5", {"192.168.1.20", "station.example:8470", ""}, false},
        {"192.168.1.5", {"192.168.1.20", "192.168.1.5:8470", "http://attacker.example"}, false},
        {"0.0.0.0", {"10.0.0.9", "10.0.0.7:8470", ""}, true},
        {"0.0.0.0", {"192.168.1.20", "192.168.1.5:8470", ""}, true},
        {"0.0.0.0", {"127.0.0.1", "localhost:8470", ""}, true},
        {"0.0.0.0", {"10.0.0.9", "0.0.0.0:8470", ""}, false},
        {"0.0.0.0", {"10.0.0.9", "10.0.0.8:8470", ""}, false},
        {"127.0.0.2", {"127.0.0.1", "127.0.0.2:8470", ""}, true},  // another loopback address
        {"127.0.0.2", {"192.168.1.20", "127.0.0.2:8470", ""}, false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(sim::web::requestAllowed(test.request, sim::web::servedAt(test.listen, 8470, machine)),
                  test.allowed)
            << test.listen << ": " << test.request.peer << " " << test.request.host << " "
            << test.request.origin;
}

TEST(SimWebAccess, PassesOnOnlyThePagesOwnCommands) {
    const struct {
        std::vector<const char*> lines;
        bool panel, emulator, radio;
    } groups[] = {
        {{"down 1", "up 6", "release"}, true, false, false},
        {{"key 5 14074000", "unkey", "load z 25 -10", "temp auto", "fault crc 3"}, false, true, false},
        {{"state"}, false, true, true},
        {{"freq 7100000", "tx on"}, false, false, true},
        // A second command smuggled in after a good one sends the line nowhere.
        {{"down 7", "down 1\nscreenshot /etc/x", "screenshot /tmp/x.png", "hold 2 60000", "state\nreset",
          "received", "keyboard", "freq 0", "tx off\nfreq 1", ""},
         false,
         false,
         false},
    };
    for (const auto& group : groups)
        for (const char* line : group.lines) {
            EXPECT_EQ(sim::web::panelCommandAllowed(line), group.panel) << line;
            EXPECT_EQ(sim::web::emulatorCommandAllowed(line), group.emulator) << line;
            EXPECT_EQ(sim::web::radioCommandAllowed(line), group.radio) << line;
        }
}

TEST(SimWebAccess, TheRemotePageIsOnTheSetupFilesPortOfTheHostAsked) {
    EXPECT_EQ(remotePageAddress("127.0.0.1:8470", "Passphrase: x\nTcpPort: 7001\n"),
              "http://127.0.0.1:7001/");
    EXPECT_EQ(remotePageAddress("localhost", "TcpPort: 6666\n"), "http://localhost:6666/");
    EXPECT_EQ(remotePageAddress("127.0.0.1:8470", "TcpPort: 99999\n"), "http://127.0.0.1:6666/");
    EXPECT_EQ(remotePageAddress("127.0.0.1:8470", ""), "http://127.0.0.1:6666/");
}

TEST(SimWebOptions, ReadsTheCommandLine) {
    constexpr const char* kNotAddress = "--listen must be an IPv4 address, such as 0.0.0.0 or 192.168.1.20";
    const struct {
        std::vector<std::string> arguments;
        std::optional<int> port;  // nothing: refused
        const char* listenOrError;
    } cases[] = {
        {{"--root", "/r"}, 8470, "127.0.0.1"},
        {{"--root", "/r", "--port", "0"}, 0, "127.0.0.1"},
        {{"--port", "9000", "--root", "/r"}, 9000, "127.0.0.1"},
        {{"--root", "/r", "--listen", "0.0.0.0"}, 8470, "0.0.0.0"},
        {{"--listen", "192.168.1.5", "--root", "/r", "--port", "80"}, 80, "192.168.1.5"},
        {{"--port", "9000"}, std::nullopt, "--root DIR is needed"},
        {{"--root", "/r", "--port", "65536"}, std::nullopt, "--port must be 0 to 65535"},
        {{"--root", "/r", "--port", "80x"}, std::nullopt, "--port must be 0 to 65535"},
        {{"--root"}, std::nullopt, "--root needs a value"},
        {{"--root", "/r", "--host", "0.0.0.0"}, std::nullopt, "unknown option --host"},
        {{"--root", "/r", "--listen", "station.example"}, std::nullopt, kNotAddress},
        {{"--root", "/r", "--listen", "::"}, std::nullopt, kNotAddress},
        {{"--root", "/r", "--listen", "192.168.1"}, std::nullopt, kNotAddress},
    };
    for (const auto& test : cases) {
        std::string error;
        auto options = sim::web::parseWebOptions(test.arguments, "/page", error);
        ASSERT_EQ(options.has_value(), test.port.has_value()) << error;
        if (options) {
            EXPECT_EQ(options->port, *test.port);
            EXPECT_EQ(options->listen, test.listenOrError);
            EXPECT_EQ(options->root, "/r");
            EXPECT_EQ(options->pageDir, "/page");
        } else {
            EXPECT_EQ(error, test.listenOrError);
        }
    }
}

TEST(SimWebBase64, EncodesAsRfc4648) {
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foobar", "Zm9vYmFy"},
        {std::string("\x89PNG\r\n\x1a\n\0\xff", 10), "iVBORw0KGgoA/w=="},
    };
    for (const auto& test : cases) EXPECT_EQ(sim::web::base64(test.bytes), test.text) << test.text;
}

}  // namespace
