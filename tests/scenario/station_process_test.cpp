#include "station_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using testing_support::askSocket;
using testing_support::readAll;
using testing_support::StationProcess;

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
    expectInOrder(
        log, {"START Main ----", "BRISEL version 01.027\n", "Init CRT ... \n", "Init Setup! ",
              "can't open /opt/set/setup.txt", "ModeWorkIdx 1 \n", "Time Loading ...10..\n",
              "Time Loading ... 5..\n", "Time Loading ... 0..\n", "Close..\n", "Communicator operations end",
              "Communicator joined Key end", "Communicator joined Linear end", "Closed!\n"});
    std::string setup = readAll(station.path("/opt/set/setup.txt"));
    EXPECT_EQ(std::count(setup.begin(), setup.end(), '\n'), 75);
    EXPECT_NE(log.find("Unable to open device /dev/ttyAMA0"), std::string::npos)
        << "no amplifier is attached";
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

TEST(StationProcess, F12OnTheServiceKeyboardEndsTheStation) {
    StationProcess station({"--time-scale", "10"});
    ASSERT_TRUE(
        station.waitFor([&] { return station.log().find("Continuous keyboard loop") != std::string::npos; },
                        std::chrono::seconds(30)));
    const int keyboard = open(station.path("/dev/input/by-id/sim-event-kbd").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(keyboard, 0);
    input_event press{};
    press.type = EV_KEY;
    press.code = KEY_F12;
    press.value = 1;
    EXPECT_EQ(write(keyboard, &press, sizeof press), static_cast<ssize_t>(sizeof press));
    close(keyboard);
    // Signal 0 sends nothing: the station is to end by itself.
    EXPECT_EQ(station.stop(0, std::chrono::seconds(30)), 0);
    expectInOrder(station.log(),
                  {"Exited by KEY_F12", "Close..\n", "Communicator joined Key end", "Closed!\n"});
}

TEST(StationProcess, PrintsItsVersionAndUsage) {
    struct Case {
        std::string arguments, firstLine;
    };
    for (const Case& test :
         {Case{"--version", "BRISEL version 01.027\n"},
          Case{"--help", "usage: brisel [--root DIR [--time-scale X]] [--version] [--help]\n"}}) {
        const std::string command =
            std::string(BRISEL_PROGRAM_EMULATOR) + " " + BRISEL_BINARY + " " + test.arguments;
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[128] = {};
        ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
        EXPECT_EQ(pclose(pipe), 0) << test.arguments;
        EXPECT_EQ(line, test.firstLine);
    }
}

}  // namespace
