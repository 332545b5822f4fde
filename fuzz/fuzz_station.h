#pragma once
// A station's shared record for the fuzz targets that act on one: the
// simulated platform on the manual clock (pauses cost no time, system actions
// are only recorded) under a run root in a temporary folder, removed when the
// process ends. One per process; each target puts back what one input
// changes that would make the next meaningless.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "config/setup.h"
#include "core/errors.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/works.h"
#include "fuzz_input.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"

namespace fuzzing {

class Station {
  public:
    // name: the target's, in the run root's name.
    explicit Station(const std::string& name)
        : root_(makeRoot(name)),
          machine_(platform::makeSimPlatform(root_.string(), std::make_unique<platform::ManualClock>())) {
        silenceLog();
        works.platform = machine_.get();
        works.setup = &setup;
        works.threads = &threads;
        config::initSetup(works);
        core::InitErrorDescriptors(works);
    }
    ~Station() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    core::SetupRecord setup;
    core::Works works;
    // No thread body is set: nothing an input does starts a thread.
    core::ThreadSet threads;

  private:
    // On the RAM disk where there is one: the station syncs every file it saves.
    static std::filesystem::path makeRoot(const std::string& name) {
        const std::string folder = "brisel-fuzz-" + name + "-" + std::to_string(getpid());
        std::error_code error;
        if (std::filesystem::is_directory("/dev/shm", error))
            return std::filesystem::path("/dev/shm") / folder;
        return std::filesystem::temp_directory_path() / folder;
    }

    std::filesystem::path root_;
    std::unique_ptr<platform::SimPlatform> machine_;
};

}  // namespace fuzzing
