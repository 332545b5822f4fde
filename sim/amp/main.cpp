// The amplifier emulator: stands in for the amplifier's microcontroller on a
// pseudo-terminal, so that the controller runs against it unchanged.
#include <optional>
#include <string>
#include <vector>

#include "sim/amp/emulator_loop.h"
#include "sim/amp/emulator_options.h"
#include "sim/common/emulator_arguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::optional<sim::EmulatorOptions> options;
    if (std::optional<int> end = sim::endOnArguments(
            arguments, "brisel-amp-emulator", sim::kEmulatorUsage, [&](std::string& error) {
                options = sim::parseEmulatorOptions(arguments, error);
                return options.has_value();
            }))
        return *end;
    return sim::runEmulatorLoop(*options);
}
