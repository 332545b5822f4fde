#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "remote_client_process.h"
#include "station_process.h"

namespace {

using std::chrono::seconds;
using testing_support::ClientProcess;
using testing_support::StationProcess;

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A station at ten times real speed with this pass phrase, listening on a port of its own.
class RemoteStation {
  public:
    explicit RemoteStation(const std::string& passPhrase)
        : port_(testing_support::freeLoopbackPort()),
          station_({"--time-scale", "10"},
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
    RemoteStation remote("Secret7");
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

    // The guesser's next handshake waits 16 s of station time; another address is served meanwhile.
    auto guesser = remote.client("guess8", {"--from", "127.0.0.1", "--pass", "Guess8", "--count", "1"});
    // Attempts 4 to 8 each waited for their answer.
    ASSERT_TRUE(remote.station().waitFor(
        [&] { return occurrences(remote.station().log(), "handshake of 127.0.0.1 answered in") == 5; },
        seconds(10)));
    std::string out;
    EXPECT_EQ(remote.run("other", {"--from", "127.0.0.2", "--pass", "Secret7", "--count", "3"}, &out), 0)
        << out;
    EXPECT_EQ(guesser->wait(seconds(30)), 1);
    log = remote.station().log();
    const size_t parked = log.rfind("handshake of 127.0.0.1 answered in");
    const size_t otherIn = log.find("Connected by 127.0.0.2");
    const size_t guessed = log.find("8 wrong pass phrases in a row from 127.0.0.1");
    ASSERT_NE(otherIn, std::string::npos) << log;
    ASSERT_NE(guessed, std::string::npos) << log;
    EXPECT_LT(parked, otherIn);
    EXPECT_LT(otherIn, guessed) << "the other address got in while the guesser waited";
    for (int attempt = 1; attempt <= 8; ++attempt)
        EXPECT_EQ(log.find("Guess" + std::to_string(attempt)), std::string::npos);
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
