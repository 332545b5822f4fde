#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/station.h"
#include "platform/linux/linux_platform.h"
#include "platform/sim/sim_platform.h"

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
            std::printf("BRISEL version %s\n", app::kSoftwareVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
            root = argv[++i];
            continue;
        }
        return usage();
    }
    std::unique_ptr<platform::Platform> machine =
        root.empty() ? platform::makeTargetPlatform() : platform::makeSimPlatform(root);
    return app::runStation(*machine);
}
