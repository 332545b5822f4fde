#pragma once
// The shared state record: everything more than one thread needs. One
// instance lives for the whole run and every thread gets a reference to it.
// Scalars shared between threads are atomics; texts that change at run time
// are SharedText; the error list and the command ring carry their own locks.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <vector>

#include "amp/command_ring.h"
#include "config/band_config.h"
#include "config/setup_record.h"
#include "core/error_list.h"
#include "core/shared_text.h"
#include "core/try_mutex.h"
#include "core/tune_lock.h"
#include "tuner/antenna_table.h"
#include "tuner/tune_memory_table.h"
#include "tuner/tune_search_state.h"
#include "ui/spectrum_data.h"

struct OpusEncoder;
struct OpusDecoder;

namespace platform {
class Platform;
}
namespace ui {
struct FrameBuffer;
}

namespace core {

class ThreadSet;

// thresholdRow when no band row's thresholds are in force: none sent since the
// last reset, or the defaults sent for want of a band.
inline constexpr int32_t kThresholdsUnsent = -1;
inline constexpr int32_t kThresholdsDefault = -2;

struct Works {
    Works() = default;
    Works(const Works&) = delete;
    Works& operator=(const Works&) = delete;

    // Objects owned by main for the whole run.
    platform::Platform* platform = nullptr;
    ui::FrameBuffer* fb = nullptr;
    config::SetupRecord* setup = nullptr;
    ThreadSet* threads = nullptr;
    TryMutex* wsMutex = nullptr;
    TryMutex* serMut = nullptr;

    // Process and screen
    std::atomic<int32_t> running{0};
    std::atomic<char> ampRegionFlag{0}, ampModelFlag{0};
    SharedText<8> swVersion;
    SharedText<32> serialNumber, companyName, hwVersion, fwVersion;
    SharedText<32> imageName;
    std::atomic<int32_t> imageX{0}, imageY{0};
    std::atomic<int32_t> mainWindow{0};
    std::atomic<std::time_t> startTime{0};
    std::atomic<uint8_t> initDone{0};
    SharedText<100> nameText;
    std::atomic<int32_t> screenState{0};
    std::atomic<uint8_t> pageFlags{0};

    // Start-up countdown and settings-menu cursor, shared with the input thread
    std::atomic<int32_t> startInitThread{0}, waitQOR{0};
    std::atomic<int32_t> CntIP{0}, CntDNS{0}, CntNetMask{0}, CntGateway{0};

    // Values backed by setup keys
    SharedText<100> Passphrase;
    SharedText<16> Server;
    std::atomic<int16_t> TcpPort{0};
    std::atomic<int32_t> rxCoding{0}, txBitrate{0};
    std::atomic<int32_t> captureFrames{0}, playbackFrames{0}, bufferChunks{0};
    std::atomic<int32_t> audioChannels{0}, sampleRate{0};
    std::atomic<uint8_t> AutoTuneMode{0}, TempMode{0}, EnablePwrPeak{0}, FreqSensIn{0}, AttenuatorTune{0};
    std::atomic<int32_t> NumAntenna{0}, FreqPeriodTime{0};
    std::atomic<uint8_t> ViewTimeStr{0}, ViewTemp{0}, PowerUnits{0};
    std::atomic<float> MaxTemperature{0}, MaxTemperature2{0}, SWRescAutoTune{0};
    std::atomic<int32_t> SaveScreenIdx{0}, AutoTuneMaxCicli{0}, Divide{0};
    std::atomic<int32_t> MaxTempAllowed{0}, MaxTempAllowed2{0};
    std::atomic<int32_t> PSpar1{0}, PSpar2{0}, PSpar3{0}, PSpar4{0}, GMpar1{0}, GMpar2{0};
    std::atomic<int32_t> Isteresi1{0}, Isteresi2{0}, CPUTempVentola{0}, CPUPercVentola{0};
    std::atomic<double> plotOffset{0};
    std::atomic<int32_t> plotRefLevel{0}, plotRefPos{0}, plotPointDiv{0};
    std::atomic<int8_t> TUNEenabled{0};  // negative: the unit has no tuner
    std::atomic<int32_t> NumBanco{0}, MAXbank{0};
    std::atomic<uint8_t> EnableDebug{0}, EnableLOGTemp{0}, FANmode{0};
    std::atomic<int32_t> AudioBuffers{0}, viewTx{0};
    std::atomic<int32_t> ModeWorkIdx{0};
    // Meter peak hold and key timing
    std::atomic<int32_t> fattoremedia{0}, PeakDecrementTime{0}, TimerPeakSec{0};
    std::atomic<double> PeakDecrement{0}, TIME_LONG_PRESS{0};
    std::atomic<int32_t> number_ofStep_meter_FWD{0}, number_ofStep_meter_REFL{0}, number_ofStep_meter_SWR{0},
        number_ofStep_meter_PW{0};

