#pragma once
// The amplifier microcontroller's side of the command table: one command
// payload in, one reply payload out, the settings kept in between. A command
// the microcontroller does not understand, or whose value is malformed or out
// of range, is refused with "?" after its two letters (for example "SA?;").
#include <optional>
#include <string>
#include <string_view>

#include "sim/amp/emulator_model.h"
#include "sim/amp/emulator_settings.h"

namespace sim {

inline constexpr const char* kFirmwareVersion = "1.07.03";  // seven characters
inline constexpr int kAntennaCount = 4;

class CommandHandler {
  public:
    CommandHandler(Identity identity, PhysicalModel& model) : identity_(identity), model_(model) {}

    // The reply payload; nothing while the microcontroller is held in reset
    // ("MR1;" holds it, "MR0;" releases it and is the only command it hears).
    [[nodiscard]] std::optional<std::string> handle(std::string_view payload);

    // A reset of the microcontroller: power-on settings, and the reset bit
    // raised in the protection bits until "CPFFFF;" or "MR0;" clears it.
    void resetMicro();

    [[nodiscard]] const AmpSettings& settings() const { return settings_; }
    [[nodiscard]] const Identity& identity() const { return identity_; }
    [[nodiscard]] bool heldInReset() const { return heldInReset_; }

  private:
    [[nodiscard]] std::optional<std::string> dispatch(std::string_view payload);
    [[nodiscard]] std::optional<std::string> eepromPage(int page) const;
    [[nodiscard]] std::string frequencyReply() const;

    Identity identity_;
    PhysicalModel& model_;
    AmpSettings settings_;
    bool heldInReset_ = false;
};

}  // namespace sim
