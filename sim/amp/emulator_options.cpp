#include "amp/emulator_options.h"

#include <cstdlib>
#include <set>

#include "platform/sim/scaled_clock.h"

namespace sim {
namespace {

const std::set<std::string> kValued = {"--root",  "--device", "--control",
                                       "--model", "--region", "--time-scale"};

}  // namespace

std::optional<EmulatorOptions> parseEmulatorOptions(const std::vector<std::string>& arguments,
                                                    std::string& error) {
    EmulatorOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--control-stdin") {
            options.controlStdin = true;
            continue;
        }
        if (name == "--verbose") {
            options.verbose = true;
            continue;
        }
        if (!kValued.contains(name)) {
            error = "unknown argument " + name;
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (name == "--root") {
            options.root = value;
        } else if (name == "--device") {
            options.device = value;
        } else if (name == "--control") {
            options.control = value;
        } else if (name == "--model" && (value == "60" || value == "120")) {
            options.identity.ratedWatts = std::atoi(value.c_str());
        } else if (name == "--region" && (value == "eu" || value == "usa")) {
            options.identity.usaRegion = value == "usa";
        } else if (name == "--time-scale") {
            const std::optional<double> scale = platform::parseTimeScale(value);
            if (!scale) {
                error = "--time-scale needs a number above 0";
                return std::nullopt;
            }
            options.timeScale = *scale;
        } else {
            error = "bad argument " + name + " " + value;
            return std::nullopt;
        }
    }
    if (options.root.empty()) {
        error = "--root is required";
        return std::nullopt;
    }
    if (options.device.empty() || options.device[0] != '/') {
        error = "--device must be an absolute path";
        return std::nullopt;
    }
    if (options.control.empty()) options.control = options.root + "/run/amp-emulator.sock";
    return options;
}

}  // namespace sim
