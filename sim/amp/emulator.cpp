#include "sim/amp/emulator.h"

#include <cstdio>

#include "amp/frame.h"

namespace sim {

std::string printable(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte > ' ' && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

namespace {

// The filter the relays put in line: the lowest bit of the mask (1 to 8), 0 for none.
int filterInLine(int mask) {
    for (int filter = 1; filter <= 8; ++filter)
        if ((mask & (1 << (filter - 1))) != 0) return filter;
    return 0;
}

}  // namespace

Emulator::Emulator(Identity identity, double timeScale, Clock::time_point start)
    : timeScale_(timeScale), last_(start), model_(identity.ratedWatts), commands_(identity, model_) {}

void Emulator::advanceTo(Clock::time_point now) {
    double seconds = 0;
    if (now > last_) {
        seconds = std::chrono::duration<double>(now - last_).count() * timeScale_;
        last_ = now;
    }
    // With no time passed this still latches what a change just pushed over a limit.
    model_.advance(seconds, commands_.settings());
}

std::vector<Transmission> Emulator::onFrame(std::string_view frame, Clock::time_point now) {
    amp::CheckedFrame checked = amp::checkFrame(frame, amp::HexCase::Lower);
    if (checked.status != amp::FrameStatus::Good) return {};
    received_.emplace_back(checked.payload);
    if (received_.size() > kReceivedKept) received_.pop_front();
    advanceTo(now);
    std::optional<std::string> reply = commands_.handle(checked.payload);
    if (!reply) return {};
    return faults_.transmit(*reply);
}

// Where the state line evaluates the SWR: the carrier's frequency while
// keyed, else the last "FA", else the last carrier's.
uint32_t Emulator::swrFrequency() const {
    uint32_t fa = commands_.settings().frequency;
    return model_.keyed() || fa == 0 ? model_.keyedFrequency() : fa;
}

std::string Emulator::stateLine() const {
    const AmpSettings& s = commands_.settings();
    const Identity& identity = commands_.identity();
    ModelReadings r = model_.read(s);
    uint32_t hz = swrFrequency();
    char loadSwr[32] = "-", networkSwr[32] = "-";
    if (hz != 0) {
        std::snprintf(loadSwr, sizeof loadSwr, "%.2f", swrOf(model_.load().at(hz)));
        std::snprintf(networkSwr, sizeof networkSwr, "%.2f", model_.networkSwr(s, hz));
    }
    char text[1536];
    std::snprintf(text, sizeof text,
                  "model=%d region=%s held_in_reset=%d antenna=%d antenna_in=%d attenuator=%d%d bypass=%d "
                  "protection_mode=%d thresholds=%d,%d,%d,%d fan_mode=%d fan=%d tune=%08lX tuner_c=%d "
                  "tuner_l=%d tuner_mode=%s fa_hz=%lu freq_sens=%d freq_period=%d ps=%d,%d,%d,%d "
                  "filter=%02x filter_in_line=%d gm=%d,%d gs=%s cal=%s keyed=%d drive=%.2f keyed_hz=%lu "
                  "load=%s swr_hz=%lu "
                  "load_swr=%s network_swr=%s input=%.2f forward=%.2f reflected=%.2f current=%.2f "
                  "dissipation=%.2f temp1=%.2f temp2=%.2f temp_forced=%d transmitting=%d bypassed=%d "
                  "swr_alarm=%d protection=%02X fault=%s fault_left=%d",
                  identity.ratedWatts, identity.usaRegion ? "usa" : "eu", commands_.heldInReset() ? 1 : 0,
                  s.antenna, s.antennaIn, s.pad3dB ? 1 : 0, s.pad2dB ? 1 : 0, s.bypass ? 1 : 0,
                  s.protectionMode ? 1 : 0, s.thresholds[0], s.thresholds[1], s.thresholds[2],
                  s.thresholds[3], s.fanMode, s.fanSpeed, static_cast<unsigned long>(s.tuneValue), s.tuner.c,
                  s.tuner.l, networkName(s.tuner.mode), static_cast<unsigned long>(s.frequency), s.freqSensIn,
                  s.freqPeriod, s.psPar[0], s.psPar[1], s.psPar[2], s.psPar[3], s.filterMask,
                  filterInLine(s.filterMask), s.gmPar1, s.gmPar2, printable(s.genSettings).c_str(),
                  s.calMultiplier.c_str(), r.keyed ? 1 : 0, model_.driveW(),
                  static_cast<unsigned long>(model_.keyedFrequency()), model_.load().describe().c_str(),
                  static_cast<unsigned long>(hz), loadSwr, networkSwr, r.inputW, r.forwardW, r.reflectedW,
                  r.currentA, model_.dissipationW(s), r.temperature1, r.temperature2,
                  model_.temperaturesForced() ? 1 : 0, r.transmitting ? 1 : 0, r.bypassed ? 1 : 0,
                  r.swrAlarm ? 1 : 0, r.protection, faultName(faults_.kind()), faults_.remaining());
    return text;
}

}  // namespace sim
