#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "remote_client_process.h"
#include "sim/remote/remote_client.h"
#include "station_process.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing_support::ClientProcess;
using testing_support::occurrences;
using testing_support::StationProcess;

// The station's time, in seconds, stamped on the log line that holds the position.
double stampAt(const std::string& log, size_t position) {
    const size_t line = log.rfind('\n', position);
    return std::atof(log.c_str() + (line == std::string::npos ? 0 : line + 1) + 1);
}

// A station at ten (or so many) times real speed with this pass phrase, listening on a port of its own.
class RemoteStation {
  public:
    explicit RemoteStation(const std::string& passPhrase, int timeScale = 10)
        : port_(testing_support::freeLoopbackPort()),
          station_({"--time-scale", std::to_string(timeScale)},
                   {{"/opt/set/setup.txt", "Passphrase: " + passPhrase +
                                               "\nTcpPort: " + std::to_string(port_) + "\nMAXbank: 3\n"}}) {}

    bool listening() {
        return station_.waitFor(
            [&] {
                return station_.log().find("Listening on port " + std::to_string(port_)) != std::string::npos;
            },
            seconds(30));
    }
    // A client with these arguments after the port.
    std::unique_ptr<ClientProcess> client(const std::string& name, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--port", std::to_string(port_)});
        return std::make_unique<ClientProcess>(station_.path("/"), name, arguments);
    }
    int run(const std::string& name, std::vector<std::string> arguments, std::string* out = nullptr) {
        auto process = client(name, std::move(arguments));
        const int status = process->wait(seconds(30));
        if (out != nullptr) *out = process->out() + process->err();
        return status;
    }
    StationProcess& station() { return station_; }
    [[nodiscard]] int port() const { return port_; }

  private:
    int port_;
    StationProcess station_;
};

TEST(RemoteProcess, LogsInReceivesStatusRecordsAndChangesTheBank) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    std::string out;
    ASSERT_EQ(remote.run("bank", {"--pass", "Secret7", "--count", "30", "--command", "QELTBANK"}, &out), 0)
        << out;
    EXPECT_EQ(occurrences(out, "ST band="), 30u) << out;
    const size_t before = out.find("bank=00");
    const size_t after = out.find("bank=01");
    ASSERT_NE(before, std::string::npos) << out;
    ASSERT_NE(after, std::string::npos) << "the bank changed remotely\n" << out;
    EXPECT_LT(before, after);
    EXPECT_NE(out.find("HB "), std::string::npos) << "the heartbeat is answered";
    EXPECT_NE(remote.station().log().find("ChangeBanco\n"), std::string::npos);
}

TEST(RemoteProcess, AWrongPassPhraseIsRefusedAndTheNextClientGetsInAtOnce) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    std::string out;
    EXPECT_EQ(remote.run("wrong", {"--pass", "Guess42", "--count", "1"}, &out), 1);
    EXPECT_NE(out.find("refused"), std::string::npos) << out;
    EXPECT_EQ(
        remote.run("right", {"--pass", "Secret7", "--count", "3", "--config", "0,0,20000,20000,4"}, &out), 0)
        << out;
    EXPECT_EQ(occurrences(out, "ST band="), 3u) << out;

    const std::string log = remote.station().log();
    EXPECT_NE(log.find("required >********< differ from >********<"), std::string::npos);
    EXPECT_NE(log.find("required >********< equals to >********<"), std::string::npos);
    EXPECT_EQ(log.find("Secret7"), std::string::npos) << "the pass phrase never reaches the log";
    EXPECT_EQ(log.find("Guess42"), std::string::npos) << "nor does a wrong attempt";
}

TEST(RemoteProcess, TheRebootCommandEndsTheSimulatedUnitNotTheHost) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening());
    std::string out;
    // The connection ends with the unit: the client reports it.
    EXPECT_EQ(remote.run("reboot", {"--pass", "Secret7", "--command", "QELTRB"}, &out), 1);
    EXPECT_NE(out.find("connection ended"), std::string::npos) << out;
    // Signal 0 only waits: the station must have ended by itself.
    EXPECT_EQ(remote.station().stop(0, seconds(30)), 0);
    EXPECT_NE(remote.station().log().find("BUFFER Wsocket : QELTRB"), std::string::npos);
}

TEST(RemoteProcess, AnEmptyConfiguredPassPhraseLetsNobodyIn) {
    RemoteStation remote("");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    std::string out;
    for (const char* name : {"first", "second"}) {
        // The handshake is answered, the empty text frame sent, and the connection ends.
        EXPECT_EQ(remote.run(name, {"--pass", "", "--count", "1"}, &out), 1) << name;
        EXPECT_NE(out.find("brisel-remote: refused"), std::string::npos) << out;
        EXPECT_EQ(out.find("ST band="), std::string::npos) << out;
    }
    EXPECT_EQ(occurrences(remote.station().log(), "no pass phrase is set: every remote client is refused"),
              1u);
}

