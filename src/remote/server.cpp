#include "remote/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/connection.h"
#include "remote/frame_writers.h"
#include "remote/guess_delay.h"
#include "remote/guess_limit.h"

namespace remote {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// How long accept waits before the run flag and the waiting clients are looked at again.
constexpr int kAcceptPollMs = 50;
// Clients whose answer waits after wrong pass phrases; the oldest is dropped beyond this.
constexpr size_t kWaitingClients = 4;

// The port is held in 16 bits with a sign; ports above 32767 are its negative values.
int listenPort(core::Works& works) {
    return static_cast<uint16_t>(works.TcpPort.load());
}

int openListener(core::Works& works) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        platform::logError("Socket open error %d", errno);
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(works.platform->remoteServerAddress());
    address.sin_port = htons(static_cast<uint16_t>(listenPort(works)));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        platform::logError("Binding error %d", error);
        // The number alone does not tell a person which port, or that another station may hold it.
        platform::logError("remote port %d: %s; no remote operation until a restart with another TcpPort",
                           listenPort(works), std::strerror(error));
        ::close(fd);
        return -1;
    }
    if (::listen(fd, 1) != 0) {
        platform::logError("Listening error %d", errno);
        ::close(fd);
        return -1;
    }
    platform::logInfo("Listening on port %d", listenPort(works));
    return fd;
}

void closeClient(int fd) {
    if (::close(fd) != 0) platform::logError("TCP close Error");
}

void logWrongPassPhrase(const Client& client, seconds wait) {
    if (wait.count() == 0)
        platform::event("remote refused %s: wrong pass phrase", client.addressText.c_str());
    else
        platform::event(
            "remote refused %s: wrong pass phrase; its next handshake waits %lld s (guessing delay)",
            client.addressText.c_str(), static_cast<long long>(wait.count()));
}

struct WaitingClient {
    Client client;
    std::string key;
    GuessDelay::TimePoint answerAt;
    GuessDelay::TimePoint since;
};

class Server {
  public:
    Server(core::Works& works, int listener)
        : works_(works), clock_(works.platform->clock()), listener_(listener) {}
    ~Server() {
        for (const WaitingClient& waiting : waiting_) closeClient(waiting.client.fd);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // False when accept failed: the thread ends.
    bool turn() {
        works_.wsActive = 0;
        if (answerWaitingClient()) return true;
        pollfd ready{listener_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kAcceptPollMs);
        if (polled < 0 && errno != EINTR) {
            platform::logError("Accept-ing error %d", errno);
            return false;
        }
        if (polled <= 0) return true;
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        const int fd = ::accept(listener_, reinterpret_cast<sockaddr*>(&peer), &size);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) return true;
            platform::logError("Accept-ing error %d", errno);
            return false;
        }
        timeval timeout{0, 900000};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        timeval sendLimit{0, 500000};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        Client client{fd, ntohl(peer.sin_addr.s_addr), text, clock_.now() + kPassPhraseDeadline};
        platform::logInfo("Connected by %s", text);
        std::optional<std::string> key = readHandshake(works_, client);
        if (!key) {
            closeClient(fd);
            return true;
        }
        const auto now = clock_.now();
        const auto answerAt = guesses_.answerAt(client.address, now);
        if (answerAt > now) {
            wait(WaitingClient{client, *key, answerAt, now});
            return true;
        }
        serve(client, *key);
        return true;
    }

  private:
    // A client of an address that guessed wrong waits for its answer, in place of any
    // earlier one of that address; others are served meanwhile.
    void wait(WaitingClient waiting) {
        const auto same = std::find_if(waiting_.begin(), waiting_.end(), [&](const WaitingClient& other) {
            return other.client.address == waiting.client.address;
        });
        if (same != waiting_.end())
            refuseWaiting(same, "a newer connection from it waits out the guessing delay");
        if (waiting_.size() >= kWaitingClients)
            refuseWaiting(waiting_.begin(), "more clients wait out the guessing delay than are kept");
        const auto left = std::chrono::duration_cast<milliseconds>(waiting.answerAt - clock_.now());
        platform::logInfo("handshake of %s answered in %lld ms", waiting.client.addressText.c_str(),
                          static_cast<long long>(left.count()));
        waiting_.push_back(std::move(waiting));
    }

    void refuseWaiting(std::vector<WaitingClient>::iterator waiting, const char* why) {
        platform::event("remote refused %s: %s", waiting->client.addressText.c_str(), why);
        closeClient(waiting->client.fd);
        waiting_.erase(waiting);
    }

    bool answerWaitingClient() {
        const auto now = clock_.now();
        const auto due = std::find_if(waiting_.begin(), waiting_.end(),
                                      [&](const WaitingClient& waiting) { return waiting.answerAt <= now; });
        if (due == waiting_.end()) return false;
        WaitingClient waiting = *due;
        waiting_.erase(due);
        // Its time to send the pass phrase runs only while it is served.
        waiting.client.passPhraseDue += now - waiting.since;
        serve(waiting.client, waiting.key);
        return true;
    }

    void serve(const Client& client, const std::string& key) {
        if (!answerHandshake(client, key)) {
            closeClient(client.fd);
            return;
        }
        if (works_.Passphrase.get().empty()) {
            if (!refusalLogged_) {
                platform::logError("no pass phrase is set: every remote client is refused");
                platform::event("remote refused %s: no pass phrase is set (told once until one is)",
                                client.addressText.c_str());
            }
            refusalLogged_ = true;
            closeClient(client.fd);
            return;
        }
        refusalLogged_ = false;
        const Login login = serveClient(works_, client);
        closeClient(client.fd);
        if (login == Login::Accepted) {
            guesses_.succeeded(client.address);
            platform::event("remote logout: %s", client.addressText.c_str());
        }
        if (login != Login::Refused) return;
        const seconds wait = guesses_.failed(client.address, clock_.now());
        if (wait.count() > 0)
            platform::logError("%d wrong pass phrases in a row from %s: its next handshake waits %lld s",
                               guesses_.failures(client.address), client.addressText.c_str(),
                               static_cast<long long>(wait.count()));
        logWrongPassPhrase(client, wait);
        limitGuessing();
    }

    // Wrong pass phrases from all addresses together: beyond the limit no
    // handshake is read until the last one fits, so a sweep of addresses
    // guesses no faster than that. Only wrong ones count, once judged: a right
    // pass phrase is always judged and let in, at most one hold after others'.
    void limitGuessing() {
        const auto now = clock_.now();
        const auto next = limit_.failed(now);
        if (next <= now) return;
        const auto wait = std::chrono::duration_cast<milliseconds>(next - now);
        platform::logError("wrong pass phrases from any address: next handshake read in %lld ms",
                           static_cast<long long>(wait.count()));
        clock_.sleepWhileRunning(next - now, works_.running);
    }

    core::Works& works_;
    platform::Clock& clock_;
    int listener_;
    GuessDelay guesses_;
    GuessLimit limit_;
    std::vector<WaitingClient> waiting_;
    bool refusalLogged_ = false;
};

}  // namespace

void Wsocket(core::Works& works) {
    platform::logInfo("Wsocket on port %d mode %c", listenPort(works), works.setup->WebSocket.load());
    std::printf("wsocket\n");
    std::fflush(stdout);
    works.platform->clock().sleepWhileRunning(seconds(2), works.running);
    const int listener = openListener(works);
    if (listener < 0) return;
    {
        Server server(works, listener);
        while (works.running != 0 && server.turn()) {
        }
    }
    works.wsActive = 0;
    ::close(listener);
}

}  // namespace remote
