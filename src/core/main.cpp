#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/station.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/sim/scaled_clock.h"
#include "platform/sim_shell.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: brisel [--root DIR] [--version]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string root;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("BRISEL version %s\n", core::kSoftwareVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
            root = argv[++i];
            continue;
        }
        return usage();
    }
    if (root.empty()) return core::runStation(*platform::makeTargetPlatform());
    // The simulated station keeps the host's system log clean.
    platform::setLogSink(&platform::stderrSink());
    auto machine = platform::makeSimPlatform(root, std::make_unique<platform::ScaledClock>(1.0));
    // The board's temperature program, as the simulated station's board reports it.
    static_cast<platform::SimShell&>(machine->shell()).setProgramOutput("my_temp", "45.0\ntemp=44.5'C\n");
    return core::runStation(*machine);
}
