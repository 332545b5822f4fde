// The maker's transceiver on its auxiliary serial link: a pseudo-terminal
// that streams parameter blocks and spectrum lines as the radio does and
// takes the controller's commands. Its tune carrier keys the amplifier
// emulator through that emulator's control socket. Its messages can carry
// faults (qor/qor_control.h).
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "sim/amp/emulator_pty.h"
#include "sim/common/control_channel.h"
#include "sim/common/emulator_arguments.h"
#include "sim/common/line_channel.h"
#include "sim/common/stop_signals.h"
#include "sim/qor/qor_control.h"
#include "sim/qor/qor_faults.h"
#include "sim/qor/qor_model.h"
#include "sim/qor/qor_options.h"
#include "sim/qor/qor_stream.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// At 115200 baud the link carries about 11.5 kB a second: a block (37
// bytes) every 100 ms and a line (1200 bytes) every 200 ms fill about 6.
constexpr auto kParameterPeriod = 100ms;
constexpr auto kSpectrumPeriod = 200ms;
// While this much waits for the reader, new messages are skipped: the radio
// does not queue its stream for a reader that does not keep up, and a slow
// reader gets the transmit flag late by this much at most.
constexpr size_t kBacklogBytes = 2048;
constexpr int kAmplifierTimeoutMs = 1000;

// The carrier of the radio on the amplifier's input; without the amplifier
// emulator the radio transmits into nothing, as a real one would.
void keyAmplifier(sim::QorModel& radio, const std::string& ampControl) {
    std::optional<std::string> line = radio.takeAmplifierLine();
    if (!line) return;
    sim::ChannelAnswer answer = sim::askChannel(ampControl, *line, kAmplifierTimeoutMs);
    if (!answer.reached || !answer.text.starts_with("ok"))
        std::fprintf(stderr, "qor-emulator: amplifier emulator, %s: %s\n", line->c_str(),
                     answer.text.c_str());
}

class Stream {
  public:
    // reader: a descriptor of the port's own end, to see what is still unread.
    Stream(int master, int reader, double timeScale)
        : master_(master),
          reader_(reader),
          parameterPeriod_(scaled(kParameterPeriod, timeScale)),
          spectrumPeriod_(scaled(kSpectrumPeriod, timeScale)) {}

    // Queues what is due, each message with its fault, and writes what the port takes.
    void run(sim::QorModel& radio, sim::QorFaults& faults, Clock::time_point now) {
        if (now >= nextParameters_) {
            queue(radio, faults, sim::kQorParameterType, sim::parameterBlock(radio.state()), now);
            nextParameters_ = now + parameterPeriod_;
        }
        if (now >= nextSpectrum_) {
            queue(radio, faults, sim::kQorSpectrumType, sim::spectrumLine(radio.state(), lineNumber_++), now);
            nextSpectrum_ = now + spectrumPeriod_;
        }
        flush();
        radio.readerLag().unread(outgoing_.size() + unreadOnPort(), now);
    }
    // While a message waits for the reader, every millisecond, to time its wait.
    [[nodiscard]] Clock::time_point nextDue(sim::QorModel& radio) const {
        const Clock::time_point due = std::min(nextParameters_, nextSpectrum_);
        return radio.readerLag().waiting() ? std::min(due, Clock::now() + 1ms) : due;
    }
    [[nodiscard]] bool waiting() const { return !outgoing_.empty(); }

  private:
    static Clock::duration scaled(Clock::duration period, double timeScale) {
        return std::chrono::duration_cast<Clock::duration>(period / timeScale);
    }
    [[nodiscard]] size_t unreadOnPort() const {
        int unread = 0;
        if (::ioctl(reader_, FIONREAD, &unread) != 0) unread = 0;
        return static_cast<size_t>(unread);
    }
    void queue(sim::QorModel& radio, sim::QorFaults& faults, uint8_t type, const std::vector<uint8_t>& data,
               Clock::time_point now) {
        if (outgoing_.size() + unreadOnPort() >= kBacklogBytes) return;
        const std::vector<uint8_t> message = faults.transmit(sim::qorMessage(type, data));
        outgoing_.insert(outgoing_.end(), message.begin(), message.end());
        radio.readerLag().sent(message.size(), now);
    }
    void flush() {
        while (!outgoing_.empty()) {
            ssize_t written = ::write(master_, outgoing_.data(), outgoing_.size());
            if (written > 0) {
                outgoing_.erase(outgoing_.begin(), outgoing_.begin() + written);
            } else if (written < 0 && errno == EINTR) {
                continue;
            } else {
                return;
            }
        }
    }

    int master_;
    int reader_;
    Clock::duration parameterPeriod_, spectrumPeriod_;
    Clock::time_point nextParameters_{}, nextSpectrum_{};
    uint32_t lineNumber_ = 0;
    std::vector<uint8_t> outgoing_;
};

void readPort(int master, sim::QorModel& radio) {
    uint8_t buffer[256];
    ssize_t count = ::read(master, buffer, sizeof buffer);
    if (count > 0) radio.receive({buffer, static_cast<size_t>(count)});
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::optional<sim::QorOptions> options;
    if (std::optional<int> end =
            sim::endOnArguments(arguments, "brisel-qor-emulator", sim::kQorUsage, [&](std::string& error) {
                options = sim::parseQorOptions(arguments, error);
                return options.has_value();
            }))
        return *end;
    const int signals = sim::stopSignalDescriptor();

    std::string error;
    sim::PtyLink pty;
    if (!pty.open(options->root + options->device, error)) {
        std::fprintf(stderr, "brisel-qor-emulator: %s\n", error.c_str());
        return 1;
    }
    const int listener = platform::listenForLines(options->control, error);
    if (listener < 0) {
        std::fprintf(stderr, "brisel-qor-emulator: %s\n", error.c_str());
        return 1;
    }
    std::printf("qor-emulator ready %s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    sim::QorModel radio;
    sim::QorFaults faults;
    const int reader = ::open(pty.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (reader < 0) {
        std::fprintf(stderr, "brisel-qor-emulator: %s: %s\n", pty.slavePath().c_str(), std::strerror(errno));
        return 1;
    }
    Stream stream(pty.master(), reader, options->timeScale);
    for (;;) {
        stream.run(radio, faults, Clock::now());
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(stream.nextDue(radio) - Clock::now());
        const auto port = static_cast<short>(POLLIN | (stream.waiting() ? POLLOUT : 0));
        pollfd fds[] = {{pty.master(), port, 0}, {listener, POLLIN, 0}, {signals, POLLIN, 0}};
        if (::poll(fds, 3, static_cast<int>(std::max<int64_t>(wait.count(), 0))) < 0 && errno != EINTR) break;
        if ((fds[2].revents & POLLIN) != 0) break;
        if ((fds[0].revents & POLLIN) != 0) readPort(pty.master(), radio);
        if ((fds[1].revents & POLLIN) != 0)
            sim::answerControlClient(listener, [&radio, &faults](std::string_view line) {
                return sim::runQorCommand(radio, faults, line);
            });
        keyAmplifier(radio, options->ampControl);
    }
    ::close(reader);
    ::close(listener);
    ::unlink(options->control.c_str());
    return 0;
}
