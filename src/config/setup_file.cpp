#include "config/setup_file.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "config/text_lines.h"
#include "core/record/amp_record.h"
#include "platform/log.h"

namespace config {
namespace {

using core::AmpRecord;
using core::SetupRecord;
using CharSlot = std::atomic<char> SetupRecord::*;
template <std::size_t N>
using TextSlot = char (SetupRecord::*)[N];
using FloatSlot = std::atomic<float> SetupRecord::*;

// One key of the file: what initSetup puts in its slot, how a value read from
// the file lands in slot and field, the value text a save writes (refreshing
// the slot from the field first) and the line logged after a read.
struct SetupKey {
    const char* name;
    std::function<void(SetupRecord&)> reset;
    std::function<void(AmpRecord&, std::string_view)> read;
    std::function<std::string(AmpRecord&)> write;
    std::function<void(AmpRecord&)> log;
};

// A value that does not fit its slot is cut rather than spilling over.
std::string_view fitted(const char* name, std::string_view value, std::size_t capacity) {
    if (value.size() < capacity) return value;
    platform::logError("setup value of %s too long, cut to %d characters", name,
                       static_cast<int>(capacity - 1));
    return value.substr(0, capacity - 1);
}

template <std::size_t Capacity>
constexpr std::size_t capacityOf(const core::SharedText<Capacity>&) {
    return Capacity;
}

// The value must already fit.
template <std::size_t N>
void storeText(char (&slot)[N], std::string_view value) {
    std::fill(std::copy(value.begin(), value.end(), slot), slot + N, '\0');
}

template <std::size_t N>
std::string_view slotText(const char (&slot)[N]) {
    return {slot, strnlen(slot, N)};
}

void keepDefault(const char* name, const char* reason) {
    platform::logError("setup value of %s %s, default kept", name, reason);
}

// As "%d" reads: leading blanks and a sign, then digits; what follows is ignored.
std::optional<long> leadingNumber(std::string_view text) {
    std::string terminated(text);
    char* end = nullptr;
    long value = std::strtol(terminated.c_str(), &end, 10);
    if (end == terminated.c_str()) return std::nullopt;
    return value;
}

// The whole part of a value bound for an int32 field; nothing when it has none.
std::optional<int32_t> wholePart(double value) {
    if (!(std::fabs(value) < 2147483648.0)) return std::nullopt;
    return static_cast<int32_t>(value);
}

SetupKey charKey(const char* name, CharSlot slot, char initial) {
    return {name, [=](SetupRecord& setup) { setup.*slot = initial; },
            [=](AmpRecord& works, std::string_view value) {
                if (!value.empty()) works.setup->*slot = value.front();
            },
            [=](AmpRecord& works) { return std::string(1, (works.setup->*slot).load()); },
            [=](AmpRecord& works) { platform::logInfo("%s: -%c-", name, (works.setup->*slot).load()); }};
}

// The field holds the character less zero: '0', or '1' where a one-based
// character selects a zero-based index.
template <typename T>
SetupKey charFieldKey(const char* name, CharSlot slot, char initial, std::atomic<T> core::SetupValues::*field,
                      char zero = '0') {
    SetupKey key = charKey(name, slot, initial);
    key.read = [=](AmpRecord& works, std::string_view value) {
        if (value.empty()) return;
        works.setup->*slot = value.front();
        works.*field = static_cast<T>(value.front() - zero);
    };
    key.write = [=](AmpRecord& works) {
        char character = static_cast<char>((works.*field).load() + zero);
        works.setup->*slot = character;
        return std::string(1, character);
    };
    return key;
}

SetupKey afterRead(SetupKey key, std::function<void(AmpRecord&)> then) {
    key.read = [read = key.read, then](AmpRecord& works, std::string_view value) {
        read(works, value);
        then(works);
    };
    return key;
}

template <std::size_t N>
SetupKey textKey(const char* name, TextSlot<N> slot, const char* initial) {
    return {name, [=](SetupRecord& setup) { storeText(setup.*slot, initial); },
            [=](AmpRecord& works, std::string_view value) {
                storeText(works.setup->*slot, fitted(name, value, N));
            },
            [=](AmpRecord& works) { return std::string(slotText(works.setup->*slot)); },
            [=](AmpRecord& works) { platform::logInfo("%s: -%s-", name, works.setup->*slot); }};
}

using Store = std::function<void(AmpRecord&, long)>;
using FileValue = std::function<long(const AmpRecord&)>;

// A decimal kept as text in its slot. The slot holds the file's text until
// the next save rewrites it from the field.
template <std::size_t N>
SetupKey numberKey(const char* name, TextSlot<N> slot, Store store, FileValue fileValue) {
    return {name, [=](SetupRecord& setup) { storeText(setup.*slot, ""); },
            [=](AmpRecord& works, std::string_view value) {
                std::string_view text = fitted(name, value, N);
                std::optional<long> number = leadingNumber(text);
                if (!number) return keepDefault(name, "holds no number");
                storeText(works.setup->*slot, text);
                store(works, *number);
            },
            [=](AmpRecord& works) {
                std::string text = std::to_string(fileValue(works));
                storeText(works.setup->*slot, fitted(name, text, N));
                return std::string(slotText(works.setup->*slot));
            },
            [=](AmpRecord& works) { platform::logInfo("%s: -%ld-", name, fileValue(works)); }};
}

template <typename T>
Store into(std::atomic<T> core::SetupValues::*field) {
    return [field](AmpRecord& works, long number) { works.*field = static_cast<T>(number); };
}

template <typename T>
FileValue from(std::atomic<T> core::SetupValues::*field) {
    return [field](const AmpRecord& works) { return static_cast<long>((works.*field).load()); };
}

template <std::size_t N, typename T>
SetupKey intKey(const char* name, TextSlot<N> slot, std::atomic<T> core::SetupValues::*field) {
    return numberKey(name, slot, into(field), from(field));
}

// The file holds hundredths or tenths of the field's unit. Scaling back
// rounds to nearest: 0.53 kept in a float is 0.5299999, which truncation
// would write back as 52.
template <typename T>
Store intoScaled(std::atomic<T> core::SetupValues::*field, double divisor) {
    return [=](AmpRecord& works, long number) {
        works.*field = static_cast<T>(static_cast<double>(number) / divisor);
    };
}

template <typename T>
FileValue fromScaled(std::atomic<T> core::SetupValues::*field, double factor) {
    return [=](const AmpRecord& works) {
        return std::lround(static_cast<double>((works.*field).load()) * factor);
    };
}

template <std::size_t N, typename T>
SetupKey tenthsKey(const char* name, TextSlot<N> slot, std::atomic<T> core::SetupValues::*field) {
    return numberKey(name, slot, intoScaled(field, 10.0), fromScaled(field, 10.0));
}

// Keys whose line is written from the field itself rather than from the slot.
template <typename T>
SetupKey lineFromField(SetupKey key, std::atomic<T> core::SetupValues::*field) {
    key.write = [refresh = key.write, field](AmpRecord& works) {
        refresh(works);
        return std::to_string((works.*field).load());
    };
    return key;
}

// derive checks the value against what depends on it and stores that; false
// when the value cannot be used.
SetupKey floatKey(const char* name, FloatSlot slot, float initial,
                  std::function<bool(AmpRecord&, float)> derive) {
    return {name, [=](SetupRecord& setup) { setup.*slot = initial; },
            [=](AmpRecord& works, std::string_view value) {
                std::optional<float> number = leadingFloat(value);
                if (!number) return keepDefault(name, "holds no number");
                if (!derive(works, *number)) return keepDefault(name, "out of range");
                works.setup->*slot = *number;
            },
            [=](AmpRecord& works) {
                char text[64];
                std::snprintf(text, sizeof text, "%f", static_cast<double>((works.setup->*slot).load()));
                return std::string(text);
            },
            [=](AmpRecord& works) {
                platform::logInfo("%s: -%f-", name, static_cast<double>((works.setup->*slot).load()));
            }};
}

SetupKey passphraseKey() {
    return {"Passphrase", [](SetupRecord&) {},
            [](AmpRecord& works, std::string_view value) {
                works.Passphrase.set(fitted("Passphrase", value, capacityOf(works.Passphrase)));
            },
            [](AmpRecord& works) { return works.Passphrase.get(); },
            [](AmpRecord& works) {
                platform::logInfo("Passphrase: -%s-", platform::maskedSecret(works.Passphrase.get()).c_str());
            }};
}

SetupKey serverKey() {
    SetupKey key = afterRead(textKey("Server", &SetupRecord::Server, "127.0.0.1"),
                             [](AmpRecord& works) { works.Server.set(slotText(works.setup->Server)); });
    key.write = [](AmpRecord& works) {
        storeText(works.setup->Server, fitted("Server", works.Server.get(), sizeof works.setup->Server));
        return std::string(slotText(works.setup->Server));
    };
    return key;
}

SetupKey tcpPortKey() {
    return {"TcpPort", [](SetupRecord&) {},
            [](AmpRecord& works, std::string_view value) {
                std::optional<long> number = leadingNumber(value);
                if (!number) return keepDefault("TcpPort", "holds no number");
                works.TcpPort = static_cast<int16_t>(*number);
            },
            [](AmpRecord& works) { return std::to_string(works.TcpPort.load()); },
            [](AmpRecord& works) { platform::logInfo("TcpPort: -%d-", works.TcpPort.load()); }};
}

SetupKey audioCompressKey() {
    Store store = [](AmpRecord& works, long number) {
        works.rxCoding = static_cast<int32_t>(number);
        works.txBitrate = static_cast<int32_t>(number);
    };
    return lineFromField(
        numberKey("AudioCompress", &SetupRecord::AudioCompress, store, from(&AmpRecord::rxCoding)),
        &AmpRecord::rxCoding);
}

SetupKey divideKey() {
    SetupKey key =
        lineFromField(intKey("Divide", &SetupRecord::Divide, &AmpRecord::Divide), &AmpRecord::Divide);
    key.log = [](AmpRecord& works) {
        platform::logInfo("Divide: -%s- -%d-", works.setup->Divide, works.Divide.load());
    };
    return key;
}

SetupKey offsetPlotKey() {
    Store store = [](AmpRecord& works, long number) { works.plotOffset = static_cast<double>(number / 10); };
    return numberKey("OffsetPlot", &SetupRecord::OffsetPlot, store, fromScaled(&AmpRecord::plotOffset, 10.0));
}

SetupKey enableDebugKey() {
    SetupKey key = charFieldKey("EnableDebug", &SetupRecord::EnableDebug, '1', &AmpRecord::EnableDebug);
    key.write = [](AmpRecord& works) {
        uint8_t level = works.EnableDebug;
        char character = level == 2 ? '0' : static_cast<char>(level + '0');
        works.setup->EnableDebug = character;
        return std::string(1, character);
    };
    return key;
}

SetupKey chunkTimeKey() {
    return floatKey("ChunkTime", &SetupRecord::ChunkTime, 10.0f, [](AmpRecord& works, float chunkTime) {
        // Audio frames per chunk at 48 kHz; ChunkTime is in milliseconds.
        std::optional<int32_t> frames = wholePart(static_cast<double>(chunkTime) * 240.0 / 5.0);
        if (!frames) return false;
        works.captureFrames = *frames;
        works.playbackFrames = *frames;
        return true;
    });
}

SetupKey bufferingTimeKey() {
    return floatKey("BufferingTime", &SetupRecord::BufferingTime, 100.0f,
                    [](AmpRecord& works, float bufferingTime) {
                        std::optional<int32_t> chunks =
                            wholePart(static_cast<double>(bufferingTime / works.setup->ChunkTime));
                        if (!chunks) return false;
                        works.bufferChunks = *chunks;
                        return true;
                    });
}

// In the order of the file.
const std::vector<SetupKey>& setupKeys() {
    using S = SetupRecord;
    using W = core::SetupValues;
    static const std::vector<SetupKey> keys = {
        passphraseKey(),
        charKey("EnableKeyb", &S::EnableKeyb, '1'),
        charKey("EnableSpi", &S::EnableSpi, '0'),
        charKey("EnableTouch", &S::EnableTouch, '0'),
        charKey("DelayedTouch", &S::DelayedTouch, '0'),
        charKey("EnableGPIO", &S::EnableGPIO, '1'),
        charKey("EnableRead", &S::EnableRead, '0'),
        charKey("EnableWrite", &S::EnableWrite, '0'),
        charKey("EnableCAT", &S::EnableCAT, '0'),
        charKey("EnableLinear", &S::EnableLinear, '1'),
        charKey("EnableTime", &S::EnableTime, '1'),
        charKey("WebSocket", &S::WebSocket, '1'),
        textKey("Pitch", &S::Pitch, "2500"),
        textKey("Quality", &S::Quality, "100"),
        textKey("AudioIn", &S::AudioIn, "hw:1"),
        textKey("InChannels", &S::InChannels, "2"),
        audioCompressKey(),
        textKey("AudioOut", &S::AudioOut, "hw:1"),
        serverKey(),
        tcpPortKey(),
        textKey("CatPort", &S::CatPort, "/dev/QELTCAT"),
        textKey("SerPort", &S::SerPort, "/dev/QELTSER"),
        textKey("LinPort", &S::LinPort, "/dev/ttyAMA0"),
        charFieldKey("NumAntenna", &S::NumAntenna, '1', &W::NumAntenna, '1'),
        charFieldKey("EnablePwrPeak", &S::EnablePwrPeak, '0', &W::EnablePwrPeak),
        charFieldKey("TempMode", &S::TempMode, '0', &W::TempMode),
        charFieldKey("FreqSensIn", &S::FreqSensIn, '0', &W::FreqSensIn),
        intKey("FreqPeriodTime", &S::FreqPeriodTime, &W::FreqPeriodTime),
        charFieldKey("AttenuatorTune", &S::AttenuatorTune, '0', &W::AttenuatorTune),
        numberKey("SWRescAutoTune", &S::SWRescAutoTune, intoScaled(&W::SWRescAutoTune, 100.0),
                  fromScaled(&W::SWRescAutoTune, 100.0)),
        charFieldKey("ViewTimeStr", &S::ViewTimeStr, '0', &W::ViewTimeStr),
        charFieldKey("ViewTemp", &S::ViewTemp, '0', &W::ViewTemp),
        tenthsKey("MaxTemperature", &S::MaxTemperature, &W::MaxTemperature),
        tenthsKey("MaxTemperature2", &S::MaxTemperature2, &W::MaxTemperature2),
        charFieldKey("AutoTuneMaxCicli", &S::AutoTuneMaxCicli, '0', &W::AutoTuneMaxCicli),
        charFieldKey("PowerUnits", &S::PowerUnits, '0', &W::PowerUnits),
        charFieldKey("SaveScreenIdx", &S::SaveScreenIdx, '1', &W::SaveScreenIdx),
        charFieldKey("AutoTuneMode", &S::AutoTuneMode, '0', &W::AutoTuneMode),
        afterRead(charKey("EnableFFT", &S::EnableFFT, '0'),
                  [](AmpRecord& works) { works.setup->enaUsbFFT = works.setup->EnableFFT.load(); }),
        divideKey(),
        intKey("MaxTempAllowed", &S::MaxTempAllowed, &W::MaxTempAllowed),
        intKey("MaxTempAllowed2", &S::MaxTempAllowed2, &W::MaxTempAllowed2),
        intKey("PSpar1", &S::PSpar1, &W::PSpar1),
        intKey("PSpar2", &S::PSpar2, &W::PSpar2),
        charFieldKey("Isteresi1", &S::Isteresi1, '3', &W::Isteresi1),
        charFieldKey("Isteresi2", &S::Isteresi2, '3', &W::Isteresi2),
        intKey("PSpar3", &S::PSpar3, &W::PSpar3),
        intKey("PSpar4", &S::PSpar4, &W::PSpar4),
        offsetPlotKey(),
        intKey("RefLevelPlot", &S::RefLevelPlot, &W::plotRefLevel),
        intKey("RefPosPlot", &S::RefPosPlot, &W::plotRefPos),
        intKey("PointDivPlot", &S::PointDivPlot, &W::plotPointDiv),
        textKey("CatSerialPort", &S::CatSerialPort, "/dev/QELT817"),
        intKey("TUNEenabled", &S::TUNEenabled, &W::TUNEenabled),
        intKey("NumBanco", &S::NumBanco, &W::NumBanco),
        intKey("GMpar1", &S::GMpar1, &W::GMpar1),
        intKey("GMpar2", &S::GMpar2, &W::GMpar2),
        intKey("Peak_media", &S::Peak_media, &W::fattoremedia),
        tenthsKey("Peak_ValDec", &S::Peak_ValDec, &W::PeakDecrement),
        intKey("Peak_TimeDec", &S::Peak_TimeDec, &W::PeakDecrementTime),
        intKey("Peak_Time", &S::Peak_Time, &W::TimerPeakSec),
        intKey("MAXbank", &S::MAXbank, &W::MAXbank),
        tenthsKey("BTN_longpress_Time", &S::BTN_longpress_Time, &W::TIME_LONG_PRESS),
        enableDebugKey(),
        afterRead(charKey("Enable1600", &S::Enable1600, '1'),
                  [](AmpRecord& works) { works.setup->enaUsbFFT = '1'; }),
        charFieldKey("EnableLOGTemp", &S::EnableLOGTemp, '1', &W::EnableLOGTemp),
        intKey("AudioBuffers", &S::AudioBuffers, &W::AudioBuffers),
        charKey("AutoTuneTipo", &S::AutoTuneTipo, '0'),
        intKey("CPUTempVentola", &S::CPUTempVentola, &W::CPUTempVentola),
        intKey("CPUPercVentola", &S::CPUPercVentola, &W::CPUPercVentola),
        chunkTimeKey(),
        bufferingTimeKey(),
        charFieldKey("FANmode", &S::FANmode, '0', &W::FANmode),
        charFieldKey("ViewType", &S::ViewType, '0', &W::mainWindow),
        charFieldKey("ViewTX", &S::ViewTX, '0', &W::viewTx),
    };
    return keys;
}

const SetupKey* findKey(std::string_view name) {
    const auto& keys = setupKeys();
    auto key = std::find_if(keys.begin(), keys.end(), [name](const SetupKey& k) { return name == k.name; });
    return key == keys.end() ? nullptr : &*key;
}

}  // namespace

void resetSetupRecord(SetupRecord& setup) {
    std::lock_guard lock(setup.textMutex);
    for (const SetupKey& key : setupKeys()) key.reset(setup);
    setup.enaser = '1';
    setup.enaCatSer = '1';
    setup.enaUsbFFT = '1';
}

void parseSetup(std::string_view text, AmpRecord& works) {
    std::lock_guard lock(works.setup->textMutex);
    while (!text.empty()) {
        std::string_view line = takeTextLine(text);
        // Keys hold no colon, so the first one ends the key.
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || line.substr(colon + 1, 1) != " ") continue;
        if (const SetupKey* key = findKey(line.substr(0, colon))) key->read(works, line.substr(colon + 2));
    }
}

std::string formatSetup(AmpRecord& works) {
    std::lock_guard lock(works.setup->textMutex);
    std::string text;
    for (const SetupKey& key : setupKeys()) {
        text.append(key.name).append(": ").append(key.write(works)).push_back('\n');
    }
    return text;
}

void logSetup(AmpRecord& works) {
    std::lock_guard lock(works.setup->textMutex);
    for (const SetupKey& key : setupKeys()) {
        key.log(works);
        // FANmode is also announced beside the antenna, ahead of its own place.
        if (std::strcmp(key.name, "NumAntenna") == 0) findKey("FANmode")->log(works);
    }
}

}  // namespace config
