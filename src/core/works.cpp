#include "core/works.h"

#include "core/flag_bits.h"

namespace core {

void InitGlobalVar(AmpRecord& part) {
    Works& works = static_cast<Works&>(part);
    works.running = 1;
    works.ampRegionFlag = static_cast<char>(255);
    works.ampModelFlag = static_cast<char>(255);
    works.imageX = 0;
    works.imageY = 0;
    works.mainWindow = 1;

    works.Passphrase.set("");
    works.lanStatusText.set("No Conn");
    works.updateErrorText.set("0");
    works.Server.set("127.0.0.1");
    works.TcpPort = 6666;
    works.rxCoding = 30000;
    works.txBitrate = 30000;
    works.captureFrames = 240;
    works.playbackFrames = 240;
    works.audioChannels = 2;
    works.sampleRate = 48000;
    works.NumAntenna = 0;
    works.EnablePwrPeak = 0;
    works.FreqPeriodTime = 10;
    works.ViewTimeStr = 0;
    works.ViewTemp = 0;
    works.MaxTemperature = 70.0f;
    works.MaxTemperature2 = 80.0f;
    works.Divide = 4;
    works.MaxTempAllowed = 75;
    works.MaxTempAllowed2 = 85;
    works.PSpar1 = 1;
    works.PSpar2 = 1000;
    works.GMpar1 = 2;
    works.GMpar2 = 100;
    works.Isteresi1 = 3;
    works.Isteresi2 = 1;
    works.CPUTempVentola = 80;
    works.CPUPercVentola = 70;
    works.plotRefLevel = 0;
    works.plotRefPos = 10;
    works.plotPointDiv = 10;
    works.NumBanco = 0;
    works.MAXbank = 3;
    works.EnableDebug = 0;
    works.EnableLOGTemp = 0;
    works.FANmode = 0;
    works.AudioBuffers = 20;
    works.viewTx = 0;
    works.ModeWorkIdx = -1;

    works.fattoremedia = 2;
    works.PeakDecrement = 1.0;
    works.PeakDecrementTime = 1;
    works.TimerPeakSec = 3000;
    works.TIME_LONG_PRESS = 0.5;
    works.number_ofStep_meter_FWD = 60;
    works.number_ofStep_meter_REFL = 60;
    works.number_ofStep_meter_SWR = 60;
    works.number_ofStep_meter_PW = 60;

    works.tinyCommand = 176;
    works.bypass = 1;
    works.ampThresholds[0] = 4095;
    works.ampThresholds[1] = 4095;
    works.ampThresholds[2] = 1500;
    works.ampThresholds[3] = 3700;
    works.thresholdRow = kThresholdsUnsent;
    works.errorsHeld = errorsHeld::Held;

    works.frequency = 14070000;
    works.lastFrequency = 14070000;

    works.timerPeriod = 40000;
    works.viewBeforeTx = -1;
}

}  // namespace core
