// The FT-817 emulator: a transceiver's CAT port on a pseudo-terminal, so that
// the controller's CAT poller, or any CAT client, runs against it unchanged;
// its replies can carry faults (ft817/ft817_control.h).
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sim/amp/delayed_output.h"
#include "sim/amp/emulator_pty.h"
#include "sim/common/control_channel.h"
#include "sim/common/emulator_arguments.h"
#include "sim/common/stop_signals.h"
#include "sim/ft817/ft817_control.h"
#include "sim/ft817/ft817_faults.h"
#include "sim/ft817/ft817_model.h"

namespace {

constexpr const char* kUsage =
    "usage: brisel-ft817-emulator --root DIR [--device /dev/QELT817] [--control PATH]\n"
    "  --device   the CAT port as the controller names it; the link is DIR + device\n"
    "  --control  control socket (default DIR/run/ft817-emulator.sock)\n";

struct Options {
    std::string root, device = "/dev/QELT817", control;
};

using Clock = sim::DelayedOutput::Clock;

// The radio's replies to what the port brought, each with its fault, held until due.
void readPort(int master, sim::Ft817Model& radio, sim::Ft817Faults& faults, sim::DelayedOutput& output) {
    uint8_t buffer[256];
    ssize_t count = ::read(master, buffer, sizeof buffer);
    if (count <= 0) return;
    for (const std::vector<uint8_t>& reply : radio.receive({buffer, buffer + count}))
        output.add(Clock::now(), faults.transmit(reply));
}

void writePort(int master, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(master, bytes.data() + done, bytes.size() - done);
        if (written > 0)
            done += static_cast<size_t>(written);
        else if (errno != EAGAIN && errno != EINTR)
            return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    Options options;
    if (std::optional<int> end =
            sim::endOnArguments(arguments, "brisel-ft817-emulator", kUsage, [&](std::string& error) {
                sim::EmulatorArguments known(options.root);
                known.device(options.device).text("--control", options.control);
                return known.parse(arguments, error);
            }))
        return *end;
    if (options.control.empty()) options.control = options.root + "/run/ft817-emulator.sock";
    const int signals = sim::stopSignalDescriptor();

    sim::PtyLink pty;
    std::string error;
    if (!pty.open(options.root + options.device, error)) {
        std::fprintf(stderr, "brisel-ft817-emulator: %s\n", error.c_str());
        return 1;
    }
    const int listener = platform::listenForLines(options.control, error);
    if (listener < 0) {
        std::fprintf(stderr, "brisel-ft817-emulator: %s\n", error.c_str());
        return 1;
    }
    std::printf("ft817-emulator ready %s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    sim::Ft817Model radio;
    sim::Ft817Faults faults;
    sim::DelayedOutput output;
    for (;;) {
        pollfd fds[] = {{pty.master(), POLLIN, 0}, {listener, POLLIN, 0}, {signals, POLLIN, 0}};
        if (::poll(fds, 3, output.pollTimeoutMs(Clock::now())) < 0 && errno != EINTR) break;
        if ((fds[2].revents & POLLIN) != 0) break;
        if ((fds[0].revents & POLLIN) != 0) readPort(pty.master(), radio, faults, output);
        writePort(pty.master(), output.takeDue(Clock::now()));
        if ((fds[1].revents & POLLIN) != 0)
            sim::answerControlClient(listener, [&radio, &faults](std::string_view line) {
                return sim::runFt817Command(radio, faults, line);
            });
    }
    ::close(listener);
    ::unlink(options.control.c_str());
    return 0;
}
