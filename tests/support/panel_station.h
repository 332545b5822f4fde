#pragma once
// The station with the amplifier emulator on its link under one run root,
// operated through the panel channel as a user does, for scenario tests.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "emulator_process.h"
#include "station_process.h"

namespace testing_support {

class PanelStation {
  public:
    // Writes a file under the run root (an absolute path inside the unit)
    // before the station starts.
    void writeFile(const std::string& file, const std::string& text) const {
        std::filesystem::create_directories((root / file.substr(1)).parent_path());
        std::ofstream(root / file.substr(1)) << text;
    }

    // Lays out the sample unit's files as run.sh prepares a new run root.
    [[nodiscard]] bool prepareSampleRoot() const {
        const std::string command = std::string("cd '") + BRISEL_SOURCE_DIR +
                                    "' && bash -c 'source scripts/run-root.sh && prepare_run_root \"$0\"' '" +
                                    root.string() + "'";
        return std::system(command.c_str()) == 0;
    }

    // Starts the station once the emulator answers and waits until its keys
    // are live: the service keyboard starts after the countdown and the menu
    // set-up.
    void start(std::vector<std::string> options = {"--time-scale", "4"}) {
        ASSERT_TRUE(emulator.ready());
        station = std::make_unique<StationProcess>(std::move(options),
                                                   std::vector<std::pair<std::string, std::string>>{}, root);
        ASSERT_TRUE(logged("Keyboard function entered", std::chrono::seconds(60))) << station->log();
    }

    // Ends the station as its exit does (SIGTERM) and starts it again on the
    // same run root, up to its keys.
    void restart(std::vector<std::string> options = {"--time-scale", "4"}) {
        ASSERT_EQ(station->stop(SIGTERM, std::chrono::seconds(30)), 0) << station->log();
        stopped_.push_back(std::move(station));
        start(std::move(options));
    }

    // One short press. The panel channel answers only after the station's key
    // loop has read the key down and up again, so that on a loaded machine no
    // press is missed and the next one does not overtake it.
    void press(int key) const {
        ASSERT_EQ(askSocket(root / "run/panel.sock", "press " + std::to_string(key)), "ok");
    }

    bool logged(const std::string& text, std::chrono::seconds limit) const {
        return station->waitFor([&] { return station->log().find(text) != std::string::npos; }, limit);
    }

    std::filesystem::path root = StationProcess::makeRoot();
    EmulatorProcess emulator{root};
    std::unique_ptr<StationProcess> station;

  private:
    // Each removes the run root when it goes, so they stay until the test ends.
    std::vector<std::unique_ptr<StationProcess>> stopped_;
};

}  // namespace testing_support
