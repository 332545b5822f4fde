#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "remote/handshake.h"
#include "remote/log_excerpt.h"
#include "test_station.h"

namespace {

using remote::HeaderPhase;

TEST(RemoteHandshake, AcceptValueCoversTheWholeDigest) {
    struct Case {
        const char* key;
        const char* accept;
    };
    for (const Case& test : {
             Case{"dGhlIHNhbXBsZSBub25jZQ==",
                  "s3pPLMBiTxaQ9kYGzzhZRbK+xOo="},  // the standard's worked example
             Case{"YnJpc2VsLWtleS0wMDI1OQ==",
                  "AP56V2cNcgziKTFHl1hEOTsygeg="},  // digest begins with a zero byte
         })
        EXPECT_EQ(remote::acceptValue(test.key), test.accept) << test.key;
}

TEST(RemoteHandshake, ReplyLinesCarryTheAcceptValueAndAlwaysChat) {
    const auto reply = remote::handshakeReply("dGhlIHNhbXBsZSBub25jZQ==");
    EXPECT_EQ(reply[0], "HTTP/1.1 101 Switching Protocols\r\n");
    EXPECT_EQ(reply[1], "Upgrade: websocket\r\n");
    EXPECT_EQ(reply[2], "Connection: Upgrade\r\n");
    EXPECT_EQ(reply[3], "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n");
    EXPECT_EQ(reply[4], "Sec-WebSocket-Protocol: chat\r\n\r\n");
}

struct RequestCase {
    const char* name;
    std::vector<std::string> lines;
    int counter;        // after every line
    int completeAfter;  // lines taken when the counter reached 8; 0: never
};

std::vector<std::string> requestWith(const std::string& connection) {
    return {"GET / HTTP/1.1\r\n",
            "Host: station:6666\r\n",
            "Upgrade: websocket\r\n",
            connection + "\r\n",
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n",
            "Sec-WebSocket-Version: 13\r\n",
            "Origin: http://station\r\n",
            "Sec-WebSocket-Protocol: chat\r\n",
            "\r\n"};
}

TEST(RemoteHandshake, CountsThePrefixesAndTheEmptyLine) {
    testing_support::TestStation station;  // captures the log
    const RequestCase cases[] = {
        {"complete request", requestWith("Connection: keep-alive, Upgrade"), 8, 9},
        {"a browser's Connection: Upgrade", requestWith("Connection: Upgrade"), 8, 9},
        {"the upgrade among other tokens", requestWith("connection: Keep-Alive , upgrade"), 8, 9},
        {"header names in any case",
         {"GET / HTTP/1.1\r\n", "host: a\r\n", "UPGRADE: WebSocket\r\n", "connection: Upgrade\r\n",
          "sec-websocket-key: a2V5\r\n", "sec-websocket-version: 13\r\n", "sec-websocket-protocol: chat\r\n",
          "\r\n"},
         8,
         8},
        {"a connection that keeps alive only", requestWith("Connection: keep-alive"), 7, 0},
        {"an upgrade to something else", {"GET / HTTP/1.1\r\n", "Upgrade: h2c\r\n", "\r\n"}, 2, 0},
        {"a repeated header reaches 8 early",
         {"GET / HTTP/1.1\r\n", "GET / HTTP/1.1\r\n", "Host: a\r\n", "Host: a\r\n", "Upgrade: websocket\r\n",
          "Upgrade: websocket\r\n", "Sec-WebSocket-Version: 13\r\n", "Sec-WebSocket-Version: 13\r\n"},
         8,
         8},
        {"no line feeds", {"GET / HTTP/1.1", "Host: a", "\r", "Upgrade: websocket\r\n"}, 1, 0},
    };
    for (const RequestCase& test : cases) {
        HeaderPhase header;
        int completeAfter = 0;
        for (size_t i = 0; i < test.lines.size(); ++i) {
            header.take(test.lines[i]);
            if (completeAfter == 0 && header.complete()) completeAfter = static_cast<int>(i + 1);
        }
        EXPECT_EQ(header.counter(), test.counter) << test.name;
        EXPECT_EQ(completeAfter, test.completeAfter) << test.name;
    }
}

TEST(RemoteHandshake, APlainGetOfTheRootAsksForThePageAndAnyOtherGetForNothing) {
    testing_support::TestStation station;
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        bool page;
        bool plain;
    };
    const Case cases[] = {
        {"the page", {"GET / HTTP/1.1\r\n", "Host: a\r\n", "Accept: text/html\r\n", "\r\n"}, true, true},
        {"not before the request ends", {"GET / HTTP/1.1\r\n", "Host: a\r\n"}, false, false},
        {"the connection of the page", requestWith("Connection: Upgrade"), false, false},
        {"upgrade in any case", {"GET / HTTP/1.1\r\n", "upgrade: websocket\r\n", "\r\n"}, false, false},
        {"another path, told there is nothing", {"GET /setup.txt HTTP/1.1\r\n", "\r\n"}, false, true},
        {"another method", {"POST / HTTP/1.1\r\n", "\r\n"}, false, false},
        {"the request line not first", {"Host: a\r\n", "GET / HTTP/1.1\r\n", "\r\n"}, false, false},
    };
    for (const Case& test : cases) {
        HeaderPhase header;
        for (const std::string& line : test.lines) header.take(line);
        EXPECT_EQ(header.pageAsked(), test.page) << test.name;
        EXPECT_EQ(header.plainRequestEnded(), test.plain) << test.name;
    }
    const std::string reply = remote::pageReply("<p>page</p>");
    EXPECT_TRUE(reply.starts_with(
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: 11\r\n"));
    EXPECT_TRUE(reply.ends_with("Connection: close\r\n\r\n<p>page</p>"));
    EXPECT_TRUE(remote::notFoundReply().starts_with("HTTP/1.1 404 Not Found\r\n"));
}

TEST(RemoteHandshake, TakesTheKeyWithoutItsLineEndAndRefusesOneTooLong) {
    testing_support::TestStation station;
    struct Case {
        std::string line;
        HeaderPhase::Line result;
        std::string key;
    };
    for (const Case& test : {
             Case{"Sec-WebSocket-Key: abc==\r\n", HeaderPhase::Line::Counted, "abc=="},
             Case{"Sec-WebSocket-Key: abc==\n", HeaderPhase::Line::Counted, "abc=="},
             // 97 characters and the line end fill the 100-byte key buffer with its zero
             Case{"Sec-WebSocket-Key: " + std::string(97, 'k') + "\r\n", HeaderPhase::Line::Counted,
                  std::string(97, 'k')},
             Case{"Sec-WebSocket-Key: " + std::string(98, 'k') + "\r\n", HeaderPhase::Line::KeyTooLong, ""},
             Case{"Sec-WebSocket-Key: " + std::string(2000, 'k') + "\n", HeaderPhase::Line::KeyTooLong, ""},
         }) {
        HeaderPhase header;
        EXPECT_EQ(header.take(test.line), test.result) << test.line.size();
        EXPECT_EQ(header.key(), test.key) << test.line.size();
    }
}

TEST(RemoteHandshake, TextFromTheSocketIsLoggedShortAndPrintable) {
    struct Case {
        std::string text, logged;
    };
    for (const Case& test : {
             Case{"GET / HTTP/1.1", "GET / HTTP/1.1"},
             Case{std::string("\x1b[2J\0\x7f\xff%n%s", 11), ".[2J...%n%s"},
             Case{std::string(64, 'a'), std::string(64, 'a')},
             Case{std::string(65, 'a'), std::string(64, 'a') + "..."},
             Case{"", ""},
         })
        EXPECT_EQ(remote::printableExcerpt(test.text), test.logged) << test.text;
}

TEST(RemoteHandshake, AFloodOfRequestLinesLogsBoundedPrintableLines) {
    testing_support::TestStation station;
    HeaderPhase header;
    std::string junk = "X-Junk: ";
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\n') junk.push_back(static_cast<char>(byte));
    junk.resize(1022, 'j');
    for (int line = 0; line < 4000; ++line) header.take(junk + "\n");
    header.take("GET / HTTP/1.1\r\n");

    size_t bytes = 0, longest = 0, unprintable = 0;
    for (const auto channel : {platform::LogChannel::Info, platform::LogChannel::Error})
        for (const std::string& line : station.log.lines(channel)) {
            bytes += line.size();
            longest = std::max(longest, line.size());
            unprintable +=
                std::ranges::count_if(line, [](char c) { return c != '\n' && (c < ' ' || c > '~'); });
        }
    EXPECT_LE(longest, 120u);
    EXPECT_EQ(unprintable, 0u);
    EXPECT_LE(bytes, 4000u) << "4,000 lines of 1 KB";
    EXPECT_TRUE(station.log.contains("Received 1023 bytes X-Junk: ...."));
    EXPECT_TRUE(station.log.contains("Caught GET  go to status 1/7")) << "lines are still counted";
}

}  // namespace
