// Control commands (one line each; every command gets one reply line,
// "ok ..." or "error ..."):
//   help                      the list of commands
//   key <watts> [hz]          the transceiver's carrier: drive power in watts
//                             at a frequency in Hz (default: the last "FA")
//   unkey                     carrier off
//   load swr <value>          a resistive load of 50 * value ohms, value
//                             1.0 to 20000
//   load z <R> <X>            a load of R + jX ohms, R above 0 and up to
//                             1000000, X from -1000000 to 1000000
//   load dipole <hz>          a dipole resonant at hz: 70 ohms there, its
//                             reactance growing either side (amp/antenna_load.h)
//                             The reflected power and the SWR alarm follow the
//                             load through the tuner network as its relays
//                             stand (amp/tuner_network.h), at the carrier's
//                             frequency.
//   temp <sensor1> <sensor2>  force the heat-sink temperatures, degrees C
//   temp auto                 temperatures from the model again
//   protect <hexbits>         raise these protection bits until "protect 0"
//   reset                     the microcontroller resets: power-on settings,
//                             bit 7 of the protection bits until the
//                             controller sends "CPFFFF;" or "MR0;"
//   fault <kind> [n]          the next n replies (default 1) carry a fault:
//                             drop (none sent), delay (sent after 2 s),
//                             crc (wrong checksum), lowercase (lower-case
//                             checksum), refuse ("?" after the letters),
//                             garbage (random bytes without ";"), long
//                             (600 bytes without ";", then the reply)
//   fault none                no more faults
//   state                     settings and model values, key=value; among
//                             them the tuner's C, L and network, and the SWR
//                             of the load alone and through the network;
//                             fa_hz is the frequency the controller last sent
//                             with "FA", keyed_hz the carrier's
//   received                  payloads received so far, oldest first
//   clear-received            forget them
#include "sim/amp/emulator_control.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sim/amp/antenna_load.h"
#include "sim/common/control_channel.h"

