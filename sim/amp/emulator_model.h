#pragma once
// The physics behind the status reply: drive power through the attenuator
// pads into a saturating power stage, the reflection of the tuner network
// and antenna at the keyed frequency, the drain current, two heat sinks
// cooled by the fan, and the protection latches that trip when a limit sent
// with "TS" is exceeded. No I/O and no clock: time comes in as elapsed
// seconds.
#include <cstdint>

#include "core/status_bits.h"
#include "sim/amp/antenna_load.h"
#include "sim/amp/emulator_settings.h"

namespace sim {

// The share of the forward power that a load of this SWR sends back.
[[nodiscard]] double reflectedFraction(double loadSwr);

struct ModelReadings {
    double inputW = 0, forwardW = 0, reflectedW = 0, currentA = 0;
    double temperature1 = 0, temperature2 = 0;
    bool keyed = false;         // the transceiver's carrier is present
    bool transmitting = false;  // keyed with the power stage in line
    bool bypassed = false;      // relays in by-pass, commanded or after a trip
    bool swrAlarm = false;
    uint8_t protection = 0;  // latched and forced bits of ampProt
};

class PhysicalModel {
  public:
    static constexpr double kAmbientC = 25.0;
    // The SWR alarm: transmitting through the stage, an SWR above the limit,
    // and at least this share of the rated power coming back, so that a weak
    // carrier into a bad setting does not raise it.
    static constexpr double kSwrAlarmLimit = 3.0;
    static constexpr double kSwrAlarmMinReflectedShare = 0.05;

    explicit PhysicalModel(int ratedWatts);

    void key(double driveW, uint32_t hz);
    void unkey();
    void setLoad(const AntennaLoad& load) { load_ = load; }
    void forceTemperatures(double sensor1, double sensor2);
    void autoTemperatures() { temperaturesForced_ = false; }
    void forceProtection(uint8_t bits) { forcedProtection_ = bits; }
    void markMicroReset() { latches_ |= core::ampProt::MicroReset; }
    void clearLatches(uint8_t mask) { latches_ &= static_cast<uint8_t>(~mask); }

    // Moves the heat sinks on by the elapsed time at the present dissipation,
    // then latches every limit the present readings exceed.
    void advance(double seconds, const AmpSettings& settings);
    [[nodiscard]] ModelReadings read(const AmpSettings& settings) const;

    [[nodiscard]] bool keyed() const { return keyed_; }
    [[nodiscard]] double driveW() const { return driveW_; }
    [[nodiscard]] uint32_t keyedFrequency() const { return keyedFrequency_; }
    [[nodiscard]] const AntennaLoad& load() const { return load_; }
    // The SWR the bridge sees at hz through the tuner as its relays stand.
    [[nodiscard]] double networkSwr(const AmpSettings& settings, double hz) const;
    [[nodiscard]] bool temperaturesForced() const { return temperaturesForced_; }
    [[nodiscard]] double dissipationW(const AmpSettings& settings) const {
        return electrical(settings).dissipationW;
    }

  private:
    struct Electrical {
        double inputW = 0, forwardW = 0, reflectedW = 0, currentA = 0, dissipationW = 0, swr = 1;
        bool transmitting = false, bypassed = false;
    };
    [[nodiscard]] Electrical electrical(const AmpSettings& settings) const;
    [[nodiscard]] uint8_t protection() const { return static_cast<uint8_t>(latches_ | forcedProtection_); }
    [[nodiscard]] bool tripped() const { return (protection() & ~core::ampProt::MicroReset) != 0; }

    double ratedWatts_;
    double supplyV_;
    double stillAirKPerW_;  // heat-sink thermal resistance with the fan stopped
    bool keyed_ = false;
    double driveW_ = 0;
    uint32_t keyedFrequency_ = 0;
    AntennaLoad load_;
    double heatSink1_ = kAmbientC, heatSink2_ = kAmbientC;
    bool temperaturesForced_ = false;
    double forced1_ = kAmbientC, forced2_ = kAmbientC;
    uint8_t latches_ = 0;
    uint8_t forcedProtection_ = 0;
};

}  // namespace sim
