#include "remote/connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/client_writer.h"
#include "remote/frame_reader.h"
#include "remote/handshake.h"
#include "remote/message_dispatch.h"
#include "remote/pass_phrase.h"
#include "remote/playback_ring.h"
#include "remote/remote_page.h"

namespace remote {
namespace {

using std::chrono::milliseconds;

constexpr int kEintrRetries = 10;

bool pastDeadline(core::Works& works, const Client& client) {
    return works.platform->clock().now() > client.passPhraseDue;
}

void logPastDeadline(const Client& client) {
    platform::logError("no pass phrase from %s within %d s: connection ended", client.addressText.c_str(),
                       static_cast<int>(kPassPhraseDeadline.count()));
    platform::event("remote refused %s: no pass phrase within %d s", client.addressText.c_str(),
                    static_cast<int>(kPassPhraseDeadline.count()));
}

enum class LineRead { Line, Ended, Failed, PastDeadline };

// One line of at most 1023 characters, up to and with its line feed; read a
// byte at a time so that nothing after the request is taken from the socket.
LineRead readLine(core::Works& works, const Client& client, std::string& line) {
    platform::Clock& clock = works.platform->clock();
    line.clear();
    int interrupted = 0;
    const auto start = clock.now();
    while (line.size() < kLineCapacity - 1) {
        if (pastDeadline(works, client)) return LineRead::PastDeadline;
        char byte;
        const ssize_t got = ::recv(client.fd, &byte, 1, 0);
        if (got == 1) {
            line.push_back(byte);
            if (byte == '\n') return LineRead::Line;
            continue;
        }
        if (got == 0) return line.empty() ? LineRead::Ended : LineRead::Line;
        const int error = errno;
        if (error == EINTR && ++interrupted <= kEintrRetries) {
            clock.sleepFor(milliseconds(10));
            continue;
        }
        if (!line.empty()) return LineRead::Line;
        const double took = std::chrono::duration<double, std::milli>(clock.now() - start).count();
        platform::logError("TCP read error %d", error);
        platform::logError("time= %f mSec rc=%d errno=%d\n", took, static_cast<int>(got), error);
        std::printf("TCP read error 1b %d\n", error);
        std::fflush(stdout);
        return LineRead::Failed;
    }
    return LineRead::Line;
}

bool sendReply(int fd, const std::array<std::string, 5>& reply) {
    bool sent = true;
    for (size_t i = 0; i < reply.size(); ++i) {
        const std::string& line = reply[i];
        const ssize_t written = ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        const int error = written < 0 ? errno : 0;
        const size_t shown = line.find('\r');
        platform::logInfo("%.*s", static_cast<int>(shown), line.c_str());
        if (i != 3) platform::logInfo("sent %d bytes error %d", static_cast<int>(written), error);
        sent = sent && written == static_cast<ssize_t>(line.size());
    }
    return sent;
}

// The remote page or the word that there is nothing else, whole or not at
// all: a client that stops reading is let go at the socket's send time-out.
void answerPlainRequest(const Client& client, bool page) {
    const std::string reply = page ? pageReply(remotePage()) : notFoundReply();
    size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t written = ::send(client.fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (written <= 0) {
            platform::logError("answer to %s cut after %d bytes, error %d", client.addressText.c_str(),
                               static_cast<int>(sent), written < 0 ? errno : 0);
            return;
        }
        sent += static_cast<size_t>(written);
    }
    platform::logInfo(page ? "remote page sent to %s" : "nothing but the remote page for %s",
                      client.addressText.c_str());
}

// Frames from the client; an interrupted read is retried up to 11 times.
// While the pass phrase is awaited no read starts after the client's deadline,
// so that a frame sent a byte at a time cannot outlast it.
ReadBytes socketReader(core::Works& works, const Client& client, const int& isFirst, bool& late) {
    return [&works, &client, &isFirst, &late](uint8_t* into, size_t count) -> ssize_t {
        for (int interrupted = 0;;) {
            if (isFirst == 1 && pastDeadline(works, client)) {
                late = true;
                errno = ETIMEDOUT;
                return -1;
            }
            const ssize_t got = ::recv(client.fd, into, count, 0);
            if (got >= 0 || errno != EINTR) return got;
            platform::logError("TCP read Error 1b %d", errno);
            if (++interrupted > kEintrRetries) {
                platform::logError("TCP read Error 1b count exceeded %d", interrupted);
                return -1;
            }
            works.platform->clock().sleepFor(milliseconds(10));
        }
    };
}

Login framePhase(core::Works& works, const Client& client) {
    int isFirst = 1;
    bool late = false;
    const ReadBytes read = socketReader(works, client, isFirst, late);
    DroppedNotes notes;
    Frame frame;
    platform::Clock& clock = works.platform->clock();
    while (works.running != 0 && readFrame(read, frame) == FrameRead::Complete) {
        const Message message = messageOf(frame);
        if (message.form == MessageForm::Text && isFirst == 1) {
            isFirst = 2;
            if (!checkPassPhrase(works.Passphrase.get(), unmaskedText(frame))) return Login::Refused;
            restartRing(works);
            works.clientMasks = frame.masked ? 1 : 0;
            works.clientFrames.admit();
            works.wsActive = 1;
            clock.sleepFor(milliseconds(1));
            platform::logInfo("Receiving data");
            platform::event("remote login: %s", client.addressText.c_str());
            continue;
        }
        if (works.wsActive == 0) {
            if (message.form != MessageForm::Text) dispatchBeforePassPhrase(works, frame, notes);
            continue;
        }
        if (dispatchMessage(works, frame, notes) == Dispatch::EndConnection) break;
    }
    if (late) logPastDeadline(client);
    return isFirst == 1 ? Login::Absent : Login::Accepted;
}

}  // namespace

std::optional<std::string> readHandshake(core::Works& works, const Client& client) {
    HeaderPhase header;
    std::string line;
    while (!header.complete()) {
        if (works.running == 0) return std::nullopt;
        works.platform->clock().sleepFor(milliseconds(10));
        switch (readLine(works, client, line)) {
            case LineRead::Failed:
                works.platform->clock().sleepWhileRunning(std::chrono::seconds(1), works.running);
                return std::nullopt;
            case LineRead::PastDeadline:
                logPastDeadline(client);
                return std::nullopt;
            case LineRead::Ended:
                platform::logError("TCP closed by %s during the handshake", client.addressText.c_str());
                return std::nullopt;
            case LineRead::Line:
                break;
        }
        if (header.take(line) == HeaderPhase::Line::KeyTooLong) {
            platform::logError("key line of %d bytes refused", static_cast<int>(line.size()));
            return std::nullopt;
        }
        if (header.plainRequestEnded()) {
            answerPlainRequest(client, header.pageAsked());
            return std::nullopt;
        }
    }
    return header.key();
}

bool answerHandshake(const Client& client, const std::string& key) {
    return sendReply(client.fd, handshakeReply(key));
}

Login serveClient(core::Works& works, const Client& client) {
    works.clientMasks = 0;
    auto writer = std::make_unique<ClientWriter>(works, client.fd);
    const Login login = framePhase(works, client);
    platform::logInfo("TCP exiting");
    works.wsActive = 0;
    writer.reset();
    platform::logInfo("TCP closed");
    return login;
}

}  // namespace remote
