#include "platform/sim/line_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::LineCutter;
using namespace std::chrono_literals;

// A server end and a client end, the client's bytes written before the server runs.
class Connection {
  public:
    Connection() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends_), 0); }
    ~Connection() { ::close(ends_[1]); }
    void send(const std::string& bytes) {
        ASSERT_EQ(::write(ends_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void endSending() { ::shutdown(ends_[1], SHUT_WR); }
    // Serves the server end (and closes it), answering "A:" and the line.
    void serve(const platform::LineLimits& limits) {
        std::atomic<bool> stop{false};
        platform::serveLines(
            ends_[0], limits,
            [this](std::string_view line) {
                run.emplace_back(line);
                return "A:" + std::string(line);
            },
            stop);
    }
    // Everything the server sent until it closed.
    std::string received() {
        std::string all;
        char buffer[256];
        for (ssize_t count; (count = ::read(ends_[1], buffer, sizeof buffer)) > 0;)
            all.append(buffer, static_cast<size_t>(count));
        return all;
    }
    std::vector<std::string> run;

  private:
    int ends_[2] = {-1, -1};
};

TEST(LineSocket, AnswersEveryWholeLineWholeAndRunsNoLineCutByThePeer) {
    Connection client;
    client.send("press 1\nhold 2 300\r\nhal");
    client.endSending();
    client.serve({64, 5s});
    EXPECT_EQ(client.received(), "A:press 1\nA:hold 2 300\r\n");
    EXPECT_EQ(client.run, (std::vector<std::string>{"press 1", "hold 2 300\r"})) << "\"hal\" was cut";
}

TEST(LineSocket, AnOverlongLineIsRefusedAndItsClientLetGo) {
    Connection client;
    client.send("12345678\n123456789\nstate\n");
    client.serve({8, 5s});
    EXPECT_EQ(client.received(), "A:12345678\nerror line too long\n");
    EXPECT_EQ(client.run, std::vector<std::string>{"12345678"});
}

TEST(LineSocket, AClientThatSendsNothingIsLetGoAfterTheWait) {
    Connection client;
    client.serve({64, 20ms});
    EXPECT_EQ(client.received(), "") << "closed, so the read ended";
}

TEST(LineSocket, AOneLineClientGetsOneAnswer) {
    Connection client;
    client.send("state\nreceived\n");
    client.serve({64, 5s, true});
    EXPECT_EQ(client.received(), "A:state\n");
}

TEST(LineSocket, TheCutterDropsAnOverlongLineToItsEndAndGoesOn) {
    LineCutter cutter(4);
    std::string line;
    cutter.add("abcde");
    EXPECT_EQ(cutter.next(line), LineCutter::Cut::Overlong) << "known before its end comes";
    cutter.add("fgh");
    EXPECT_EQ(cutter.next(line), LineCutter::Cut::None) << "the tail of the long line is no command";
    cutter.add("ij\nok\nabcdef\nlast");
    EXPECT_EQ(cutter.next(line), LineCutter::Cut::Line);
    EXPECT_EQ(line, "ok");
    EXPECT_EQ(cutter.next(line), LineCutter::Cut::Overlong);
    EXPECT_EQ(cutter.next(line), LineCutter::Cut::None);
    cutter.add("\n");
    EXPECT_EQ(cutter.next(line), LineCutter::Cut::Line);
    EXPECT_EQ(line, "last");
}

TEST(LineSocket, ListensInItsFolderReplacingAnOldSocketOnly) {
    const fs::path folder = fs::temp_directory_path() / ("brisel-line-" + std::to_string(::getpid()));
    const std::string path = (folder / "run/test.sock").string();
    std::string error;
    int first = platform::listenForLines(path, error);
    ASSERT_GE(first, 0) << error;
    ::close(first);
    int second = platform::listenForLines(path, error);
    EXPECT_GE(second, 0) << "a socket left by an earlier run is replaced: " << error;
    ::close(second);

    const std::string file = (folder / "run/notes.txt").string();
    std::ofstream(file) << "keep";
    EXPECT_EQ(platform::listenForLines(file, error), -1);
    EXPECT_EQ(error, file + " exists and is not a socket");
    EXPECT_EQ(platform::listenForLines(std::string(200, 'x'), error), -1);
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    fs::remove_all(folder);
}

}  // namespace
