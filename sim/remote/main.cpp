// brisel-remote: a remote operator's client for the station, on the command line.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sim/remote/client_audio.h"
#include "sim/remote/remote_client.h"

namespace {

constexpr const char* kUsage =
    "usage: brisel-remote [--host ADDR] [--port N] [--from ADDR] [--connect-timeout S] --pass TEXT\n"
    "                     [--count N] [--seconds S]\n"
    "                     [--command TEXT]... [--config BITRATE,CODING,CAPTURE_US,PLAYBACK_US,CHUNKS]\n"
    "                     [--cat TEXT]... [--audio-out FILE.wav] [--audio-in FILE.wav]\n"
    "Audio is Opus both ways unless --config sets a bit rate (to the client) or a coding (from it) of 0.\n"
    "The station serves one client at a time: --connect-timeout (default 10 s) bounds the wait for it.\n";

// Status records come every tick once the pass phrase is taken, heartbeat
// answers every 300 ms even before: this long without anything, the station is gone or stuck.
constexpr int kQuietLimitMs = 2000;
// The pass phrase travels in one short text frame.
constexpr size_t kLongestPassPhrase = 125;

struct Options {
    remote_client::Endpoint endpoint;
    std::string passPhrase;
    bool passGiven = false;
    int count = 0;       // status records to print before leaving; 0 = no limit
    double seconds = 0;  // time to stay; 0 = no limit
    std::vector<std::string> commands;
    std::vector<int32_t> config;
    std::vector<std::string> catTexts;
    std::string audioOut, audioIn;

    [[nodiscard]] bool opusToClient() const { return config.size() != 5 || config[0] != 0; }
    [[nodiscard]] bool opusFromClient() const { return config.size() != 5 || config[1] != 0; }
    // The station's playback chunk: 10 ms unless configured.
    [[nodiscard]] int sendChunkFrames() const { return config.size() == 5 ? config[3] * 48 / 1000 : 480; }
};

// Five comma-separated numbers.
bool parseConfig(const std::string& text, std::vector<int32_t>& values) {
    const char* at = text.c_str();
    while (*at != '\0') {
        char* end = nullptr;
        values.push_back(static_cast<int32_t>(std::strtol(at, &end, 10)));
        if (end == at || (*end != '\0' && *end != ',')) return false;
        at = *end == ',' ? end + 1 : end;
    }
    return values.size() == 5;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (name == "--host") {
            options.endpoint.host = value;
        } else if (name == "--port") {
            options.endpoint.port = static_cast<uint16_t>(std::atoi(value.c_str()));
        } else if (name == "--from") {
            options.endpoint.from = value;
        } else if (name == "--connect-timeout") {
            const double seconds = std::atof(value.c_str());
            if (!(seconds > 0 && seconds <= 3600)) return false;
            options.endpoint.connectTimeout =
                std::chrono::milliseconds(static_cast<int64_t>(std::ceil(seconds * 1000)));
        } else if (name == "--pass") {
            options.passPhrase = value;
            options.passGiven = true;
        } else if (name == "--count") {
            options.count = std::atoi(value.c_str());
        } else if (name == "--seconds") {
            options.seconds = std::atof(value.c_str());
        } else if (name == "--command") {
            options.commands.push_back(value);
        } else if (name == "--cat") {
            options.catTexts.push_back(value);
        } else if (name == "--audio-out") {
            options.audioOut = value;
        } else if (name == "--audio-in") {
            options.audioIn = value;
        } else if (name == "--config") {
            if (!parseConfig(value, options.config)) return false;
        } else {
            return false;
        }
    }
    return options.passGiven;
}

void print(const remote_client::Received& message) {
    if (message.code == "ST") {
        std::printf("%s\n", remote_client::describeStatus(message.data).c_str());
    } else if (message.code == "CF" || message.code == "HB") {
        std::printf("%s", message.code.c_str());
        for (uint8_t byte : message.data) std::printf(" %02x", byte);
        std::printf("\n");
    } else if (message.code == "CA" || message.code == "PA") {
        std::printf("%s %.*s\n", message.code.c_str(), static_cast<int>(message.data.size()),
                    reinterpret_cast<const char*>(message.data.data()));
    } else if (message.code != "SO") {
        std::printf("%s %zu bytes\n", message.code.c_str(), message.data.size());
    }
    std::fflush(stdout);
}

