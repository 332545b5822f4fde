// The transceiver's CAT port emulator: a pseudo-terminal linked at
// /dev/ttyUSB0 under a run root (or at --link), answering the CAT commands of
// cat_answers.h until SIGINT or SIGTERM.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sim/amp/emulator_pty.h"
#include "sim/cat/cat_answers.h"
#include "sim/common/emulator_arguments.h"
#include "sim/common/stop_signals.h"

namespace {

constexpr const char* kUsage =
    "usage: brisel-cat-emulator --root DIR [--link PATH]\n"
    "  --root DIR   the station's run root; the port appears at DIR/dev/ttyUSB0\n"
    "  --link PATH  the port's path inside the run root instead of /dev/ttyUSB0\n";

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && (errno == EINTR || errno == EAGAIN)) {
            ::usleep(1000);
            continue;
        }
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string root;
    std::string link = "/dev/ttyUSB0";
    if (std::optional<int> end =
            sim::endOnArguments(arguments, "brisel-cat-emulator", kUsage, [&](std::string& error) {
                return sim::EmulatorArguments(root).text("--link", link).parse(arguments, error);
            }))
        return *end;
    const int signals = sim::stopSignalDescriptor();

    sim::PtyLink pty;
    std::string error;
    if (!pty.open(root + link, error)) {
        std::fprintf(stderr, "brisel-cat-emulator: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "brisel-cat-emulator: CAT port at %s%s (%s)\n", root.c_str(), link.c_str(),
                 pty.slavePath().c_str());
    std::printf("cat-emulator ready %s\n", pty.slavePath().c_str());
    std::fflush(stdout);
    sim::TransceiverCat radio;
    std::string command;
    for (;;) {
        pollfd fds[] = {{pty.master(), POLLIN, 0}, {signals, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
        if ((fds[1].revents & POLLIN) != 0) break;
        if ((fds[0].revents & POLLIN) == 0) continue;
        char bytes[256];
        const ssize_t count = ::read(pty.master(), bytes, sizeof bytes);
        if (count <= 0) continue;
        for (ssize_t i = 0; i < count; ++i) {
            command += bytes[i];
            if (bytes[i] != ';') {
                // A command never ended is dropped rather than grown without bound.
                if (command.size() > 64) command.clear();
                continue;
            }
            const std::string answer = sim::answerCat(radio, command);
            command.clear();
            if (!answer.empty() && !writeAll(pty.master(), answer)) return 1;
        }
    }
    return 0;
}