TEST(RemoteProcess, GuessingFromOneAddressIsSlowedWhileAnotherGetsIn) {
    // At four times real speed the guesser's last wait lasts seconds of real time, room enough
    // for the other address to get in under the sanitizers on a busy machine.
    RemoteStation remote("Secret7", 4);
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    // Seven wrong pass phrases: from the third on, each answer waits longer (1, 2, 4, 8 s of station time).
    for (int attempt = 1; attempt <= 7; ++attempt)
        ASSERT_EQ(
            remote.run("guess" + std::to_string(attempt),
                       {"--from", "127.0.0.1", "--pass", "Guess" + std::to_string(attempt), "--count", "1"}),
            1)
            << attempt;
    std::string log = remote.station().log();
    for (const std::string line :
         {"3 wrong pass phrases in a row from 127.0.0.1: its next handshake waits 1 s",
          "4 wrong pass phrases in a row from 127.0.0.1: its next handshake waits 2 s",
          "7 wrong pass phrases in a row from 127.0.0.1: its next handshake waits 16 s"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    const size_t seventh = log.find("7 wrong pass phrases in a row from 127.0.0.1");
    ASSERT_NE(seventh, std::string::npos);

    // The guesser's next handshake waits 16 s of station time; another address is served meanwhile.
    auto guesser = remote.client("guess8", {"--from", "127.0.0.1", "--pass", "Guess8", "--count", "1"});
    ASSERT_TRUE(remote.station().waitFor(
        [&] {
            return remote.station().log().find("handshake of 127.0.0.1 answered in", seventh) !=
                   std::string::npos;
        },
        seconds(30)))
        << remote.station().log();
    std::string out;
    EXPECT_EQ(remote.run("other", {"--from", "127.0.0.2", "--pass", "Secret7", "--count", "3"}, &out), 0)
        << out;
    EXPECT_EQ(guesser->wait(seconds(60)), 1) << guesser->out() << guesser->err();
    log = remote.station().log();
    const size_t parked = log.find("handshake of 127.0.0.1 answered in", seventh);
    const size_t otherIn = log.find("Connected by 127.0.0.2");
    const size_t guessed = log.find("8 wrong pass phrases in a row from 127.0.0.1");
    ASSERT_NE(otherIn, std::string::npos) << log;
    ASSERT_NE(guessed, std::string::npos) << "the parked guess is still judged when answered\n" << log;
    EXPECT_LT(parked, otherIn);
    EXPECT_LT(otherIn, guessed) << "the other address got in while the guesser waited";
    for (int attempt = 1; attempt <= 8; ++attempt)
        EXPECT_EQ(log.find("Guess" + std::to_string(attempt)), std::string::npos);
}

TEST(RemoteProcess, GuessingFromManyAddressesIsLimitedWhileTheRightPassPhraseGetsIn) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    constexpr int kGuesses = 12;
    for (int guess = 0; guess < kGuesses; ++guess) {
        remote_client::Endpoint from;
        from.port = static_cast<uint16_t>(remote.port());
        from.from = "127.0.0." + std::to_string(10 + guess);
        from.connectTimeout = seconds(30);
        remote_client::RemoteClient client;
        ASSERT_EQ(client.connect(from), "") << guess;
        ASSERT_TRUE(client.login("Guess" + std::to_string(guess)));
        while (client.receive(5000)) {
        }
    }
    std::string out;
    EXPECT_EQ(remote.run("right", {"--from", "127.0.0.99", "--pass", "Secret7", "--count", "3"}, &out), 0)
        << out;

    // Five at once, then about one a second of the station's time, whatever the addresses.
    const std::string log = remote.station().log();
    const size_t first = log.find("Connected by 127.0.0.10");
    const size_t last = log.rfind("required >********< differ from >********<");
    ASSERT_NE(first, std::string::npos) << log;
    ASSERT_NE(last, std::string::npos) << log;
    EXPECT_EQ(occurrences(log, "required >********< differ from >********<"), size_t{kGuesses});
    EXPECT_GE(stampAt(log, last) - stampAt(log, first), kGuesses - 6 - 0.01) << log;
    EXPECT_GE(occurrences(log, "wrong pass phrases from any address: next handshake read in"), 1u) << log;
    EXPECT_NE(log.find("required >********< equals to >********<", last), std::string::npos) << log;
}

// A stranger from 127.0.0.1 that sends its opening at once and then the same piece again and
// again, pausing between them, on a thread of its own, until the station lets it go.
class SlowClient {
  public:
    SlowClient(int port, const std::string& opening, std::string piece, milliseconds pause)
        : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        // A full socket buffer must not keep the thread from looking at the stop flag.
        timeval limit{0, 100000};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        send(fd_, opening.data(), opening.size(), MSG_NOSIGNAL);
        thread_ = std::thread([this, piece = std::move(piece), pause] {
            while (!stop_ && !letGo_) {
                const ssize_t sent = send(fd_, piece.data(), piece.size(), MSG_NOSIGNAL);
                char reply[512];
                const ssize_t got = recv(fd_, reply, sizeof reply, MSG_DONTWAIT);
                letGo_ = (sent < 0 && errno != EAGAIN) || got == 0;
                std::this_thread::sleep_for(pause);
            }
        });
    }
    ~SlowClient() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    SlowClient(const SlowClient&) = delete;
    SlowClient& operator=(const SlowClient&) = delete;

    [[nodiscard]] bool letGo() const { return letGo_; }

  private:
    int fd_;
    std::atomic<bool> stop_{false}, letGo_{false};
    std::thread thread_;
};

