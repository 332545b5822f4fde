#include "sim/ft817/ft817_control.h"

#include <charconv>
#include <span>
#include <vector>

#include "sim/common/control_channel.h"

namespace sim {
namespace {

constexpr const char* kHelp = "ok freq HZ | fault stray|late|drop|garbage [n] | fault none | state | help";

std::string frequency(Ft817Model& radio, std::string_view value) {
    int64_t hertz = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), hertz);
    if (error != std::errc{} || end != value.data() + value.size() || hertz <= 0 || hertz >= 1'000'000'000)
        return "error frequency";
    radio.setFrequency(hertz);
    return "ok frequency " + std::to_string(radio.frequency());
}

}  // namespace

std::string runFt817Command(Ft817Model& radio, Ft817Faults& faults, std::string_view line) {
    const std::vector<std::string_view> args = controlWords(line);
    if (args.empty()) return "error unknown command (try help)";
    if (args[0] == "help" && args.size() == 1) return kHelp;
    if (args[0] == "state" && args.size() == 1)
        return "ok " + radio.state() + " fault " + faults.name() + " fault_left " +
               std::to_string(faults.remaining());
    if (args[0] == "freq" && args.size() == 2) return frequency(radio, args[1]);
    if (args[0] == "fault") return faults.command(std::span(args).subspan(1));
    return "error unknown command (try help)";
}

}  // namespace sim
