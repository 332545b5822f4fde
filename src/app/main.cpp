#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/station.h"
#include "platform/linux/linux_platform.h"
#include "platform/sim/panel_control.h"
#include "platform/sim/scaled_clock.h"
#include "platform/sim/sim_platform.h"

namespace app {
namespace {

constexpr const char* kUsage = "usage: brisel [--root DIR [--time-scale X]] [--version] [--help]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace
}  // namespace app

int main(int argc, char** argv) {
    std::string root;
    double timeScale = 1.0;
    bool timeScaleGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(app::kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("BRISEL version %s\n", app::kSoftwareVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
            root = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--time-scale") == 0 && i + 1 < argc) {
            const std::optional<double> scale = platform::parseTimeScale(argv[++i]);
            if (!scale) return app::usage();
            timeScale = *scale;
            timeScaleGiven = true;
            continue;
        }
        return app::usage();
    }
    // Only the simulated station's clock can run faster than real time.
    if (root.empty() && timeScaleGiven) return app::usage();
    if (root.empty()) return app::runStation(*platform::makeTargetPlatform());
    std::unique_ptr<platform::SimPlatform> machine =
        platform::makeSimPlatform(root, std::make_unique<platform::ScaledClock>(timeScale));
    platform::PanelControl panel(*machine, machine->root().resolve("/run/panel.sock"));
    return app::runStation(*machine);
}
