// The amplifier emulator: stands in for the amplifier's microcontroller on a
// pseudo-terminal, so that the controller runs against it unchanged.
#include <cstdio>
#include <string>
#include <vector>

#include "amp/emulator_loop.h"
#include "amp/emulator_options.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(sim::kEmulatorUsage, stdout);
        return 0;
    }
    std::string error;
    std::optional<sim::EmulatorOptions> options = sim::parseEmulatorOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "brisel-amp-emulator: %s\n%s", error.c_str(), sim::kEmulatorUsage);
        return 2;
    }
    return sim::runEmulatorLoop(*options);
}
