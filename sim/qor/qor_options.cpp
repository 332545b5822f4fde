#include "qor/qor_options.h"

#include "platform/sim/scaled_clock.h"

namespace sim {

std::optional<QorOptions> parseQorOptions(const std::vector<std::string>& arguments, std::string& error) {
    QorOptions options;
    for (size_t i = 0; i < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[i + 1];
        if (name == "--root") {
            options.root = value;
        } else if (name == "--device") {
            options.device = value;
        } else if (name == "--control") {
            options.control = value;
        } else if (name == "--amp-control") {
            options.ampControl = value;
        } else if (name == "--time-scale") {
            const std::optional<double> scale = platform::parseTimeScale(value);
            if (!scale) {
                error = "--time-scale needs a number above 0";
                return std::nullopt;
            }
            options.timeScale = *scale;
        } else {
            error = "unknown argument " + name;
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
    if (options.control.empty()) options.control = options.root + "/run/qor-emulator.sock";
    if (options.ampControl.empty()) options.ampControl = options.root + "/run/amp-emulator.sock";
    return options;
}

}  // namespace sim
