#include "sim/amp/fault_arming.h"

#include <charconv>

#include "sim/amp/emulator.h"

namespace sim {

std::optional<int> faultCount(std::string_view word) {
    int count = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), count);
    if (error != std::errc{} || end != word.data() + word.size() || count < 1 || count > 1'000'000)
        return std::nullopt;
    return count;
}

std::string armedReply(const char* name, int count, std::string_view one, std::string_view many) {
    return "ok fault " + std::string(name) + " for the next " +
           (count == 1 ? std::string(one) : std::to_string(count) + " " + std::string(many));
}

std::string unknownFaultReply(std::string_view name) {
    return "error unknown fault: " + printable(name);
}

}  // namespace sim
