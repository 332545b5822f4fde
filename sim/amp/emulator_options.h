#pragma once
// The emulator's command line.
#include <optional>
#include <string>
#include <vector>

#include "sim/amp/emulator_settings.h"

namespace sim {

inline constexpr const char* kEmulatorUsage =
    "usage: brisel-amp-emulator --root DIR [--device /dev/ttyAMA0] [--control PATH] [--control-stdin]\n"
    "                           [--model 60|120] [--region eu|usa] [--time-scale X] [--verbose]\n"
    "  --device   the amplifier port as the controller names it; the link is DIR + device\n"
    "  --control  control socket (default DIR/run/amp-emulator.sock)\n"
    "  --control-stdin  also read control commands from standard input\n"
    "  --time-scale  heat-sink time runs X times faster than the clock (default 1)\n"
    "  --verbose  every frame received and sent to standard error\n";

struct EmulatorOptions {
    std::string root;
    std::string device = "/dev/ttyAMA0";
    std::string control;  // filled with the default when not given
    bool controlStdin = false;
    bool verbose = false;
    Identity identity;
    double timeScale = 1.0;

    [[nodiscard]] std::string linkPath() const { return root + device; }
};

// Nothing when the command line is not usable; the reason is in error.
[[nodiscard]] std::optional<EmulatorOptions> parseEmulatorOptions(const std::vector<std::string>& arguments,
                                                                  std::string& error);

}  // namespace sim
