#include "sim/qor/qor_options.h"

#include "sim/common/emulator_arguments.h"

namespace sim {

std::optional<QorOptions> parseQorOptions(const std::vector<std::string>& arguments, std::string& error) {
    QorOptions options;
    EmulatorArguments known(options.root);
    known.device(options.device)
        .text("--control", options.control)
        .text("--amp-control", options.ampControl)
        .timeScale(options.timeScale);
    if (!known.parse(arguments, error)) return std::nullopt;
    if (options.control.empty()) options.control = options.root + "/run/qor-emulator.sock";
    if (options.ampControl.empty()) options.ampControl = options.root + "/run/amp-emulator.sock";
    return options;
}

}  // namespace sim
