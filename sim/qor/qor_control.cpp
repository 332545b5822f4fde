#include "sim/qor/qor_control.h"

#include <charconv>
#include <span>
#include <vector>

#include "sim/common/control_channel.h"

namespace sim {
namespace {

constexpr const char* kHelp =
    "ok freq HZ | antenna 0-3 | tx on|off | fault cut|stray|drop|garbage [n] | fault none | "
    "state | received | lag | help";

// A whole decimal number from 0 to max, or nothing.
bool number(std::string_view text, unsigned long max, unsigned long& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && value <= max;
}

}  // namespace

std::string runQorCommand(QorModel& radio, QorFaults& faults, std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    unsigned long value = 0;
    if (line == "help") return kHelp;
    if (line == "state")
        return "ok " + radio.stateText() + " fault " + faults.name() + " fault_left " +
               std::to_string(faults.remaining());
    if (line == "fault" || line.starts_with("fault ")) {
        const std::vector<std::string_view> args = controlWords(line);
        return faults.command(std::span(args).subspan(1));
    }
    if (line == "received") {
        std::string out = "ok";
        for (const std::string& command : radio.received()) out += " " + command;
        return out;
    }
    if (line == "lag") return "ok lag_ms " + std::to_string(radio.readerLag().takeLongest().count());
    if (line.starts_with("freq ")) {
        // Eight hexadecimal digits on the link; no band of the radio reaches 1 GHz.
        if (!number(line.substr(5), 999'999'999, value) || value == 0)
            return "error frequency must be 1 to 999999999 Hz";
        radio.setFrequency(static_cast<uint32_t>(value));
        return "ok frequency " + std::to_string(value);
    }
    if (line.starts_with("antenna ")) {
        if (!number(line.substr(8), 3, value)) return "error antenna must be 0 to 3";
        radio.setAntenna(static_cast<uint8_t>(value));
        return "ok antenna " + std::to_string(value);
    }
    if (line == "tx on" || line == "tx off") {
        radio.setTransmitting(line == "tx on");
        return line == "tx on" ? "ok tx 1" : "ok tx 0";
    }
    return "error unknown command (try help)";
}

}  // namespace sim
