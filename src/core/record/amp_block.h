#pragma once
// The amplifier's part of the shared record: link, measurements, fans, band configuration.
#include <atomic>
#include <cstdint>
#include <vector>

#include "core/record/band_config.h"
#include "core/record/command_ring.h"
#include "core/record/filter_table.h"
#include "core/shared_text.h"

namespace core {

// thresholdRow when no band row's thresholds are in force: none sent since the
// last reset, or the defaults sent for want of a band.
inline constexpr int32_t kThresholdsUnsent = -1;
inline constexpr int32_t kThresholdsDefault = -2;

struct AmpBlock {
    // The amplifier's identity, from its EEPROM
    std::atomic<char> ampRegionFlag{0}, ampModelFlag{0};
    SharedText<32> serialNumber, companyName, hwVersion, fwVersion;

    // Amplifier link and the front panel's tiny controller
    CommandRing cmdRing;
    std::atomic<uint8_t> cmdBurst{0};
    std::atomic<uint8_t> tinyMailbox{0}, tinyCommand{0}, tinyStatus{0};
    // A tiny command sent before the mailbox and the polls (0 none)
    std::atomic<uint8_t> tempflag_processextREMLOCOFF{0};
    // Position in the poll cycle (0 to 3) and passes until the next tiny command
    std::atomic<uint8_t> tinyPoll{0};
    std::atomic<int32_t> tinyPace{0};
    // Answers to the polls; tinyResult3 is the 8-bit reading of the amplifier supply voltage
    std::atomic<uint8_t> tinyResult0{0}, tinyResult1{0}, tinyResult2{0}, tinyResult3{0};
    std::atomic<uint8_t> ampStatus{0};
    std::atomic<int8_t> ampProt{0};
    std::atomic<uint8_t> bypass{0}, attenuator{0};
    std::atomic<uint8_t> microResetFlags{0};
    // The protections the log has told as raised and not yet as cleared; the link thread's alone
    std::atomic<uint16_t> protectionsLogged{0};
    std::atomic<int32_t> ampThresholds[4]{};
    std::atomic<int32_t> thresholdRow{0};  // band row of the thresholds sent, or a negative marker
    // The input-power threshold in force before a tune search lifted it
    std::atomic<int32_t> inputThresholdBeforeTune{4095};
    std::atomic<uint8_t> attenuatorAmp{0}, attenuatorKey{0}, bypassCmd{0};
    std::atomic<int32_t> antennaIn{0};

    // Amplifier link state, owned by the link thread
    std::atomic<int32_t> linFD{-1};
    std::atomic<int32_t> linearProcessStatus{0}, counterrortimeout{0};
    char lastCmdName[2]{};
    std::atomic<int32_t> lastCmdCode{0};
    std::atomic<int32_t> retryCount{0}, retryTotal{0}, retryStops{0}, retryDelay{0};
    std::atomic<uint8_t> tuneState{0};
    SharedText<11> genSettings;
    std::atomic<double> calMultiplier{0};

    // Receive filter table and the filter in use
    FilterTable filterTable;
    std::atomic<int32_t> filterSel{0};  // the row the filter menu points at
    std::atomic<uint8_t> filterMask{0};

    // Measurements from the amplifier's status reply
    std::atomic<uint16_t> adcPowerIn{0}, adcFwd{0}, adcRefl{0};
    std::atomic<float> powerIn{0}, powerFwd{0}, powerRefl{0}, powerFwdPeak{0}, swr{0}, currentRaw{0};
    std::atomic<float> temperature1{0}, temperature2{0};
    std::atomic<uint8_t> ampStatus0{0}, ampStatus3{0};
    std::atomic<int32_t> ampFrequency{0};

    // Fans and thermal protection
    std::atomic<int32_t> fanSpeed{0}, fanSpeedActive{0}, fanSpeedSent{0};
    std::atomic<int32_t> fanSpeedCpu{0}, fanSpeedCpuActive{0};
    std::atomic<uint8_t> fanCmdPending{0}, fanForce{0}, logStarted{0};
    std::atomic<float> cpuTemp{0}, cpuTemp2{0};
    // 1 while my_temp fails, so the failure is logged once and not every tick
    std::atomic<uint8_t> cpuTempFault{0};
    // Fan tables 0 (normal), 1 and 2, read once before the threads start
    std::vector<FanRow> fanTable[3];

    // Band configuration and ADC offsets, read once before the threads start
    std::vector<BandConfigRow> bandConfig;
    std::atomic<int32_t> KostPWRIN{0}, KostFORW{0}, KostREFL{0};
};

}  // namespace core
