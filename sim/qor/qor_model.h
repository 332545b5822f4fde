#pragma once
// The transceiver as its auxiliary link and its operator see it: the text
// commands the controller writes (';'-terminated), the operator's own
// settings, and the carrier it puts on the amplifier's input.
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>

#include "sim/qor/qor_stream.h"
#include "sim/qor/reader_lag.h"

namespace sim {

class QorModel {
  public:
    // Takes bytes from the link as they come. "TU120;" "TX2;" transmit the
    // tune carrier, "RX;" returns to receive, "TQnnnn;" sets the drive in
    // milliwatts; anything else is only recorded.
    void receive(std::span<const uint8_t> bytes);

    void setFrequency(uint32_t hertz) { state_.frequency = hertz; }
    void setAntenna(uint8_t input) { state_.antenna = input; }
    void setTransmitting(bool on) { state_.transmitting = on; }

    [[nodiscard]] const QorState& state() const { return state_; }
    [[nodiscard]] int driveMilliwatts() const { return driveMilliwatts_; }
    // The commands received, oldest first, the latest kKeptCommands.
    [[nodiscard]] const std::deque<std::string>& received() const { return received_; }
    [[nodiscard]] std::string stateText() const;
    // How long its messages wait for the controller's reader.
    ReaderLag& readerLag() { return readerLag_; }

    // The amplifier emulator's control line that brings its carrier in step
    // with the radio ("key <watts> <hz>" or "unkey"), once per change of the
    // carrier, its drive or its frequency; nothing when in step.
    [[nodiscard]] std::optional<std::string> takeAmplifierLine();

    static constexpr size_t kKeptCommands = 1000;

  private:
    void execute(const std::string& command);
    void record(std::string command);

    QorState state_;
    int driveMilliwatts_ = 5000;
    std::string pending_;
    std::deque<std::string> received_;
    // The carrier as the amplifier emulator last heard of it: drive, Hz.
    struct Carrier {
        int driveMilliwatts;
        uint32_t frequency;
        bool operator==(const Carrier&) const = default;
    };
    std::optional<Carrier> keyed_;
    ReaderLag readerLag_;
};

}  // namespace sim
