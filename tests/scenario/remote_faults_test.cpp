// Faults of the remote connection against the real station on the loopback
// address: clients that drop in the middle of a frame, a thousand that come
// and go, clients that never log in, one that stops reading, and a sweep of
// wrong pass phrases. After each the operator logs in and receives a status
// record, and the station holds as many descriptors and threads as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "emulator_child.h"
#include "process_resources.h"
#include "raw_remote_connection.h"
#include "remote_client_process.h"
#include "sim/remote/remote_client.h"
#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;
using testing_support::occurrences;
using testing_support::ProcessResources;
using testing_support::RawRemoteConnection;
using testing_support::StationProcess;

const std::string kPassPhrase = "Secret7";
// Ten times real speed: the station's deadlines and guessing waits pass quickly.
constexpr int kTimeScale = 10;
// Waits for the station's answers: room for the sanitizers on a busy machine.
constexpr int kAnswerMs = 20000;
constexpr milliseconds kQueueWait{60000};
constexpr seconds kSettle{30};

// The station's time, in seconds, stamped on each log line that holds the words.
std::vector<double> stampsOf(const std::string& log, const std::string& words) {
    std::vector<double> stamps;
    for (size_t at = log.find(words); at != std::string::npos; at = log.find(words, at + 1)) {
        const size_t line = log.rfind('\n', at);
        stamps.push_back(std::atof(log.c_str() + (line == std::string::npos ? 0 : line + 1) + 1));
    }
    return stamps;
}

bool hasOneShotThread(const ProcessResources& resources) {
    for (const std::string& thread : resources.threads)
        for (const char* oneShot : {" LoadThread", " LANInfoThread", " AggFWThread"})
            if (thread.ends_with(oneShot)) return true;
    return false;
}

// The station with its remote server on a port of its own, run until its
// start-up threads have ended and one operator has come and gone, so that
// what it holds then is what it holds while nobody is connected.
class FaultStation {
  public:
    explicit FaultStation(int timeScale = kTimeScale, const std::string& setup = "",
                          fs::path root = StationProcess::makeRoot())
        : port_(testing_support::freeLoopbackPort()),
          station_({"--time-scale", std::to_string(timeScale)},
                   {{"/opt/set/setup.txt",
                     "Passphrase: " + kPassPhrase + "\nTcpPort: " + std::to_string(port_) + "\n" + setup}},
                   std::move(root)) {}

    // Empty when the station listens, lets the operator in and has settled; else why not.
    std::string start() {
        const std::string listening = "Listening on port " + std::to_string(port_);
        if (!station_.waitFor([&] { return station_.log().find(listening) != std::string::npos; },
                              seconds(60)))
            return "the station does not listen:\n" + station_.log();
        if (const std::string refused = operatorGetsStatus("127.0.0.2"); !refused.empty()) return refused;
        const auto deadline = std::chrono::steady_clock::now() + kSettle;
        ProcessResources last = testing_support::resourcesOf(pid());
        auto steadySince = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - steadySince < seconds(1)) {
            if (std::chrono::steady_clock::now() > deadline)
                return "the station does not settle: " + testing_support::describe(last);
            std::this_thread::sleep_for(milliseconds(100));
            ProcessResources now = testing_support::resourcesOf(pid());
            if (!now.sameCounts(last) || hasOneShotThread(now))
                steadySince = std::chrono::steady_clock::now();
            last = std::move(now);
        }
        baseline_ = last;
        return {};
    }

    // The operator from this address, with the right pass phrase: empty once a status record came.
    std::string operatorGetsStatus(const std::string& from) {
        remote_client::Endpoint endpoint;
        endpoint.port = static_cast<uint16_t>(port_);
        endpoint.from = from;
        endpoint.connectTimeout = kQueueWait;
        remote_client::RemoteClient operatorClient;
        if (const std::string failed = operatorClient.connect(endpoint); !failed.empty())
            return "the operator from " + from + " did not connect: " + failed;
        if (!operatorClient.login(kPassPhrase)) return "the operator's pass phrase was not sent";
        while (const std::optional<remote_client::Received> message = operatorClient.receive(kAnswerMs))
            if (message->code == "ST") return {};
        return "the operator from " + from + " got no status record: " +
               remote_client::whySessionEnded(false, operatorClient.closedByStation(), kAnswerMs);
    }

    // Empty when the operator gets in, the station is back to what it held at
    // the start, and no sanitizer has reported on it.
    std::string recovered(const std::string& from = "127.0.0.2") {
        if (std::string refused = operatorGetsStatus(from); !refused.empty()) return refused;
        if (std::string held = testing_support::settledTo(pid(), baseline_, kSettle); !held.empty())
            return held;
        const std::string log = station_.log();
        for (const char* report : {"Sanitizer", "runtime error:"})
            if (const size_t at = log.find(report); at != std::string::npos) return log.substr(at, 4000);
        return {};
    }

    [[nodiscard]] int port() const { return port_; }
    [[nodiscard]] pid_t pid() const { return station_.pid(); }
    [[nodiscard]] std::string log() const { return station_.log(); }
    [[nodiscard]] std::string logTail() const {
        const std::string text = log();
        return text.substr(text.size() - std::min<size_t>(text.size(), 6000));
    }
    StationProcess& station() { return station_; }

    // A connection from this address, waiting for its place in the station's queue.
    [[nodiscard]] std::unique_ptr<RawRemoteConnection> connect(const std::string& from,
                                                               int receiveBuffer = 0) const {
        return std::make_unique<RawRemoteConnection>(port_, from, kQueueWait, receiveBuffer);
    }

  private:
    int port_;
    StationProcess station_;
    ProcessResources baseline_;
};

