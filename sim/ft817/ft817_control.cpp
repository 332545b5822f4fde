#include "ft817/ft817_control.h"

#include <charconv>

namespace sim {

std::string runFt817Command(Ft817Model& radio, std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line == "state") return "ok " + radio.state();
    if (line.starts_with("freq ")) {
        std::string_view value = line.substr(5);
        int64_t hertz = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), hertz);
        if (error != std::errc{} || end != value.data() + value.size() || hertz <= 0 ||
            hertz >= 1'000'000'000)
            return "error frequency";
        radio.setFrequency(hertz);
        return "ok frequency " + std::to_string(radio.frequency());
    }
    return "error unknown command";
}

}  // namespace sim