namespace sim {
namespace {

// Beyond this a load is an open circuit for every purpose of the model.
constexpr double kMaxLoadOhms = 1e6;

constexpr const char* kHelp =
    "ok key <watts> [hz] | unkey | load swr <value> | load z <R> <X> | load dipole <hz> | "
    "temp <sensor1> <sensor2> | temp auto | "
    "protect <hexbits> | reset | fault drop|delay|crc|lowercase|refuse|garbage|long [n] | fault none | "
    "state | received | clear-received | help";

std::optional<double> number(std::string_view word) {
    std::string text(word);
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<unsigned long> integer(std::string_view word, int base, unsigned long max) {
    std::string text(word);
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, base);
    if (end != text.c_str() + text.size() || value > max) return std::nullopt;
    return value;
}

std::string format(const char* pattern, double a, double b) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

std::string key(Emulator& emulator, const std::vector<std::string_view>& args) {
    if (args.size() < 2 || args.size() > 3) return "error usage: key <watts> [hz]";
    auto watts = number(args[1]);
    if (!watts || *watts < 0 || *watts > 1000) return "error drive power must be 0 to 1000 W";
    uint32_t hz = emulator.commands().settings().frequency;
    if (args.size() == 3) {
        auto given = integer(args[2], 10, 2147483647);
        if (!given || *given == 0) return "error frequency must be 1 to 2147483647 Hz";
        hz = static_cast<uint32_t>(*given);
    }
    if (hz == 0) return "error no frequency: give <hz>, no \"FA\" has set one";
    emulator.model().key(*watts, hz);
    return format("ok keyed %.2f W at %.0f Hz", *watts, hz);
}

std::string load(Emulator& emulator, const std::vector<std::string_view>& args) {
    std::string_view kind = args.size() > 1 ? args[1] : std::string_view();
    char text[128];
    if (kind == "swr") {
        auto swr = args.size() == 3 ? number(args[2]) : std::nullopt;
        if (!swr || *swr < 1.0) return "error usage: load swr <value of 1.0 or more>";
        if (*swr > kMaxLoadOhms / kReferenceOhms) return "error load swr must be 20000 or less";
        emulator.model().setLoad(AntennaLoad::resistive(*swr));
        return format("ok load swr %.2f (%.1f %% reflected)", *swr, 100.0 * reflectedFraction(*swr));
    }
    if (kind == "z") {
        auto r = args.size() == 4 ? number(args[2]) : std::nullopt;
        auto x = args.size() == 4 ? number(args[3]) : std::nullopt;
        if (!r || !x) return "error usage: load z <R> <X> (ohms)";
        if (!(*r > 0) || *r > kMaxLoadOhms || std::fabs(*x) > kMaxLoadOhms)
            return "error R must be above 0 and at most 1000000 ohms, X from -1000000 to 1000000 ohms";
        Impedance z{*r, *x};
        emulator.model().setLoad(AntennaLoad::fixed(z));
        std::snprintf(text, sizeof text, "ok load z %.2f %.2f ohms (swr %.2f on its own)", *r, *x, swrOf(z));
        return text;
    }
    if (kind == "dipole") {
        auto hz = args.size() == 3 ? integer(args[2], 10, 2147483647) : std::nullopt;
        if (!hz || *hz == 0) return "error usage: load dipole <resonant hz, 1 to 2147483647>";
        emulator.model().setLoad(AntennaLoad::dipole(static_cast<double>(*hz)));
        return format("ok load dipole resonant at %.0f Hz (%.0f ohms there)", static_cast<double>(*hz),
                      AntennaLoad::kDipoleOhms);
    }
    return "error usage: load swr <value> | load z <R> <X> | load dipole <hz>";
}

std::string temp(Emulator& emulator, const std::vector<std::string_view>& args) {
    if (args.size() == 2 && args[1] == "auto") {
        emulator.model().autoTemperatures();
        return "ok temperatures from the model";
    }
    if (args.size() != 3) return "error usage: temp <sensor1> <sensor2> | temp auto";
    auto sensor1 = number(args[1]);
    auto sensor2 = number(args[2]);
    if (!sensor1 || !sensor2 || *sensor1 < -50 || *sensor1 > 150 || *sensor2 < -50 || *sensor2 > 150)
        return "error temperatures must be -50 to 150 degrees C";
    emulator.model().forceTemperatures(*sensor1, *sensor2);
    return format("ok temperatures forced to %.2f and %.2f C", *sensor1, *sensor2);
}

std::string receivedList(const Emulator& emulator) {
    std::string out = "ok";
    for (const auto& payload : emulator.received()) out += " " + printable(payload);
    return out;
}

}  // namespace

std::string runControlCommand(Emulator& emulator, std::string_view line, Emulator::Clock::time_point now) {
    emulator.advanceTo(now);
    std::vector<std::string_view> args = controlWords(line);
    if (args.empty()) return "error empty command (try help)";
    std::string_view command = args[0];
    if (command == "help") return kHelp;
    if (command == "key") return key(emulator, args);
    if (command == "unkey" && args.size() == 1) {
        emulator.model().unkey();
        return "ok unkeyed";
    }
    if (command == "load") return load(emulator, args);
    if (command == "temp") return temp(emulator, args);
    if (command == "protect") {
        auto bits = args.size() == 2 ? integer(args[1], 16, 0xFF) : std::nullopt;
        if (!bits) return "error usage: protect <hexbits 0 to FF>";
        emulator.model().forceProtection(static_cast<uint8_t>(*bits));
        char text[32];
        std::snprintf(text, sizeof text, "ok protection bits %02lX", *bits);
        return text;
    }
    if (command == "reset" && args.size() == 1) {
        emulator.commands().resetMicro();
        return "ok microcontroller reset";
    }
    if (command == "fault") return emulator.faults().command(std::span(args).subspan(1));
    if (command == "state" && args.size() == 1) return "ok " + emulator.stateLine();
    if (command == "received" && args.size() == 1) return receivedList(emulator);
    if (command == "clear-received" && args.size() == 1) {
        emulator.clearReceived();
        return "ok cleared";
    }
    std::string echo;
    for (std::string_view arg : args) echo += (echo.empty() ? "" : " ") + printable(arg);
    return "error unknown command: " + echo + " (try help)";
}

}  // namespace sim