// The operator's audio, one chunk per chunk duration, on a thread of its own.
void sendAudio(remote_client::RemoteClient& client, remote_client::AudioSender& sender,
               const std::atomic<bool>& stop) {
    const auto chunk = std::chrono::microseconds(sender.chunkFrames() * 1000000LL / 48000);
    auto due = std::chrono::steady_clock::now();
    int chunks = 0;
    for (std::vector<uint8_t> data = sender.next(); !data.empty() && !stop; data = sender.next()) {
        if (!client.sendBinary("SO", data)) break;
        ++chunks;
        due += chunk;
        std::this_thread::sleep_until(due);
    }
    std::fprintf(stderr, "brisel-remote: %d audio chunks sent\n", chunks);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    remote_client::AudioReceiver receiver;
    if (!options.audioOut.empty() && !receiver.open(options.audioOut, options.opusToClient())) {
        std::fprintf(stderr, "brisel-remote: cannot write %s\n", options.audioOut.c_str());
        return 1;
    }
    remote_client::AudioSender sender;
    if (std::string error;
        !options.audioIn.empty() &&
        !sender.open(options.audioIn, options.sendChunkFrames(), options.opusFromClient(), error)) {
        std::fprintf(stderr, "brisel-remote: %s\n", error.c_str());
        return 1;
    }
    remote_client::RemoteClient client;
    std::atomic<bool> stopAudio{false};
    std::thread audio;
    // Every way out of main stops the sending first.
    struct StopAudio {
        std::atomic<bool>& stop;
        std::thread& thread;
        ~StopAudio() {
            stop = true;
            if (thread.joinable()) thread.join();
        }
    } stopAudioOnExit{stopAudio, audio};
    if (const std::string failure = client.connect(options.endpoint); !failure.empty()) {
        std::fprintf(stderr, "brisel-remote: %s\n", failure.c_str());
        return 1;
    }
    if (options.passPhrase.size() > kLongestPassPhrase) {
        std::fprintf(stderr, "brisel-remote: a pass phrase has at most %zu bytes\n", kLongestPassPhrase);
        return 1;
    }
    if (!client.login(options.passPhrase)) {
        // The station already closed the connection: it refuses at once when it has no pass phrase.
        std::fprintf(stderr, "brisel-remote: %s\n", remote_client::whySessionEnded(false, true, 0).c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    int records = 0;
    bool commandsSent = false;
    while (options.seconds <= 0 ||
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
               options.seconds) {
        const std::optional<remote_client::Received> message = client.receive(kQuietLimitMs);
        if (!message) {
            std::fprintf(
                stderr, "brisel-remote: %s\n",
                remote_client::whySessionEnded(records > 0, client.closedByStation(), kQuietLimitMs).c_str());
            return 1;
        }
        print(*message);
        if (message->code == "SO" && !options.audioOut.empty() && !receiver.add(message->data))
            std::fprintf(stderr, "brisel-remote: an audio chunk did not decode\n");
        if (message->code != "ST") continue;
        ++records;
        if (!commandsSent) {
            // The first status record shows the login was accepted.
            for (const std::string& command : options.commands) client.sendCommand(command);
            if (options.config.size() == 5)
                client.sendAudioConfig(options.config[0], options.config[1], options.config[2],
                                       options.config[3], options.config[4]);
            for (const std::string& text : options.catTexts) client.sendCat(text);
            if (!options.audioIn.empty()) audio = std::thread([&] { sendAudio(client, sender, stopAudio); });
            commandsSent = true;
        }
        if (options.count > 0 && records >= options.count) break;
    }
    if (!options.audioOut.empty())
        std::fprintf(stderr, "brisel-remote: %zu audio frames received\n", receiver.frames());
    return 0;
}
