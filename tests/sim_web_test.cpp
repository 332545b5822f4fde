// The web front end's pure parts: who may use it, what it passes on, its
// command line and the frames' text encoding.
#include <gtest/gtest.h>

#include "web/base64.h"
#include "web/web_access.h"
#include "web/web_options.h"

namespace {

using sim::web::RequestOrigin;

TEST(SimWebAccess, OnlyThisComputerNamingThisServer) {
    constexpr int kPort = 8470;
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
        {{"127.0.0.1", "127.0.0.1:8471", ""}, false},                         // another server's port
        {{"127.0.0.1", "127.0.0.1", ""}, false},                              // no port
        {{"127.0.0.1", "127.0.0.1:8470", "http://attacker.example"}, false},  // a cross-site form
        {{"127.0.0.1", "127.0.0.1:8470", "null"}, false},
        {{"127.0.0.1", "127.0.0.1:8470", "https://127.0.0.1:8470"}, false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(sim::web::fromThisComputer(test.request, kPort), test.allowed)
            << test.request.peer << " " << test.request.host << " " << test.request.origin;
}

TEST(SimWebAccess, PassesOnOnlyThePagesOwnCommands) {
    const struct {
        const char* line;
        bool panel, emulator, radio;
    } cases[] = {
        {"down 1", true, false, false},
        {"up 6", true, false, false},
        {"release", true, false, false},
        {"down 7", false, false, false},
        {"down 1\nscreenshot /etc/x", false, false, false},  // a second command smuggled in
        {"screenshot /tmp/x.png", false, false, false},
        {"hold 2 60000", false, false, false},
        {"key 5 14074000", false, true, false},
        {"unkey", false, true, false},
        {"load z 25 -10", false, true, false},
        {"temp auto", false, true, false},
        {"fault crc 3", false, true, false},
        {"state", false, true, true},
        {"state\nreset", false, false, false},
        {"received", false, false, false},
        {"keyboard", false, false, false},
        {"freq 7100000", false, false, true},
        {"freq 0", false, false, false},
        {"tx on", false, false, true},
        {"tx off\nfreq 1", false, false, false},
        {"", false, false, false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(sim::web::panelCommandAllowed(test.line), test.panel) << test.line;
        EXPECT_EQ(sim::web::emulatorCommandAllowed(test.line), test.emulator) << test.line;
        EXPECT_EQ(sim::web::radioCommandAllowed(test.line), test.radio) << test.line;
    }
}

TEST(SimWebOptions, ReadsTheCommandLine) {
    const struct {
        std::vector<std::string> arguments;
        std::optional<int> port;  // nothing: refused
        const char* error;
    } cases[] = {
        {{"--root", "/r"}, 8470, ""},
        {{"--root", "/r", "--port", "0"}, 0, ""},
        {{"--port", "9000", "--root", "/r"}, 9000, ""},
        {{"--port", "9000"}, std::nullopt, "--root DIR is needed"},
        {{"--root", "/r", "--port", "65536"}, std::nullopt, "--port must be 0 to 65535"},
        {{"--root", "/r", "--port", "80x"}, std::nullopt, "--port must be 0 to 65535"},
        {{"--root"}, std::nullopt, "--root needs a value"},
        {{"--root", "/r", "--host", "0.0.0.0"}, std::nullopt, "unknown option --host"},
    };
    for (const auto& test : cases) {
        std::string error;
        auto options = sim::web::parseWebOptions(test.arguments, "/page", error);
        ASSERT_EQ(options.has_value(), test.port.has_value()) << error;
        if (options) {
            EXPECT_EQ(options->port, *test.port);
            EXPECT_EQ(options->root, "/r");
            EXPECT_EQ(options->pageDir, "/page");
        } else {
            EXPECT_EQ(error, test.error);
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
