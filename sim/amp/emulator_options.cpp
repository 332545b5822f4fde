#include "sim/amp/emulator_options.h"

#include "sim/common/emulator_arguments.h"

namespace sim {

std::optional<EmulatorOptions> parseEmulatorOptions(const std::vector<std::string>& arguments,
                                                    std::string& error) {
    EmulatorOptions options;
    EmulatorArguments known(options.root);
    known.device(options.device)
        .text("--control", options.control)
        .flag("--control-stdin", options.controlStdin)
        .flag("--verbose", options.verbose)
        .timeScale(options.timeScale)
        .checked("--model",
                 [&options](const std::string& value) {
                     if (value != "60" && value != "120") return false;
                     options.identity.ratedWatts = value == "60" ? 60 : 120;
                     return true;
                 })
        .checked("--region", [&options](const std::string& value) {
            if (value != "eu" && value != "usa") return false;
            options.identity.usaRegion = value == "usa";
            return true;
        });
    if (!known.parse(arguments, error)) return std::nullopt;
    if (options.control.empty()) options.control = options.root + "/run/amp-emulator.sock";
    return options;
}

}  // namespace sim