    // Amplifier link and the front panel's tiny controller
    amp::CommandRing cmdRing;
    std::atomic<uint8_t> cmdBurst{0};
    std::atomic<uint8_t> tinyMailbox{0}, tinyCommand{0}, tinyStatus{0};
    std::atomic<uint8_t> ampStatus{0};
    std::atomic<int8_t> ampProt{0};
    std::atomic<uint8_t> bypass{0}, attenuator{0};
    std::atomic<uint8_t> microResetFlags{0};
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

    // Tuner word and its lock
    TuneLock tuneLock{platform};
    std::atomic<uint32_t> tuneValue{0};
    std::atomic<int32_t> tuneC{0}, tuneL{0};
    std::atomic<uint8_t> tuneMode{0}, tunerBypass{0};

    // Automatic tune search; the records belong to the link thread
    std::atomic<int32_t> tuneStep{0}, counterC{0}, counterL{0}, fineRow{0}, cnttune{0};
    std::atomic<float> tuneBestSwr{0};
    std::atomic<uint8_t> tuneTxState{0}, transceiverTx{0};
    // The tuner word before the search, restored when the search measured nothing
    std::atomic<uint32_t> tuneWordBeforeSearch{0};
    std::atomic<uint8_t> tuneMeasured{0};
    tuner::TuneSearchState tuneSearch;

    // Tune memories and the antenna table of the bank in use
    tuner::TuneMemory tuneMemory;
    tuner::AntennaTable antennaTable;
    std::atomic<int32_t> antennaRowCount{0};
    std::atomic<uint8_t> carrierControl{0};
    std::atomic<int32_t> carrierHoldoff{0};  // ticks before a transmission may start a tune again
    // Tick counters of the tune coordination with the transceiver; main loop's thread only
    int32_t tuneTickCount = 0, tuneTickMark = 0;

    // Receive filter in use
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
    // The panel controller's 8-bit reading of the amplifier supply voltage
    std::atomic<uint8_t> supplyAdc{0};
    // Fan tables 0 (normal), 1 and 2, read once before the threads start
    std::vector<config::FanRow> fanTable[3];

    // Band configuration and ADC offsets, read once before the threads start
    std::vector<config::BandConfigRow> bandConfig;
    std::atomic<int32_t> KostPWRIN{0}, KostFORW{0}, KostREFL{0};

    // Error handling
    ErrorList errors;
    std::atomic<uint8_t> protFlags{0}, errorsHeld{0}, resetPhase{0};

    // Frequency and antenna selection
    std::atomic<int32_t> frequency{0}, lastFrequency{0};
    std::atomic<int32_t> antennaRow{0};

    // Remote operation
    std::atomic<int32_t> wsSocket{-1};
    std::atomic<uint8_t> remoteFault{0}, remoteChecked{0};
    OpusEncoder* opusEncoder = nullptr;
    OpusDecoder* opusDecoder = nullptr;
    std::atomic<int32_t> failedThread{0};
    SharedText<100> failedThreadText;
    // Drive power for the maker's transceiver; powerRequest bit 0: send it, bit 1: sent
    std::atomic<int32_t> powerValue{0};
    std::atomic<uint8_t> powerRequest{0};

    // LAN information
    std::atomic<uint8_t> lanCheckRunning{0};
    std::atomic<std::time_t> lanCheckTime{0};

    // Main loop and meters
    std::atomic<int32_t> timerPeriod{0};  // microseconds slept per tick
    std::atomic<uint8_t> redrawRequest{0};
    std::atomic<int32_t> viewBeforeTx{0};  // window to return to after a transmission, -1 none
    std::atomic<std::time_t> lastActivity{0};
    std::atomic<uint8_t> screenSaverOn{0};
    std::atomic<float> needle1Angle{0}, needle2Angle{0}, peak1Angle{0}, peak2Angle{0};
    // Peak values, their hold times in ms and their decrement tick counters
    std::atomic<float> peakFwd{0}, peak2{0};
    std::atomic<int32_t> peakFwdHold{0}, peakFwdCount{0}, peak2Hold{0}, peak2Count{0};
    SharedText<80> clockText;
    std::atomic<std::time_t> clockSecond{0};  // the second clockText shows
    // Second of the last board-temperature reading: the program runs at most once a second.
    std::atomic<std::time_t> cpuTempSecond{0};
    std::atomic<int32_t> catSerialFreq{0};
    std::atomic<uint8_t> tuneFine{0};
    std::atomic<uint8_t> panelFlags{0}, debugOverlay{0};
    std::atomic<uint8_t> useModeRemote{0}, remoteStopped{0};

    // Spectrum plot
    ui::SpectrumGrid grid;                   // main loop's thread only
    ui::SpectrumRecord* spectrum = nullptr;  // owned by main, guarded by serMut
    std::atomic<int32_t> spectrumSpan{0};    // Hz across the grid
};

// The defaults of every field that has one.
void InitGlobalVar(Works& works);

}  // namespace core
