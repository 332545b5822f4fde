#pragma once
// The remote operator's side of the station's WebSocket dialect: the
// handshake (with "Connection: keep-alive, Upgrade"), the pass phrase as a
// masked text frame, binary messages with a 2-character code, and the
// heartbeat that keeps the connection inside the station's 0.9 s time-out.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace remote_client {

struct Endpoint {
    std::string host = "127.0.0.1";
    uint16_t port = 6666;
    std::string from;  // the local address to connect from; empty: any
    // Connecting and the handshake's reply together: while another client
    // holds the station, which serves one at a time, nothing answers.
    std::chrono::milliseconds connectTimeout{10000};
};

struct Received {
    std::string code;           // "ST", "HB", "CF", "CA", "PA", "SP", "SO"
    std::vector<uint8_t> data;  // after the code
};

class RemoteClient {
  public:
    RemoteClient() = default;
    RemoteClient(const RemoteClient&) = delete;
    RemoteClient& operator=(const RemoteClient&) = delete;
    ~RemoteClient();

    // Connects and completes the handshake (the accept value is checked)
    // within the endpoint's time-out; an empty text, else what went wrong.
    std::string connect(const Endpoint& endpoint);
    // The pass phrase as the first text frame, with a mask key; then the
    // heartbeat every 300 ms until close.
    bool login(const std::string& passPhrase);
    bool sendCommand(const std::string& text);  // an "ST" command such as "QELTBANK"
    bool sendCat(const std::string& text);      // "CA"
    // "CF": bit rate to the client, coding of audio from the client, capture
    // and playback chunk durations in microseconds, jitter depth in chunks.
    bool sendAudioConfig(int32_t txBitrate, int32_t rxCoding, int32_t captureMicroseconds,
                         int32_t playbackMicroseconds, int32_t bufferChunks);
    bool sendBinary(const std::string& code, std::span<const uint8_t> data);
    bool sendRaw(std::span<const uint8_t> bytes);
    // The next message, or nothing when the connection ended or nothing came within timeoutMs.
    std::optional<Received> receive(int timeoutMs);
    // After a receive that gave nothing: true when the station had closed the
    // connection, false when it only sent nothing in time.
    [[nodiscard]] bool closedByStation() const { return closed_; }
    void close();

  private:
    bool readExactly(uint8_t* into, size_t count, int timeoutMs);
    void heartbeat();

    int fd_ = -1;
    bool closed_ = false;
    std::mutex writeMutex_;
    std::atomic<bool> beating_{false};
    std::thread heartbeat_;
};

// A binary message as the client sends it: "SO" and "SP" in the long form
// whatever their length, the others in the short form while they fit.
[[nodiscard]] std::vector<uint8_t> messageFrame(const std::string& code, std::span<const uint8_t> data);

// Why a session ended, as far as the client can tell: before any status
// record (`loggedIn` false) a connection closed right after the pass phrase
// is a refusal; silence is only silence.
[[nodiscard]] std::string whySessionEnded(bool loggedIn, bool closedByStation, int waitedMs);

// The status record as one line: "ST band=20m  mode=0 att=0 ant=0 bypass=0 tuner=T tune=0 swr=001.00 ..."
[[nodiscard]] std::string describeStatus(std::span<const uint8_t> record);

}  // namespace remote_client
