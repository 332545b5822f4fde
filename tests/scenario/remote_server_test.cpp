#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "raw_remote_connection.h"
#include "remote/frame_builder.h"
#include "remote/frame_writers.h"
#include "remote/server.h"
#include "remote_client_process.h"
#include "sim/remote/remote_client.h"
#include "test_station.h"

namespace {

using Bytes = std::vector<uint8_t>;

using testing_support::RawRemoteConnection;
const std::string kRequest = RawRemoteConnection::request();

// The server thread on a simulated station (its own pauses cost no time);
// the receive time-out of the client socket is real time.
class RemoteServerTest : public ::testing::Test {
  protected:
    RemoteServerTest() {
        works.Passphrase.set("Secret7");
        works.TcpPort = static_cast<int16_t>(testing_support::freeLoopbackPort());
        works.running = 1;
        station.threads.start(works, core::ThreadId::Wsocket, remote::Wsocket);
        while (!station.log.contains("Listening on port"))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~RemoteServerTest() override {
        works.running = 0;
        station.threads.join(core::ThreadId::Wsocket);
    }

    int connectRaw() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(works.TcpPort.load()));
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        return fd;
    }
    // Everything the server sends until it closes the connection; nothing more after 5 s.
    static std::string untilClosed(int fd) {
        std::string text;
        char buffer[4096];
        for (pollfd ready{fd, POLLIN, 0}; poll(&ready, 1, 5000) > 0;) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) return text;
            text.append(buffer, static_cast<size_t>(got));
        }
        return text + "(still open)";
    }
    static void sendText(int fd, const std::string& text) {
        send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    }
    static void sendBytes(int fd, const Bytes& bytes) { send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    remote_client::Endpoint endpoint() {
        remote_client::Endpoint to;
        to.port = static_cast<uint16_t>(works.TcpPort.load());
        return to;
    }
    bool waitForLog(const std::string& text) {
        for (int waited = 0; waited < 500; ++waited) {
            if (station.log.contains(text)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Connects and logs in with the right pass phrase, until the station receives the client's data.
    void logIn(remote_client::RemoteClient& client) {
        ASSERT_EQ(client.connect(endpoint()), "");
        ASSERT_TRUE(client.login("Secret7"));
        ASSERT_TRUE(waitForLog("Receiving data"));
    }
    // Sends the pieces one by one, each 0.5 s of the station's clock after the last (and 20 ms
    // of real time, well inside the socket's receive time-out), until the station closes the
    // connection; how many pieces it took, or -1 when the connection outlived them all.
    int trickle(int fd, const std::vector<std::string>& pieces) {
        for (size_t sent = 0; sent < pieces.size(); ++sent) {
            if (closedByStation(fd)) return static_cast<int>(sent);
            sendText(fd, pieces[sent]);
            works.platform->clock().sleepFor(std::chrono::milliseconds(500));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return closedByStation(fd) ? static_cast<int>(pieces.size()) : -1;
    }
    // Reads what has come (replies are dropped); true once the station has closed.
    static bool closedByStation(int fd) {
        char buffer[512];
        for (;;) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0) continue;
            return got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        }
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
};

TEST_F(RemoteServerTest, RequestsThatAreNotAnsweredEndTheirConnection) {
    struct Case {
        const char* name;
        std::string request;
        const char* logged;
    };
    for (const Case& test : {
             Case{"key line too long",
                  "GET / HTTP/1.1\r\nSec-WebSocket-Key: " + std::string(200, 'k') + "\r\n",
                  "key line of 221 bytes refused"},
         }) {
        const int fd = connectRaw();
        sendText(fd, test.request);
        EXPECT_EQ(untilClosed(fd), "") << test.name;
        close(fd);
        EXPECT_TRUE(waitForLog(test.logged)) << test.name;
    }
    const int fd = connectRaw();
    sendText(fd, "GET / HTTP/1.1\r\nHost: a\r\n");
    shutdown(fd, SHUT_WR);
    EXPECT_EQ(untilClosed(fd), "");
    close(fd);
    EXPECT_TRUE(waitForLog("TCP closed by 127.0.0.1 during the handshake"));

    remote_client::RemoteClient client;
    EXPECT_EQ(client.connect(endpoint()), "") << "the server goes on with the next client";
}

TEST_F(RemoteServerTest, APlainGetOfTheRootGetsThePageAnyOtherNothingAndNothingActs) {
    const int fd = connectRaw();
    sendText(fd, "GET / HTTP/1.1\r\nHost: a\r\nAccept: text/html\r\n\r\n");
    const std::string reply = untilClosed(fd);
    close(fd);
    ASSERT_TRUE(reply.starts_with("HTTP/1.1 200 OK\r\n")) << reply.substr(0, 200);
    const size_t body = reply.find("\r\n\r\n") + 4;
    EXPECT_NE(reply.find("Content-Length: " + std::to_string(reply.size() - body) + "\r\n"),
              std::string::npos);
    EXPECT_NE(reply.find("<title>BRISEL remote</title>", body), std::string::npos);
    EXPECT_EQ(reply.find("Secret7"), std::string::npos);
    EXPECT_EQ(works.wsActive, 0);

    const int other = connectRaw();
    sendText(other, "GET /favicon.ico HTTP/1.1\r\nHost: a\r\n\r\n");
    EXPECT_TRUE(untilClosed(other).starts_with("HTTP/1.1 404 Not Found\r\n"));
    close(other);

    remote_client::RemoteClient client;
    ASSERT_NO_FATAL_FAILURE(logIn(client));
}

// What a browser sends: "Connection: Upgrade", and every frame masked.
TEST_F(RemoteServerTest, ABrowsersHandshakeAndMaskedFramesLogIn) {
    const int fd = connectRaw();
    sendText(fd,
             "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
             "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
             "Sec-WebSocket-Protocol: chat\r\n\r\n");
    auto masked = [](uint8_t type, const std::string& payload) {
        const uint8_t key[4] = {9, 200, 31, 77};
        Bytes frame = {type, static_cast<uint8_t>(0x80 | payload.size()), key[0], key[1], key[2], key[3]};
        for (size_t i = 0; i < payload.size(); ++i)
            frame.push_back(static_cast<uint8_t>(payload[i]) ^ key[i % 4]);
        return frame;
    };
    sendBytes(fd, masked(0x81, "Secret7"));
    EXPECT_TRUE(waitForLog("Receiving data"));
    sendBytes(fd, masked(0x82, "HB12345678"));
    std::string received;
    char buffer[4096];
    for (pollfd ready{fd, POLLIN, 0};
         received.find(std::string("\x82\x12HB", 4)) == std::string::npos && poll(&ready, 1, 5000) > 0;) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        received.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    EXPECT_TRUE(received.starts_with("HTTP/1.1 101 Switching Protocols\r\n"));
    EXPECT_NE(received.find("s3pPLMBiTxaQ9kYGzzhZRbK+xOo="), std::string::npos);
    EXPECT_NE(received.find(std::string("\x82\x12HB", 4)), std::string::npos) << "the heartbeat is answered";
}

TEST_F(RemoteServerTest, AClientThatTricklesIsLetGoTenSecondsAfterItConnected) {
    struct Case {
        const char* name;
        std::string opening;              // sent at once
        std::vector<std::string> pieces;  // then one every 0.5 s
    };
    std::vector<std::string> headerLines(40, "X-Slow: 1\r\n");
    std::vector<std::string> frameBytes;
    // A long frame announcing 1000 bytes, one byte at a time.
    for (const uint8_t byte : Bytes{0x82, 126, 0x03, 0xe8, 'S', 'O'}) frameBytes.emplace_back(1, byte);
    frameBytes.resize(40, "a");
    for (const Case& test : {Case{"header lines", "GET / HTTP/1.1\r\n", headerLines},
                             Case{"frame bytes after the handshake", kRequest, frameBytes}}) {
        station.log.clear();
        const int fd = connectRaw();
        sendText(fd, test.opening);
        const int taken = trickle(fd, test.pieces);
        close(fd);
        // 10 s are 20 pieces; the station may be a piece or two late in noticing.
        EXPECT_GE(taken, 19) << test.name;
        EXPECT_NE(taken, -1) << test.name << ": never let go";
        EXPECT_TRUE(waitForLog("no pass phrase from 127.0.0.1 within 10 s: connection ended")) << test.name;

        remote_client::RemoteClient next;
        ASSERT_NO_FATAL_FAILURE(logIn(next)) << test.name;
    }
}

TEST_F(RemoteServerTest, WrongPassPhrasesFromManyAddressesAreLimitedButARightOneGetsIn) {
    platform::Clock& clock = works.platform->clock();
    const auto start = clock.now();
    constexpr int kGuesses = 9;
    for (int guess = 0; guess < kGuesses; ++guess) {
        remote_client::Endpoint from = endpoint();
        from.from = "127.0.0." + std::to_string(10 + guess);
        remote_client::RemoteClient client;
        ASSERT_EQ(client.connect(from), "") << guess;
        ASSERT_TRUE(client.login("Guess" + std::to_string(guess)));
        while (client.receive(5000)) {
        }
    }
    // Five at once, then one a second: the ninth refusal comes 3 s or more after the first guess.
    EXPECT_TRUE(waitForLog("wrong pass phrases from any address: next handshake read in"));
    EXPECT_GE(clock.now() - start, std::chrono::seconds(kGuesses - 5 - 1));
    EXPECT_FALSE(station.log.contains("in a row from")) << "no address failed three times";

    remote_client::Endpoint from = endpoint();
    from.from = "127.0.0.99";
    remote_client::RemoteClient right;
    ASSERT_EQ(right.connect(from), "");
    ASSERT_TRUE(right.login("Secret7"));
    EXPECT_TRUE(waitForLog("required >********< equals to >********<"));
    EXPECT_TRUE(waitForLog("Receiving data"));
}

TEST_F(RemoteServerTest, AFrameOverTheBufferOrSilenceEndsTheConnection) {
    struct Case {
        const char* name;
        Bytes after;  // after the pass phrase
        const char* logged;
    };
    for (const Case& test : {
             Case{"frame over the buffer",
                  {0x82, 126, 0x04, 0x00, 'S', 'O'},
                  "frame refused: over the buffer"},
             Case{"32-bit frame over the buffer", {0x82, 127, 0x00, 0x01, 0x00, 0x00}, "frame refused"},
             Case{"nothing within 0.9 s", {}, "TCP read Error 2a"},
         }) {
        const int fd = connectRaw();
        sendText(fd, kRequest);
        sendBytes(fd, RawRemoteConnection::passPhraseFrame("Secret7"));
        ASSERT_TRUE(waitForLog("Receiving data")) << test.name;
        sendBytes(fd, test.after);
        const std::string received = untilClosed(fd);
        EXPECT_TRUE(received.starts_with("HTTP/1.1 101 Switching Protocols\r\n")) << test.name;
        EXPECT_EQ(received.find("(still open)"), std::string::npos) << test.name;
        close(fd);
        EXPECT_TRUE(waitForLog(test.logged)) << test.name;
        EXPECT_TRUE(waitForLog("TCP closed"));
        EXPECT_EQ(works.wsActive, 0);
        station.log.clear();
    }
}

TEST_F(RemoteServerTest, AHeartbeatKeepsTheConnectionAndStatusRecordsFollow) {
    remote_client::RemoteClient client;
    ASSERT_NO_FATAL_FAILURE(logIn(client));
    // Three receive time-outs' worth of heartbeats
    std::this_thread::sleep_for(std::chrono::milliseconds(2700));
    EXPECT_EQ(works.wsActive, 1);
    remote::sendStatusToClient(works);
    for (;;) {
        const auto message = client.receive(2000);
        ASSERT_TRUE(message.has_value());
        if (message->code != "ST") continue;
        EXPECT_EQ(message->data.size(), 58u);
        break;
    }
}

TEST_F(RemoteServerTest, LoginLogoutAndEachRefusalAreToldOnceInWords) {
    const auto told = [&](const std::string& text) {
        const std::vector<std::string> events = station.log.lines(platform::LogChannel::Event);
        return std::count(events.begin(), events.end(), "EVENT " + text);
    };
    {
        remote_client::RemoteClient client;
        ASSERT_EQ(client.connect(endpoint()), "");
        ASSERT_TRUE(client.login("Secret7"));
        ASSERT_TRUE(waitForLog("EVENT remote login: 127.0.0.1"));
    }
    ASSERT_TRUE(waitForLog("EVENT remote logout: 127.0.0.1"));

    remote_client::Endpoint from = endpoint();
    from.from = "127.0.0.5";
    remote_client::RemoteClient guesser;
    ASSERT_EQ(guesser.connect(from), "");
    ASSERT_TRUE(guesser.login("Secret8"));
    ASSERT_TRUE(waitForLog("EVENT remote refused 127.0.0.5: wrong pass phrase"));

    works.Passphrase.set("");
    for (int attempt = 0; attempt < 3; ++attempt) {
        remote_client::RemoteClient client;
        ASSERT_EQ(client.connect(endpoint()), "") << attempt;
        EXPECT_FALSE(client.receive(5000)) << attempt;
    }
    EXPECT_EQ(told("remote refused 127.0.0.1: no pass phrase is set (told once until one is)"), 1);
    EXPECT_EQ(told("remote login: 127.0.0.1"), 1);
    EXPECT_EQ(told("remote logout: 127.0.0.1"), 1);
    EXPECT_EQ(told("remote refused 127.0.0.5: wrong pass phrase"), 1);
    EXPECT_FALSE(station.log.contains("Secret")) << "no pass phrase in the log";
}

TEST_F(RemoteServerTest, BinaryMessagesBeforeThePassPhraseAreDroppedButTheHeartbeat) {
    const int fd = connectRaw();
    sendText(fd, kRequest);
    const std::string command = "QELTRB";
    sendBytes(fd, remote::shortFrame("ST", Bytes(command.begin(), command.end())));
    sendBytes(fd, remote::shortFrame("HB", Bytes(8, 5)));
    sendBytes(fd, RawRemoteConnection::passPhraseFrame("wrong"));
    const std::string received = untilClosed(fd);
    close(fd);
    const size_t heartbeat = received.find(std::string("\x82\x12HB", 4));
    ASSERT_NE(heartbeat, std::string::npos);
    EXPECT_EQ(received.substr(heartbeat + 12, 8), std::string(8, '\x05'));
    EXPECT_TRUE(waitForLog("message before the pass phrase dropped"));
    EXPECT_TRUE(waitForLog("required >********< differ from >********<"));
    EXPECT_TRUE(station.actions().empty()) << "no reboot";
}

TEST_F(RemoteServerTest, AClientThatStopsReadingIsLetGoInsteadOfHoldingTheWriters) {
    remote_client::RemoteClient client;
    ASSERT_NO_FATAL_FAILURE(logIn(client));
    // Spectrum lines until the socket's buffers are full; the client reads nothing.
    const Bytes line(1024, 0x55);
    for (int sent = 0; sent < 200000 && !station.log.contains("client not reading"); ++sent)
        remote::sendWebSockSerSpectrFrame(works, line);
    EXPECT_TRUE(waitForLog("client not reading: connection ended"));
    EXPECT_TRUE(waitForLog("TCP closed"));
    EXPECT_EQ(works.wsActive, 0);
}

TEST_F(RemoteServerTest, AClientWithoutItsPassPhraseLeavesTheSlotAfterTenSeconds) {
    const int fd = connectRaw();
    sendText(fd, kRequest);
    sendBytes(fd, remote::shortFrame("HB", Bytes(8, 1)));
    // The heartbeat's answer comes from the frame phase: its deadline runs from before it.
    std::string received;
    char buffer[512];
    for (pollfd ready{fd, POLLIN, 0};
         received.find("\x82\x12HB") == std::string::npos && poll(&ready, 1, 5000) > 0;) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        received.append(buffer, static_cast<size_t>(got));
    }
    ASSERT_NE(received.find("\x82\x12HB"), std::string::npos) << received;
    works.platform->clock().sleepFor(std::chrono::seconds(11));
    sendBytes(fd, remote::shortFrame("HB", Bytes(8, 2)));
    EXPECT_EQ(untilClosed(fd).find("(still open)"), std::string::npos);
    close(fd);
    EXPECT_TRUE(waitForLog("no pass phrase from 127.0.0.1 within 10 s: connection ended"));
    EXPECT_TRUE(waitForLog("EVENT remote refused 127.0.0.1: no pass phrase within 10 s"));

    remote_client::RemoteClient next;
    ASSERT_NO_FATAL_FAILURE(logIn(next));
}

// What the client can tell: the station closes the connection on a wrong pass
// phrase without a word, nothing listens on a wrong port, and silence is not a refusal.
TEST_F(RemoteServerTest, TheClientSaysWhyItWasRefusedWhenItCanKnow) {
    remote_client::RemoteClient client;
    ASSERT_EQ(client.connect(endpoint()), "");
    ASSERT_TRUE(client.login("Wrong1"));
    while (client.receive(5000)) {
    }
    EXPECT_TRUE(client.closedByStation());
    EXPECT_NE(
        remote_client::whySessionEnded(false, client.closedByStation(), 2000)
            .find("refused: the station closed the connection after the pass phrase: a wrong pass phrase, "
                  "or none set on the station"),
        std::string::npos);
    EXPECT_EQ(remote_client::whySessionEnded(false, false, 2000),
              "no status record: the station sent nothing for 2000 ms after the pass phrase");
    EXPECT_EQ(remote_client::whySessionEnded(true, true, 2000), "connection ended by the station");
    EXPECT_EQ(remote_client::whySessionEnded(true, false, 2000), "the station sent nothing for 2000 ms");

    remote_client::RemoteClient elsewhere;
    remote_client::Endpoint nobody;
    nobody.port = static_cast<uint16_t>(testing_support::freeLoopbackPort());
    nobody.connectTimeout = std::chrono::milliseconds(500);
    EXPECT_EQ(elsewhere.connect(nobody).rfind(
                  "connection refused: nothing listens on 127.0.0.1:" + std::to_string(nobody.port) +
                      " within 0.5 s (is the station running",
                  0),
              0u);
}

// A port another program holds: the log names it and the reason, not only the error number.
TEST(RemoteServerPort, APortInUseIsNamedWithItsReason) {
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    getsockname(holder, reinterpret_cast<sockaddr*>(&address), &size);
    const int port = ntohs(address.sin_port);

    testing_support::TestStation station;
    station.works.TcpPort = static_cast<int16_t>(port);
    station.works.running = 1;
    station.threads.start(station.works, core::ThreadId::Wsocket, remote::Wsocket);
    station.threads.join(core::ThreadId::Wsocket);  // it ends by itself without its port
    close(holder);
    EXPECT_TRUE(station.log.contains("Binding error " + std::to_string(EADDRINUSE)));
    EXPECT_TRUE(station.log.contains("remote port " + std::to_string(port) +
                                     ": Address already in use; no remote operation until a restart with "
                                     "another TcpPort"));
}

}  // namespace
