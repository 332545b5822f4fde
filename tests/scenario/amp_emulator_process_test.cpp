// The amplifier emulator as a program: its pseudo-terminal and control socket.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "amp/frame.h"
#include "amp/status_reply.h"
#include "platform/linux/termios_serial_port.h"
#include "sim/common/line_channel.h"
#include "spawn_program.h"

namespace {

using namespace std::chrono_literals;

// Reads from fd until the text ends with `end` or nothing comes for 10 s.
std::string readUntil(int fd, char end) {
    std::string text;
    char byte;
    pollfd watch{fd, POLLIN, 0};
    while ((text.empty() || text.back() != end) && poll(&watch, 1, 10000) == 1 && read(fd, &byte, 1) == 1)
        text += byte;
    return text;
}

TEST(AmpEmulatorProcess, ServesTheStatusPollOnItsPtyAndAnswersTheControlSocket) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "brisel-amp-XXXXXX").string();
    fs::path root = mkdtemp(pattern.data());
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t pid = testing_support::spawnProgram(
        {AMP_EMULATOR_BINARY, "--root", root.string()},
        testing_support::SpawnActions().duplicate(output[1], 1).close(output[0]));
    ASSERT_GT(pid, 0);
    close(output[1]);

    std::string ready = readUntil(output[0], '\n');
    close(output[0]);
    ASSERT_EQ(ready.rfind("amp-emulator ready /dev/pts/", 0), 0u) << ready;
    fs::path link = root / "dev/ttyAMA0";
    EXPECT_EQ(fs::read_symlink(link).string() + "\n",
              ready.substr(std::string("amp-emulator ready ").size()));

    platform::TermiosSerialPort port;
    ASSERT_TRUE(port.open(link.string()));
    ASSERT_TRUE(port.configure({}));
    ASSERT_TRUE(port.writeText(amp::encodeFrame("ST;")));
    std::string frame = readUntil(port.fd(), ';');
    amp::CheckedFrame checked = amp::checkFrame(frame, amp::HexCase::Upper);
    EXPECT_EQ(checked.status, amp::FrameStatus::Good) << frame;
    EXPECT_TRUE(amp::ParseStatusReply(checked.payload).has_value()) << frame;

    {
        // Commands in turn on one connection; an overlong line is refused
        // whole, none of it run, and the next command answered.
        sim::LineChannel control((root / "run/amp-emulator.sock").string());
        EXPECT_EQ(control.ask("state", 10000).text.rfind("ok model=60 ", 0), 0u);
        EXPECT_EQ(control.ask("received", 10000).text, "ok ST;");
        EXPECT_EQ(control.ask("load " + std::string(5000, '9'), 10000).text, "error line too long");
        EXPECT_EQ(control.ask("received", 10000).text, "ok ST;") << "the tail of the long line ran";
    }

    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link goes with the emulator";
    EXPECT_FALSE(fs::exists(root / "run/amp-emulator.sock"));
    fs::remove_all(root);
}

}  // namespace
