#include "platform/platform.h"

#include <sched.h>

#include <filesystem>

#include "platform/sim_shell.h"

namespace platform {

Platform::Platform(RunRoot root, std::unique_ptr<Shell> shell, bool onTarget)
    : root_(std::move(root)), shell_(std::move(shell)), files_(root_, *shell_), onTarget_(onTarget) {}

int Platform::setRealtimePriority(pthread_t thread, int priority) {
    if (!onTarget_) return 0;
    sched_param parameters{};
    parameters.sched_priority = priority;
    return pthread_setschedparam(thread, SCHED_RR, &parameters);
}

std::unique_ptr<Platform> makeTargetPlatform() {
    return std::make_unique<Platform>(RunRoot(), std::make_unique<LinuxShell>(), true);
}

std::unique_ptr<Platform> makeSimPlatform(const std::string& rootDirectory) {
    std::filesystem::path absolute = std::filesystem::absolute(rootDirectory);
    for (const char* folder : {"opt/set", "dev", "mnt", "tmp"})
        std::filesystem::create_directories(absolute / folder);
    RunRoot root(absolute.string());
    return std::make_unique<Platform>(root, std::make_unique<SimShell>(root), false);
}

}  // namespace platform
