#include "sim/cat/cat_answers.h"

#include <cctype>
#include <cstdio>

namespace sim {
namespace {

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
    return true;
}

std::string frequencyText(const char* code, int64_t hertz) {
    char text[24];
    std::snprintf(text, sizeof text, "%s%011lld;", code, static_cast<long long>(hertz));
    return text;
}

}  // namespace

std::string answerCat(TransceiverCat& radio, const std::string& command) {
    if (command.size() < 3 || command.back() != ';') return "?;";
    const std::string code = command.substr(0, 2);
    const std::string value = command.substr(2, command.size() - 3);
    if (code == "DT" && value.empty()) return "DT001;";
    if (code == "FA" || code == "FB") {
        int64_t& frequency = code == "FA" ? radio.frequencyA : radio.frequencyB;
        if (value.empty()) return frequencyText(code.c_str(), frequency);
        if (value.size() != 11 || !allDigits(value)) return "?;";
        frequency = std::stoll(value);
        return {};
    }
    if (code == "MD") {
        if (value.empty()) return "MD" + std::to_string(radio.mode) + ";";
        if (value.size() != 1 || !allDigits(value)) return "?;";
        radio.mode = value[0] - '0';
        return {};
    }
    if (code == "TX" && value.empty()) {
        radio.transmitting = true;
        return {};
    }
    if (code == "RX" && value.empty()) {
        radio.transmitting = false;
        return {};
    }
    if (code == "IF" && value.empty())
        return frequencyText("IF", radio.frequencyA).substr(0, 13) + std::to_string(radio.mode) +
               (radio.transmitting ? "1" : "0") + ";";
    return "?;";
}

}  // namespace sim