std::vector<uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> firstOf(std::vector<uint8_t> bytes, size_t count) {
    bytes.resize(count);
    return bytes;
}

TEST(RemoteFaults, AClientDroppingInTheMiddleOfAFrameLeavesNothingBehind) {
    FaultStation station;
    ASSERT_EQ(station.start(), "");
    enum class Stage { Connected, Answered, LoggedIn };
    struct Cut {
        const char* name;
        Stage stage;
        std::vector<uint8_t> bytes;
    };
    const std::string request = RawRemoteConnection::request();
    const std::vector<uint8_t> command = remote::shortFrame("ST", bytesOf("QELTFD8"));
    const std::vector<uint8_t> audio = remote::longFrame("SO", std::vector<uint8_t>(600, 0x11));
    const std::vector<Cut> cuts = {
        {"half a request line", Stage::Connected, bytesOf("GET / HT")},
        {"half the request", Stage::Connected, bytesOf(request.substr(0, request.size() / 2))},
        {"the request but its empty line", Stage::Connected, bytesOf(request.substr(0, request.size() - 2))},
        {"the request, gone before the answer", Stage::Connected, bytesOf(request)},
        {"a frame's first byte", Stage::Answered, {0x81}},
        {"half the pass phrase's header", Stage::Answered, {0x81, 7, 0x5a}},
        {"half the pass phrase", Stage::Answered,
         firstOf(RawRemoteConnection::passPhraseFrame(kPassPhrase), 9)},
        {"half a heartbeat", Stage::Answered, firstOf(RawRemoteConnection::heartbeatFrame(), 7)},
        {"half a long frame's header", Stage::LoggedIn, {0x82, 126, 0x02}},
        {"half a command", Stage::LoggedIn, firstOf(command, command.size() / 2)},
        {"half an audio frame", Stage::LoggedIn, firstOf(audio, audio.size() / 2)},
    };
    for (const Cut& cut : cuts) {
        for (const bool reset : {false, true}) {
            const std::string name = std::string(cut.name) + (reset ? ", then a reset" : ", then the end");
            const std::unique_ptr<RawRemoteConnection> client = station.connect("127.0.0.1");
            ASSERT_TRUE(client->connected()) << name;
            if (cut.stage != Stage::Connected) {
                ASSERT_TRUE(client->handshake(kAnswerMs)) << name;
            }
            if (cut.stage == Stage::LoggedIn) {
                ASSERT_TRUE(client->send(RawRemoteConnection::passPhraseFrame(kPassPhrase))) << name;
                ASSERT_TRUE(client->receiveUntil("ST", kAnswerMs)) << name;
            }
            ASSERT_TRUE(client->send(cut.bytes)) << name;
            reset ? client->reset() : client->close();
            EXPECT_EQ(station.recovered(), "") << name;
        }
    }
    EXPECT_EQ(station.log().find("BUFFER Wsocket : QELTFD"), std::string::npos)
        << "a command cut in half is never carried out";
}

TEST(RemoteFaults, AThousandConnectLoginLeaveCyclesLeaveNothingBehind) {
    FaultStation station;
    ASSERT_EQ(station.start(), "");
    constexpr int kCycles = 1000;
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const std::unique_ptr<RawRemoteConnection> client = station.connect("127.0.0.1");
        ASSERT_TRUE(client->connected()) << cycle;
        ASSERT_TRUE(client->handshake(kAnswerMs)) << cycle;
        ASSERT_TRUE(client->send(RawRemoteConnection::passPhraseFrame(kPassPhrase))) << cycle;
        // Four ways to leave: before the login is judged, after the first status record with
        // the end of the stream, with a reset, and in the middle of a heartbeat.
        const int way = cycle % 4;
        if (way == 0) continue;
        ASSERT_TRUE(client->receiveUntil("ST", kAnswerMs))
            << cycle << (client->ended() ? ": the station ended the connection\n" : ": no status record\n")
            << station.logTail();
        if (way == 2) client->reset();
        if (way == 3) {
            ASSERT_TRUE(client->send(firstOf(RawRemoteConnection::heartbeatFrame(), 5))) << cycle;
        }
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d cycles in %.1f s\n", kCycles, took);
    EXPECT_EQ(station.recovered(), "");
    const std::string log = station.log();
    EXPECT_EQ(occurrences(log, "remote login: 127.0.0.1"), size_t{kCycles});
    EXPECT_EQ(occurrences(log, "remote logout: 127.0.0.1"), size_t{kCycles});
}

