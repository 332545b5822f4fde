#include "station_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace {

using testing_support::readAll;
using testing_support::StationProcess;
namespace fs = std::filesystem;

// Each text must follow the one before it in the log.
void expectInOrder(const std::string& log, const std::vector<std::string>& texts) {
    size_t position = 0;
    for (const auto& text : texts) {
        size_t found = log.find(text, position);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << text << "\n" << log;
        position = found + text.size();
    }
}

TEST(StationProcess, StartsUnderARunRootCreatesTheSetupAndStopsCleanly) {
    // The start-up countdown and the closing pause need not take real seconds here.
    StationProcess station({"--time-scale", "10"});
    ASSERT_TRUE(station.waitFor([&] { return fs::exists(station.path("/opt/set/setup.txt")); },
                                std::chrono::seconds(10)));
    ASSERT_TRUE(station.waitFor([&] { return station.log().find("Loading ... 0") != std::string::npos; },
                                std::chrono::seconds(30)));
    EXPECT_EQ(station.stop(SIGTERM, std::chrono::seconds(30)), 0);

    std::string log = station.log();
    expectInOrder(log, {"START Main ----", "BRISEL version 01.027\n", "Init CRT ... \n", "Init Setup! ",
                        "can't open /opt/set/setup.txt", "ModeWorkIdx 1 \n", "Time Loading ...10..\n",
                        "Time Loading ... 5..\n", "Time Loading ... 0..\n", "Close..\n",
                        "Communicator operations end", "Communicator joined Linear end", "Closed!\n"});
    std::string setup = readAll(station.path("/opt/set/setup.txt"));
    EXPECT_EQ(std::count(setup.begin(), setup.end(), '\n'), 75);
    EXPECT_NE(log.find("Unable to open device /dev/ttyAMA0"), std::string::npos)
        << "no amplifier is attached";
}

// One line to a Unix socket and its one-line answer.
std::string askSocket(const fs::path& path, const std::string& command) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    std::string line = command + "\n", answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
        char byte;
        while (read(fd, &byte, 1) == 1 && byte != '\n') answer.push_back(byte);
    }
    close(fd);
    return answer;
}

TEST(StationProcess, ThePanelChannelAnswersAndPhotographsTheScreen) {
    StationProcess station({"--time-scale", "10"});
    const fs::path socket = station.path("/run/panel.sock");
    ASSERT_TRUE(station.waitFor([&] { return fs::is_socket(socket); }, std::chrono::seconds(10)));
    EXPECT_EQ(askSocket(socket, "press 2"), "ok");
    const fs::path shot = station.path("/shot.png");
    EXPECT_EQ(askSocket(socket, "screenshot " + shot.string()), "ok");
    EXPECT_EQ(readAll(shot).substr(0, 4), "\x89PNG");
    EXPECT_EQ(station.stop(SIGTERM, std::chrono::seconds(30)), 0);
    EXPECT_FALSE(fs::exists(socket));
}

TEST(StationProcess, PrintsItsVersionAndUsage) {
    struct Case {
        std::string arguments, firstLine;
    };
    for (const Case& test :
         {Case{"--version", "BRISEL version 01.027\n"},
          Case{"--help", "usage: brisel [--root DIR [--time-scale X]] [--version] [--help]\n"}}) {
        FILE* pipe = popen((std::string(BRISEL_BINARY) + " " + test.arguments).c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[128] = {};
        ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
        EXPECT_EQ(pclose(pipe), 0) << test.arguments;
        EXPECT_EQ(line, test.firstLine);
    }
}

}  // namespace
