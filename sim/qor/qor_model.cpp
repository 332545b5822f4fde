#include "sim/qor/qor_model.h"

#include <cctype>
#include <cstdio>

namespace sim {
namespace {

// Longer text without a ';' is not a command: the remote client's binary
// blocks pass over the same port. It is recorded in pieces of this size.
constexpr size_t kLongestCommand = 64;

// Non-printable bytes as \xNN, so that the received list stays one line.
std::string printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isprint(c) != 0 && c != ' ') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

bool isDrive(const std::string& command) {
    if (command.size() != 7 || !command.starts_with("TQ")) return false;
    for (size_t i = 2; i < 6; ++i)
        if (std::isdigit(static_cast<unsigned char>(command[i])) == 0) return false;
    return true;
}

}  // namespace

void QorModel::receive(std::span<const uint8_t> bytes) {
    for (uint8_t byte : bytes) {
        pending_ += static_cast<char>(byte);
        if (byte == ';') {
            execute(pending_);
            pending_.clear();
        } else if (pending_.size() >= kLongestCommand) {
            record(pending_);
            pending_.clear();
        }
    }
}

void QorModel::execute(const std::string& command) {
    if (command == "TX2;")
        state_.transmitting = true;
    else if (command == "RX;")
        state_.transmitting = false;
    else if (isDrive(command))
        driveMilliwatts_ = std::stoi(command.substr(2, 4));
    record(command);
}

void QorModel::record(std::string command) {
    received_.push_back(printable(command));
    if (received_.size() > kKeptCommands) received_.pop_front();
}

std::string QorModel::stateText() const {
    char text[128];
    std::snprintf(text, sizeof text, "frequency %lu tx %d drive_mw %d antenna %u",
                  static_cast<unsigned long>(state_.frequency), state_.transmitting ? 1 : 0, driveMilliwatts_,
                  state_.antenna);
    return text;
}

std::optional<std::string> QorModel::takeAmplifierLine() {
    std::optional<Carrier> wanted;
    if (state_.transmitting) wanted = Carrier{driveMilliwatts_, state_.frequency};
    if (wanted == keyed_) return std::nullopt;
    keyed_ = wanted;
    if (!wanted) return "unkey";
    char line[64];
    std::snprintf(line, sizeof line, "key %d.%03d %lu", wanted->driveMilliwatts / 1000,
                  wanted->driveMilliwatts % 1000, static_cast<unsigned long>(wanted->frequency));
    return line;
}

}  // namespace sim