TEST(RemoteFaults, AClientThatNeverLogsInIsLetGoAndTheOperatorGetsIn) {
    FaultStation station;
    ASSERT_EQ(station.start(), "");
    struct Stranger {
        const char* name;
        bool handshake;
        std::vector<std::vector<uint8_t>> every200ms;  // sent on and on, its answers read
        // The station's words as it lets the client go: its read time-out, or
        // its deadline when it was held up past it first.
        std::vector<std::string> letGo;
    };
    const std::string deadline = "no pass phrase from 127.0.0.1 within 10 s: connection ended";
    const std::vector<Stranger> strangers = {
        {"silent after connecting", false, {}, {"TCP read error", deadline}},
        {"silent after the handshake", true, {}, {"TCP read Error 2a"}},
        {"heartbeats and no pass phrase", true, {RawRemoteConnection::heartbeatFrame()}, {deadline}},
        {"commands and no pass phrase",
         true,
         {remote::shortFrame("ST", bytesOf("QELTBANK")), remote::shortFrame("CA", bytesOf("FA;")),
          RawRemoteConnection::heartbeatFrame()},
         {deadline}},
    };
    for (const Stranger& test : strangers) {
        const size_t before = station.log().size();
        const std::unique_ptr<RawRemoteConnection> client = station.connect("127.0.0.1");
        ASSERT_TRUE(client->connected()) << test.name;
        if (test.handshake) {
            ASSERT_TRUE(client->handshake(kAnswerMs)) << test.name;
        }
        std::atomic<bool> gone{false}, stop{false};
        std::thread stranger([&] {
            while (!client->ended() && !stop) {
                for (const std::vector<uint8_t>& frame : test.every200ms) client->send(frame);
                const auto next = std::chrono::steady_clock::now() + milliseconds(200);
                while (!client->ended() && std::chrono::steady_clock::now() < next) client->receive(50);
            }
            gone = client->ended();
        });
        // The operator waits in the station's queue meanwhile.
        const std::string operatorIn = station.operatorGetsStatus("127.0.0.2");
        const bool strangerGone =
            station.station().waitFor([&] { return gone.load(); }, seconds(kAnswerMs / 1000));
        stop = true;
        stranger.join();
        EXPECT_EQ(operatorIn, "") << test.name;
        EXPECT_TRUE(strangerGone) << test.name;
        const std::string log = station.log().substr(before);
        size_t letGoAt = std::string::npos;
        for (const std::string& words : test.letGo) letGoAt = std::min(letGoAt, log.find(words));
        const size_t operatorAt = log.find("Connected by 127.0.0.2");
        ASSERT_NE(letGoAt, std::string::npos) << test.name << "\n" << log;
        EXPECT_LT(letGoAt, operatorAt)
            << test.name << ": the operator was served once the stranger was let go";
        EXPECT_EQ(log.find("ChangeBanco"), std::string::npos) << test.name << ": nothing acted before login";
        EXPECT_EQ(station.recovered(), "") << test.name;
    }
}

