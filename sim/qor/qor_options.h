#pragma once
// The transceiver emulator's command line.
#include <optional>
#include <string>
#include <vector>

namespace sim {

inline constexpr const char* kQorUsage =
    "usage: brisel-qor-emulator --root DIR [--device /dev/QELTSER] [--control PATH] [--amp-control PATH]\n"
    "                           [--time-scale X]\n"
    "  --device       the auxiliary port as the controller names it; the link is DIR + device\n"
    "  --control      control socket (default DIR/run/qor-emulator.sock)\n"
    "  --amp-control  the amplifier emulator's control socket, keyed by the radio's carrier\n"
    "                 (default DIR/run/amp-emulator.sock)\n"
    "  --time-scale   the stream runs X times faster than the clock (default 1)\n";

struct QorOptions {
    std::string root;
    std::string device = "/dev/QELTSER";
    std::string control;     // filled with the default when not given
    std::string ampControl;  // likewise
    double timeScale = 1.0;
};

// Nothing when the command line is not usable; the reason is in error.
[[nodiscard]] std::optional<QorOptions> parseQorOptions(const std::vector<std::string>& arguments,
                                                        std::string& error);

}  // namespace sim
