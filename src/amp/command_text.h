#pragma once
// The text that goes on the wire for each amplifier command code, built from
// the current field values, with the two letters the link records for it.
#include <cstdint>
#include <optional>
#include <string>

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

struct CommandText {
    char letters[2];
    std::string payload;  // ends in ";"
};

// Nothing for codes that are not commands (internal link states, unused codes) and for
// commands withheld for now.
[[nodiscard]] std::optional<CommandText> commandText(const core::AmpRecord& works, int32_t code);

// The fixed text of an attenuator value: first digit the 3 dB pad (bit 1), second the 2 dB pad (bit 0).
[[nodiscard]] const char* attenuatorText(int value);

// The ten characters of general settings read from the amplifier, with the generic-mode bit
// (bit 1 of the second character) set for the interface type: set in generic mode, clear otherwise.
[[nodiscard]] std::string generalSettingsFor(std::string settings, int32_t modeWorkIdx);

// Why a command must not go out now (the text to log), or nullptr. The general settings and the
// calibration multiplier go back as they were read; before that there are only zeros to send,
// which the amplifier would store.
[[nodiscard]] const char* withheldReason(const core::AmpRecord& works, int32_t code);

}  // namespace amp
