#pragma once
// The machine as the system sees it: the run root, the shell, the file store,
// the clock and thread scheduling. One instance is built at start-up, either
// for the target or for the simulated station under a run root.
#include <pthread.h>

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/file_store.h"
#include "platform/framebuffer_device.h"
#include "platform/run_root.h"
#include "platform/shell.h"

namespace platform {

class Platform {
public:
    Platform(RunRoot root, std::unique_ptr<Shell> shell, std::unique_ptr<Clock> clock, bool onTarget);
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    [[nodiscard]] const RunRoot& root() const { return root_; }
    [[nodiscard]] Shell& shell() { return *shell_; }
    [[nodiscard]] FileStore& files() { return files_; }
    [[nodiscard]] Clock& clock() { return *clock_; }

    // SCHED_RR for a device thread; returns pthread_setschedparam's result.
    // The simulated station leaves the host's scheduler alone.
    int setRealtimePriority(pthread_t thread, int priority);
    // On the target SIGINT and SIGTERM keep their default action; the
    // simulated station treats them as the service keyboard's exit key.
    [[nodiscard]] bool terminationSignalsEndRun() const { return !onTarget_; }

    // The display, not yet opened: /dev/fb0 on the target, an 800 x 480 x 32
    // frame in memory in simulation (pictured in /tmp/screen.png).
    std::unique_ptr<FramebufferDevice> openFramebuffer();
    // The file of a background image: name + ".png" in the working directory
    // on the target, /opt/Brisel/<name>.png under the run root in simulation.
    [[nodiscard]] std::string imagePath(const std::string& name) const;

private:
    RunRoot root_;
    std::unique_ptr<Shell> shell_;
    FileStore files_;
    std::unique_ptr<Clock> clock_;
    bool onTarget_;
};

std::unique_ptr<Platform> makeTargetPlatform();
// Creates the run root's folders (/opt/set, /opt/Brisel, /dev, /mnt, /tmp) when missing
// and links the host's fonts and the built background images into it.
std::unique_ptr<Platform> makeSimPlatform(const std::string& rootDirectory, std::unique_ptr<Clock> clock);

}  // namespace platform