TEST(RemoteProcess, AClientThatTricklesIsLetGoAndARealLoginFollows) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    const std::string request =
        "GET / HTTP/1.1\r\nHost: a\r\nUpgrade: websocket\r\nConnection: keep-alive, Upgrade\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
        "Sec-WebSocket-Protocol: chat\r\n\r\n";
    struct Case {
        const char* name;
        std::string opening, piece;
    };
    // 50 ms of real time are half a second of the station's.
    for (const Case& test : {
             Case{"a header line every 0.5 s", "GET / HTTP/1.1\r\n", "X-Slow: 1\r\n"},
             // After the handshake, a long frame announcing 1000 bytes, one byte every 0.5 s.
             Case{"a frame byte every 0.5 s", request + std::string("\x82\x7e\x03\xe8SO", 6), "a"},
         }) {
        const size_t before = remote.station().log().size();
        SlowClient slow(remote.port(), test.opening, test.piece, milliseconds(50));
        std::string out;
        EXPECT_EQ(remote.run(
                      "real",
                      {"--from", "127.0.0.2", "--pass", "Secret7", "--count", "3", "--connect-timeout", "30"},
                      &out),
                  0)
            << test.name << "\n"
            << out;
        EXPECT_TRUE(remote.station().waitFor([&] { return slow.letGo(); }, seconds(30))) << test.name;
        const std::string log = remote.station().log().substr(before);
        const size_t ended = log.find("no pass phrase from 127.0.0.1 within 10 s: connection ended");
        const size_t realIn = log.find("Connected by 127.0.0.2");
        ASSERT_NE(ended, std::string::npos) << test.name << "\n" << log;
        EXPECT_LT(ended, realIn) << test.name;
    }
}

TEST(RemoteProcess, AFloodOfRequestLinesLeavesABoundedPrintableLog) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    // Lines of 1 KB (the longest the station reads whole) with every byte but the line feed, as fast as the
    // station takes them.
    std::string line = "X-Flood: ";
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\n') line.push_back(static_cast<char>(byte));
    line.resize(1022, 'f');
    line.push_back('\n');
    std::string flood;
    for (int copy = 0; copy < 16; ++copy) flood += line;
    {
        SlowClient flooder(remote.port(), "GET / HTTP/1.1\r\n", flood, milliseconds(0));
        ASSERT_TRUE(remote.station().waitFor([&] { return flooder.letGo(); }, seconds(30)))
            << "the flooder is let go at the deadline";
    }
    std::string out;
    EXPECT_EQ(remote.run("real", {"--from", "127.0.0.2", "--pass", "Secret7", "--count", "3"}, &out), 0)
        << out;

    const std::string log = remote.station().log();
    const size_t connected = log.find("Connected by 127.0.0.1");
    const size_t ended = log.find("no pass phrase from 127.0.0.1 within 10 s: connection ended");
    ASSERT_NE(connected, std::string::npos) << log;
    ASSERT_NE(ended, std::string::npos) << log.substr(0, 20000);
    const std::string flooded = log.substr(connected, ended - connected);
    EXPECT_LE(flooded.size(), 8192u) << flooded.substr(0, 20000);
    for (const char c : flooded) ASSERT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << static_cast<int>(c);
    // Nothing of the flood is logged after the client was let go.
    EXPECT_EQ(log.find("X-Flood", ended), std::string::npos);
}

TEST(RemoteProcess, TheClientGivesUpConnectingWhileAnotherHoldsTheStation) {
    RemoteStation remote("Secret7");
    ASSERT_TRUE(remote.listening()) << remote.station().log();
    auto holder = remote.client("holder", {"--pass", "Secret7", "--seconds", "30"});
    ASSERT_TRUE(remote.station().waitFor(
        [&] { return remote.station().log().find("Receiving data") != std::string::npos; }, seconds(30)));
    // The first waiters are taken by the listener's queue, the last one's connection is not.
    std::vector<std::unique_ptr<ClientProcess>> waiters;
    for (const char* from : {"127.0.0.2", "127.0.0.3", "127.0.0.4"})
        waiters.push_back(remote.client(std::string("waiter") + from,
                                        {"--from", from, "--pass", "Secret7", "--connect-timeout", "1"}));
    for (auto& waiter : waiters) {
        EXPECT_EQ(waiter->wait(seconds(30)), 1) << waiter->err();
        EXPECT_NE(waiter->err().find("brisel-remote: no answer from the station within 1 s"),
                  std::string::npos)
            << waiter->err();
    }
}

}  // namespace
