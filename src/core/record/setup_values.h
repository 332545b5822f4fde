#pragma once
// Values of the setup file that the subsystems use in their working form.
#include <atomic>
#include <cstdint>

#include "core/shared_text.h"

namespace core {

struct SetupValues {
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
    std::atomic<int32_t> mainWindow{0};  // the window the panel shows, 1 to 5
    // Meter peak hold and key timing
    std::atomic<int32_t> fattoremedia{0}, PeakDecrementTime{0}, TimerPeakSec{0};
    std::atomic<double> PeakDecrement{0}, TIME_LONG_PRESS{0};
    std::atomic<int32_t> number_ofStep_meter_FWD{0}, number_ofStep_meter_REFL{0}, number_ofStep_meter_SWR{0},
        number_ofStep_meter_PW{0};
};

}  // namespace core
