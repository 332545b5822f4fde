#include "sim/amp/emulator_loop.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <list>

#include "amp/frame.h"
#include "platform/log.h"
#include "platform/sim/line_socket.h"
#include "sim/amp/delayed_output.h"
#include "sim/amp/emulator.h"
#include "sim/amp/emulator_control.h"
#include "sim/amp/emulator_pty.h"
#include "sim/common/stop_signals.h"

namespace sim {

namespace {

using Clock = Emulator::Clock;

// More than this waiting for the port means nobody reads it.
constexpr size_t kPortBacklog = 64 * 1024;
constexpr size_t kControlLineMax = 4096;

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    [[nodiscard]] int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

// A connection to the control channel: bytes in until a line end, replies out.
struct Client {
    Fd fd;
    platform::LineCutter in{kControlLineMax};
    std::string out;
    bool closing = false;
    explicit Client(int descriptor) : fd(descriptor) {}
};

// The control socket's path, removed with the emulator.
class ControlSocket {
  public:
    ~ControlSocket() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    [[nodiscard]] bool open(const std::string& path, std::string& error) {
        fd_.reset(platform::listenForLines(path, error));
        if (fd_.get() < 0) return false;
        path_ = path;
        return true;
    }
    [[nodiscard]] int fd() const { return fd_.get(); }

  private:
    Fd fd_;
    std::string path_;
};

class Loop {
  public:
    Loop(const EmulatorOptions& options, PtyLink& pty, int signals, int listener)
        : options_(options),
          pty_(pty),
          signals_(signals),
          listener_(listener),
          stdinOpen_(options.controlStdin),
          emulator_(options.identity, options.timeScale, Clock::now()) {}

    void run() {
        while (!stopping_) {
            std::vector<pollfd> fds = watched();
            if (::poll(fds.data(), fds.size(), timeoutMs()) < 0 && errno != EINTR) {
                platform::trace("amp-emulator: poll: %s\n", std::strerror(errno));
                return;
            }
            sendDue();
            serve(fds);
        }
    }

  private:
    std::vector<pollfd> watched() {
        std::vector<pollfd> fds = {
            {signals_, POLLIN, 0},
            {pty_.master(), static_cast<short>(POLLIN | (portOut_.empty() ? 0 : POLLOUT)), 0},
            {listener_, POLLIN, 0},
            {stdinOpen_ ? STDIN_FILENO : -1, POLLIN, 0}};
        for (const Client& client : clients_)
            fds.push_back(
                {client.fd.get(), static_cast<short>(POLLIN | (client.out.empty() ? 0 : POLLOUT)), 0});
        return fds;
    }

    int timeoutMs() const { return scheduled_.pollTimeoutMs(Clock::now()); }

    void serve(const std::vector<pollfd>& fds) {
        if (fds[0].revents & POLLIN) stopping_ = true;
        if (fds[1].revents & POLLIN) readPort();
        if (fds[1].revents & POLLOUT) flushPort();
        if (fds[2].revents & POLLIN) accept();
        if (fds[3].revents & (POLLIN | POLLHUP)) readStdin();
        auto client = clients_.begin();
        for (size_t i = 4; i < fds.size() && client != clients_.end(); ++i, ++client) {
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) readClient(*client);
            if (fds[i].revents & POLLOUT) writeClient(*client);
        }
        clients_.remove_if([](const Client& c) { return c.closing; });
    }

    void readPort() {
        char bytes[512];
        ssize_t count = ::read(pty_.master(), bytes, sizeof bytes);
        for (ssize_t i = 0; i < count; ++i) {
            amp::FrameAssembler::Result result = assembler_.push(bytes[i]);
            if (result == amp::FrameAssembler::Result::Overflow) {
                platform::trace("amp-emulator: %zu bytes without \";\" dropped\n",
                                amp::FrameAssembler::kCapacity);
            } else if (result == amp::FrameAssembler::Result::Complete) {
                std::string frame(assembler_.frame());
                assembler_.clear();
                if (options_.verbose) platform::trace("amp-emulator << %s\n", printable(frame).c_str());
                Clock::time_point now = Clock::now();
                scheduled_.add(now, emulator_.onFrame(frame, now));
            }
        }
        sendDue();
    }

    void sendDue() {
        const std::string due = scheduled_.takeDue(Clock::now());
        if (!due.empty() && options_.verbose) platform::trace("amp-emulator >> %s\n", printable(due).c_str());
        portOut_ += due;
        if (portOut_.size() > kPortBacklog) {
            platform::trace("amp-emulator: %zu bytes for the port discarded, nobody reads it\n",
                            portOut_.size());
            portOut_.clear();
        }
        flushPort();
    }

    void flushPort() {
        while (!portOut_.empty()) {
            ssize_t written = ::write(pty_.master(), portOut_.data(), portOut_.size());
            if (written <= 0) return;
            portOut_.erase(0, static_cast<size_t>(written));
        }
    }

    void accept() {
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) clients_.emplace_back(fd);
    }

    // Every complete line of `in` answered into `out`.
    void answerLines(platform::LineCutter& in, std::string& out) {
        std::string line;
        for (platform::LineCutter::Cut cut; (cut = in.next(line)) != platform::LineCutter::Cut::None;) {
            out += cut == platform::LineCutter::Cut::Line ? runControlCommand(emulator_, line, Clock::now())
                                                          : std::string(platform::kLineTooLong);
            out += "\n";
        }
    }

    void readClient(Client& client) {
        char bytes[1024];
        ssize_t count = ::recv(client.fd.get(), bytes, sizeof bytes, 0);
        if (count <= 0) {
            if (count == 0 || (errno != EAGAIN && errno != EINTR)) client.closing = true;
            return;
        }
        client.in.add({bytes, static_cast<size_t>(count)});
        answerLines(client.in, client.out);
        writeClient(client);
    }

    void writeClient(Client& client) {
        while (!client.out.empty()) {
            ssize_t sent = ::send(client.fd.get(), client.out.data(), client.out.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EINTR) client.closing = true;
            if (sent <= 0) return;
            client.out.erase(0, static_cast<size_t>(sent));
        }
    }

    void readStdin() {
        char bytes[1024];
        ssize_t count = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (count <= 0) {
            if (count == 0 || errno != EINTR) stdinOpen_ = false;
            return;
        }
        stdinLine_.add({bytes, static_cast<size_t>(count)});
        std::string replies;
        answerLines(stdinLine_, replies);
        std::fputs(replies.c_str(), stdout);
        std::fflush(stdout);
    }

    const EmulatorOptions& options_;
    PtyLink& pty_;
    int signals_;
    int listener_;
    bool stdinOpen_;
    bool stopping_ = false;
    Emulator emulator_;
    amp::FrameAssembler assembler_;
    DelayedOutput scheduled_;
    std::string portOut_;
    std::list<Client> clients_;
    platform::LineCutter stdinLine_{kControlLineMax};
};

}  // namespace

int runEmulatorLoop(const EmulatorOptions& options) {
    Fd signals(stopSignalDescriptor());

    std::string error;
    PtyLink pty;
    ControlSocket control;
    if (signals.get() < 0) error = std::string("signalfd: ") + std::strerror(errno);
    if (error.empty() && pty.open(options.linkPath(), error) && control.open(options.control, error)) {
        std::printf("amp-emulator ready %s\n", pty.slavePath().c_str());
        std::fflush(stdout);
        Loop(options, pty, signals.get(), control.fd()).run();
        return 0;
    }
    platform::trace("amp-emulator: %s\n", error.c_str());
    return 1;
}

}  // namespace sim
