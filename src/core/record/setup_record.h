#pragma once
// Every setting in the text form in which the setup file holds it, one fixed
// slot per key. The enable characters double as the run conditions of the
// optional threads, so they are atomic; the text slots change only while the
// setup is read or saved, under textMutex.
#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>

namespace core {

struct SetupRecord {
    std::atomic<char> EnableKeyb{'1'}, EnableSpi{'1'}, EnableTouch{'1'}, DelayedTouch{'1'}, EnableGPIO{'1'},
        EnableRead{'1'}, EnableWrite{'1'}, EnableCAT{'1'}, EnableLinear{'1'}, EnableTime{'1'}, WebSocket{'1'};
    char Pitch[10]{}, Quality[4]{}, AudioIn[20]{}, InChannels[2]{}, AudioCompress[10]{}, AudioOut[20]{},
        Server[16]{}, CatPort[13]{}, SerPort[13]{}, LinPort[13]{};
    std::atomic<char> NumAntenna{'1'}, EnablePwrPeak{'1'}, TempMode{'1'}, FreqSensIn{'1'};
    char FreqPeriodTime[5]{};
    std::atomic<char> AttenuatorTune{'1'};
    char SWRescAutoTune[6]{};
    std::atomic<char> ViewTimeStr{'1'}, ViewTemp{'1'};
    char MaxTemperature[6]{}, MaxTemperature2[6]{};
    std::atomic<char> AutoTuneMaxCicli{'1'}, PowerUnits{'1'}, SaveScreenIdx{'1'}, AutoTuneMode{'1'},
        EnableFFT{'1'};
    char Divide[3]{}, MaxTempAllowed[6]{}, MaxTempAllowed2[6]{}, PSpar1[6]{}, PSpar2[6]{};
    std::atomic<char> Isteresi1{'1'}, Isteresi2{'1'};
    char PSpar3[6]{}, PSpar4[6]{}, OffsetPlot[6]{}, RefLevelPlot[6]{}, RefPosPlot[6]{}, PointDivPlot[6]{},
        CatSerialPort[13]{}, TUNEenabled[4]{}, NumBanco[4]{}, GMpar1[6]{}, GMpar2[6]{}, Peak_media[6]{},
        Peak_ValDec[6]{}, Peak_TimeDec[6]{}, Peak_Time[6]{}, MAXbank[4]{}, BTN_longpress_Time[6]{};
    std::atomic<char> EnableDebug{'1'}, Enable1600{'1'}, EnableLOGTemp{'1'};
    char AudioBuffers[6]{};
    std::atomic<char> AutoTuneTipo{'1'};
    char CPUTempVentola[6]{}, CPUPercVentola[6]{};
    std::atomic<float> ChunkTime{0.0f}, BufferingTime{0.0f};
    std::atomic<char> FANmode{'1'}, ViewType{'1'}, ViewTX{'1'};

    // Slots without a key: set from the interface type of the bank, and the
    // source of the remote spectrum.
    std::atomic<char> enaser{'1'}, enaCatSer{'1'}, enaUsbFFT{'1'};

    mutable std::mutex textMutex;

    // A copy of a text slot, safe against a concurrent save.
    template <std::size_t N>
    [[nodiscard]] std::string text(const char (&slot)[N]) const {
        std::lock_guard lock(textMutex);
        return std::string(slot, strnlen(slot, N));
    }
};

}  // namespace core
