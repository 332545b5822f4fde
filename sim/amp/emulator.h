#pragma once
// The emulated amplifier as a whole, without I/O: frames from the controller
// in, frames for the port out, with the model moved on by the time that
// passed. The event loop supplies the clock readings; tests supply their own.
#include <chrono>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "sim/amp/emulator_commands.h"
#include "sim/amp/emulator_faults.h"
#include "sim/amp/emulator_model.h"

namespace sim {

// Bytes outside the printable range as \xNN, so that any text stays one word on one line.
[[nodiscard]] std::string printable(std::string_view bytes);

class Emulator {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kReceivedKept = 4096;

    // timeScale > 1 runs the heat sinks faster than the wall clock.
    Emulator(Identity identity, double timeScale, Clock::time_point start);
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // One complete frame from the controller (CRC characters included). A
    // frame without a good lower-case checksum gets no reply.
    [[nodiscard]] std::vector<Transmission> onFrame(std::string_view frame, Clock::time_point now);
    // Moves the model on to now; earlier times count as no time passed.
    void advanceTo(Clock::time_point now);

    [[nodiscard]] PhysicalModel& model() { return model_; }
    [[nodiscard]] CommandHandler& commands() { return commands_; }
    [[nodiscard]] FaultInjector& faults() { return faults_; }

    // The payloads of the good frames received, oldest first (the latest kReceivedKept).
    [[nodiscard]] const std::deque<std::string>& received() const { return received_; }
    void clearReceived() { received_.clear(); }

    // Kept settings and model values, key=value separated by blanks.
    [[nodiscard]] std::string stateLine() const;

  private:
    [[nodiscard]] uint32_t swrFrequency() const;

    double timeScale_;
    Clock::time_point last_;
    PhysicalModel model_;
    CommandHandler commands_;
    FaultInjector faults_;
    std::deque<std::string> received_;
};

}  // namespace sim
