#include "sim/common/line_channel.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/sim/line_socket.h"

namespace {

namespace fs = std::filesystem;

// A channel served by a thread that takes one client and does `script` with it.
class ScriptedChannel {
  public:
    explicit ScriptedChannel(std::function<void(int client)> script)
        : folder_(fs::temp_directory_path() / ("brisel-channel-" + std::to_string(::getpid()))),
          path_((folder_ / "test.sock").string()) {
        std::string error;
        listener_ = platform::listenForLines(path_, error);
        EXPECT_GE(listener_, 0) << error;
        server_ = std::thread([this, script = std::move(script)] {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 10000) <= 0) return;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            script(client);
            ::close(client);
        });
    }
    ~ScriptedChannel() {
        server_.join();
        ::close(listener_);
        fs::remove_all(folder_);
    }
    [[nodiscard]] const std::string& path() const { return path_; }

    static std::string readLine(int client) {
        std::string line;
        char byte;
        while (::read(client, &byte, 1) == 1 && byte != '\n') line.push_back(byte);
        return line;
    }
    static void send(int client, const std::string& text) {
        ::send(client, text.data(), text.size(), MSG_NOSIGNAL);
    }
    // Until the client closes its end.
    static void awaitClose(int client) {
        char byte;
        while (::read(client, &byte, 1) == 1) {
        }
    }

  private:
    fs::path folder_;
    std::string path_;
    int listener_ = -1;
    std::thread server_;
};

TEST(LineChannel, ReadsTheAnswerLineAsItComesInPieces) {
    ScriptedChannel channel([](int client) {
        if (ScriptedChannel::readLine(client) != "state") return;
        ScriptedChannel::send(client, "ok mo");
        ScriptedChannel::send(client, "del=60\n");
    });
    const sim::ChannelAnswer answer = sim::askChannel(channel.path(), "state", 10000);
    EXPECT_TRUE(answer.reached);
    EXPECT_EQ(answer.text, "ok model=60");
}

TEST(LineChannel, AsksInTurnOnOneConnectionKeepingAnAnswerThatCameEarly) {
    ScriptedChannel channel([](int client) {
        ScriptedChannel::readLine(client);
        ScriptedChannel::send(client, "one\ntwo\n");
        ScriptedChannel::awaitClose(client);
    });
    sim::LineChannel connection(channel.path());
    EXPECT_EQ(connection.ask("first", 10000).text, "one");
    const sim::ChannelAnswer second = connection.ask("second", 10000);
    EXPECT_TRUE(second.reached);
    EXPECT_EQ(second.text, "two");
}

TEST(LineChannel, AnAnswerCutByTheServerClosingIsNoAnswer) {
    ScriptedChannel channel([](int client) {
        ScriptedChannel::readLine(client);
        ScriptedChannel::send(client, "ok half");
    });
    const sim::ChannelAnswer answer = sim::askChannel(channel.path(), "state", 10000);
    EXPECT_FALSE(answer.reached);
    EXPECT_EQ(answer.text, channel.path() + ": closed without an answer");
}

TEST(LineChannel, AServerThatNeverAnswersIsGivenUpAfterTheTimeOut) {
    ScriptedChannel channel(ScriptedChannel::awaitClose);
    const sim::ChannelAnswer answer = sim::askChannel(channel.path(), "state", 30);
    EXPECT_FALSE(answer.reached);
    EXPECT_EQ(answer.text, channel.path() + ": no answer within 30 ms");
}

TEST(LineChannel, NoSocketIsNoAnswerWithItsReason) {
    const sim::ChannelAnswer answer = sim::askChannel("/nonexistent/brisel.sock", "state", 1000);
    EXPECT_FALSE(answer.reached);
    EXPECT_EQ(answer.text, "/nonexistent/brisel.sock: No such file or directory");
}

}  // namespace
