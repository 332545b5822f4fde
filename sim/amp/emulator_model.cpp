#include "sim/amp/emulator_model.h"

#include <algorithm>
#include <cmath>

#include "sim/amp/emulator_counts.h"

namespace sim {
namespace {

constexpr double kGainDb = 13.0;
constexpr double kEfficiency = 0.55;
constexpr double kIdleCurrentA = 0.5;
// Full fan speed divides the heat-sink thermal resistance by 1 + this.
constexpr double kFanCooling = 4.0;

// Sensor 1 sits on the transistors' heat sink, sensor 2 further away: it
// sees part of the heat and follows more slowly.
struct Sensor {
    double share;
    double timeConstantS;
};
constexpr Sensor kSensor1{1.0, 60.0};
constexpr Sensor kSensor2{0.7, 120.0};

double relax(double temperature, double target, double seconds, double timeConstant) {
    return target + (temperature - target) * std::exp(-seconds / timeConstant);
}

}  // namespace

double reflectedFraction(double loadSwr) {
    if (!(loadSwr > 1.0)) return 0.0;
    double rho = (loadSwr - 1.0) / (loadSwr + 1.0);
    return rho * rho;
}

PhysicalModel::PhysicalModel(int ratedWatts)
    : ratedWatts_(ratedWatts),
      supplyV_(ratedWatts > 60 ? 48.0 : 13.8),
      stillAirKPerW_(1.05 * 60.0 / ratedWatts) {}

void PhysicalModel::key(double driveW, uint32_t hz) {
    keyed_ = true;
    driveW_ = driveW;
    keyedFrequency_ = hz;
}

void PhysicalModel::unkey() {
    keyed_ = false;
    driveW_ = 0;
}

void PhysicalModel::forceTemperatures(double sensor1, double sensor2) {
    temperaturesForced_ = true;
    forced1_ = sensor1;
    forced2_ = sensor2;
}

double PhysicalModel::networkSwr(const AmpSettings& settings, double hz) const {
    return swrOf(networkInput(settings.tuner, load_.at(hz), hz));
}

PhysicalModel::Electrical PhysicalModel::electrical(const AmpSettings& settings) const {
    Electrical e;
    e.bypassed = settings.bypass || tripped();
    if (!keyed_) return e;
    e.inputW = driveW_;
    if (e.bypassed) {
        e.forwardW = driveW_;
    } else {
        double padDb = (settings.pad3dB ? 3.0 : 0.0) + (settings.pad2dB ? 2.0 : 0.0);
        double stageIn = driveW_ * std::pow(10.0, -padDb / 10.0);
        double gain = std::pow(10.0, kGainDb / 10.0);
        e.forwardW = ratedWatts_ * std::tanh(gain * stageIn / ratedWatts_);
        e.transmitting = true;
    }
    Impedance input = networkInput(settings.tuner, load_.at(keyedFrequency_), keyedFrequency_);
    e.swr = swrOf(input);
    e.reflectedW = e.forwardW * reflectionShare(input);
    if (e.transmitting) {
        double supplyW = kIdleCurrentA * supplyV_ + e.forwardW / kEfficiency;
        e.currentA = supplyW / supplyV_;
        // What the stage takes and does not deliver, plus what the load sends back.
        e.dissipationW = supplyW - e.forwardW + e.reflectedW;
    }
    return e;
}

void PhysicalModel::advance(double seconds, const AmpSettings& settings) {
    Electrical e = electrical(settings);
    if (seconds > 0) {
        double fan = std::clamp(settings.fanSpeed, 0, 100) / 100.0;
        double rise = e.dissipationW * stillAirKPerW_ / (1.0 + kFanCooling * fan);
        heatSink1_ = relax(heatSink1_, kAmbientC + kSensor1.share * rise, seconds, kSensor1.timeConstantS);
        heatSink2_ = relax(heatSink2_, kAmbientC + kSensor2.share * rise, seconds, kSensor2.timeConstantS);
    }
    if (!keyed_) return;
    const auto& limit = settings.thresholds;
    if (powerCounts(e.inputW, kInputCalibration) > limit[0]) latches_ |= core::ampProt::InputPower;
    if (powerCounts(e.forwardW, kForwardCalibration) > limit[1]) latches_ |= core::ampProt::Forward;
    if (reflectedCounts(e.reflectedW, e.forwardW) > limit[2]) latches_ |= core::ampProt::Reflected;
    if (currentCounts(e.currentA) > limit[3]) latches_ |= core::ampProt::OutputCurrent;
}

ModelReadings PhysicalModel::read(const AmpSettings& settings) const {
    Electrical e = electrical(settings);
    ModelReadings r;
    r.inputW = e.inputW;
    r.forwardW = e.forwardW;
    r.reflectedW = e.reflectedW;
    r.currentA = e.currentA;
    r.temperature1 = temperaturesForced_ ? forced1_ : heatSink1_;
    r.temperature2 = temperaturesForced_ ? forced2_ : heatSink2_;
    r.keyed = keyed_;
    r.transmitting = e.transmitting;
    r.bypassed = e.bypassed;
    r.swrAlarm =
        e.transmitting && e.swr > kSwrAlarmLimit && e.reflectedW >= kSwrAlarmMinReflectedShare * ratedWatts_;
    r.protection = protection();
    return r;
}

}  // namespace sim