// The highest resident memory the process has had, in kB.
long peakResidentKb(pid_t pid) {
    const std::string status = testing_support::readAll("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("VmHWM:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

TEST(RemoteFaults, AClientThatStopsReadingIsLetGoAndItsQueueStaysBounded) {
    // The capture thread runs only with the transceiver's CAT port found.
    const fs::path root = StationProcess::makeRoot();
    testing_support::EmulatorChild cat({CAT_EMULATOR_BINARY, "--root", root.string()}, "cat-emulator ready");
    ASSERT_TRUE(cat.ready());
    FaultStation station(4, "AudioCompress: 30000\nEnableRead: 1\nEnableWrite: 1\nEnableCAT: 1\n", root);
    ASSERT_TRUE(station.station().waitFor(
        [&] { return station.log().find("capture audio interface hw:1 opened") != std::string::npos; },
        seconds(60)))
        << station.log();
    ASSERT_EQ(station.start(), "");
    const long peakBefore = peakResidentKb(station.pid());
    // Raw sound (about 800 kB a second at this clock) and status records into a
    // client that reads nothing and offers the station a window of a few kB.
    for (int client = 1; client <= 3; ++client) {
        const size_t before = station.log().size();
        const std::unique_ptr<RawRemoteConnection> silent = station.connect("127.0.0.1", 4096);
        ASSERT_TRUE(silent->connected());
        ASSERT_TRUE(silent->handshake(kAnswerMs));
        std::vector<uint8_t> rawSound = {0, 0};
        for (const uint32_t word : {0u, 0u, 10000u, 10000u, 10u}) remote::putBigEndian32(rawSound, word);
        ASSERT_TRUE(silent->send(RawRemoteConnection::passPhraseFrame(kPassPhrase)));
        ASSERT_TRUE(silent->send(remote::shortFrame("CF", rawSound)));
        // Its heartbeat goes on until the station lets it go.
        const bool letGo = station.station().waitFor(
            [&] {
                silent->send(RawRemoteConnection::heartbeatFrame());
                return station.log().find("TCP closed", before) != std::string::npos;
            },
            seconds(60));
        ASSERT_TRUE(letGo) << station.log().substr(before);
        const std::string episode = station.log().substr(before);
        EXPECT_NE(episode.find("client not reading"), std::string::npos) << episode;
        EXPECT_EQ(station.recovered(), "") << client;
    }
    // Three clients' queues of at most 512 KiB each, had they been kept, and their sockets' buffers.
    const long grown = peakResidentKb(station.pid()) - peakBefore;
    std::printf("peak resident memory grew by %ld kB\n", grown);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(grown, 8 * 1024) << "a queue held more than its bound";
#endif
}

TEST(RemoteFaults, AGuessingSweepIsHeldToTheLimitsAndTheOperatorGetsInAfter) {
    FaultStation station;
    ASSERT_EQ(station.start(), "");
    const size_t before = station.log().size();
    // Eight addresses guess at once, three times each; then one address guesses eight times.
    constexpr int kAddresses = 8, kEach = 3, kOneAddress = 8;
    const auto guess = [&](const std::string& from, const std::string& passPhrase) {
        const std::unique_ptr<RawRemoteConnection> client = station.connect(from);
        if (!client->connected() || !client->handshake(static_cast<int>(kQueueWait.count()))) return false;
        if (!client->send(RawRemoteConnection::passPhraseFrame(passPhrase))) return false;
        while (!client->ended())
            if (!client->receive(kAnswerMs) && !client->ended()) return false;
        return true;
    };
    std::atomic<int> refused{0};
    std::vector<std::thread> sweep;
    for (int address = 0; address < kAddresses; ++address)
        sweep.emplace_back([&, address] {
            for (int attempt = 0; attempt < kEach; ++attempt)
                if (guess("127.0.0." + std::to_string(10 + address), "Guess" + std::to_string(attempt)))
                    ++refused;
        });
    for (std::thread& guesser : sweep) guesser.join();
    for (int attempt = 0; attempt < kOneAddress; ++attempt)
        if (guess("127.0.0.1", "Guess" + std::to_string(attempt))) ++refused;
    EXPECT_EQ(refused, kAddresses * kEach + kOneAddress);

    // Another address gets in at once; the guesser's own once its wait is over, which clears it.
    EXPECT_EQ(station.recovered("127.0.0.2"), "");
    EXPECT_EQ(station.recovered("127.0.0.1"), "");

    const std::string log = station.log().substr(before);
    // Across addresses: five at once, then about one a second of the station's time.
    const std::vector<double> wrong = stampsOf(log, ": wrong pass phrase");
    ASSERT_EQ(wrong.size(), size_t{kAddresses * kEach + kOneAddress}) << log;
    for (size_t k = 5; k < wrong.size(); ++k)
        EXPECT_GE(wrong[k] - wrong[0], static_cast<double>(k - 5) - 0.01) << k << "\n" << log;
    // From one address: from the third wrong one on, each answer waits 1, 2, 4, 8, 16 s more.
    const std::vector<double> one = stampsOf(log, "remote refused 127.0.0.1: wrong pass phrase");
    ASSERT_EQ(one.size(), size_t{kOneAddress}) << log;
    for (size_t k = 3; k < one.size(); ++k)
        EXPECT_GE(one[k] - one[k - 1], static_cast<double>(1 << (k - 3)) - 0.01) << k << "\n" << log;
    const size_t lastWrong = log.rfind("remote refused 127.0.0.1: wrong pass phrase");
    EXPECT_NE(log.find("handshake of 127.0.0.1 answered in", lastWrong), std::string::npos) << log;
    EXPECT_NE(log.find("remote login: 127.0.0.1", lastWrong), std::string::npos) << log;
    for (int attempt = 0; attempt < kOneAddress; ++attempt)
        EXPECT_EQ(log.find("Guess" + std::to_string(attempt)), std::string::npos)
            << "no guess reaches the log";
}

}  // namespace
