#include "amp/thermal.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "amp/measurements.h"
#include "amp/startup_commands.h"
#include "config/text_lines.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "core/status_bits.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace amp {
namespace {

// The main loop keeps the same clock text for the screen.
std::string clockText(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[80];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// my_temp runs on every tick: a failure is logged when it starts, not each time.
void reportCpuTempFault(core::AmpRecord& works, const char* what) {
    if (works.cpuTempFault.exchange(1) != 0) return;
    platform::logError("%s, CPU temperatures kept at %.1f and %.1f", what,
                       static_cast<double>(works.cpuTemp.load()), static_cast<double>(works.cpuTemp2.load()));
}

// A heat sink's alarm in words, for a person reading the log.
void logTemperatureProtection(int alarmCode, const char* what, float temperature, float limit) {
    const int sensor = alarmCode == core::err::Temp1Alarm ? 1 : 2;
    platform::event("protection %s: heat sink %d at %.1f °C, limit %.1f °C (%d-High temperature)", what,
                    sensor, static_cast<double>(temperature), static_cast<double>(limit), sensor);
}

}  // namespace

void AttivaDisattivaProtezione(core::AmpRecord& works, int on) {
    if (on == 1) {
        IncPNTIn_CMDLinear(core::cmd::ProtectionOn, works);
        IncPNTIn_CMDLinear(core::cmd::PadsIn, works);
        platform::trace("PROTEZIONE ON -------------\n");
    } else {
        IncPNTIn_CMDLinear(core::cmd::ProtectionOff, works);
        platform::trace("PROTEZIONE OFF -------------\n");
    }
}

void GestTemperatureFunction(core::AmpRecord& works, int alarmCode, int endCode, int warnCode,
                             float temperature, float limit) {
    if (works.errorsHeld & core::errorsHeld::Held) return;
    float warningFrom = limit - static_cast<float>(works.Isteresi1.load());
    if (temperature > limit) {
        if (core::ExistError(works, alarmCode)) return;
        core::DeleteErrore(works, warnCode);
        core::DeleteErrore(works, endCode);
        core::AddErrore(works, alarmCode);
        AttivaDisattivaProtezione(works, 1);
        if (works.EnableLOGTemp == 1) {
            LogTempFunction(works, 1);
            works.logStarted = 0;
        }
        IncPNTIn_CMDLinear(core::cmd::LeaveBypass, works);
        platform::trace("!!!!  TEMP ALLARM: %02.02f (%i)\n", static_cast<double>(temperature), alarmCode);
        logTemperatureProtection(alarmCode, "raised", temperature, limit);
        return;
    }
    if (temperature < warningFrom) {
        if (core::ExistError(works, alarmCode)) {
            core::DeleteErrore(works, alarmCode);
            IncPNTIn_CMDLinear(core::cmd::Bypass, works);
            core::AddErrore(works, endCode);
            platform::trace("!!!! END TEMPERATURE ERROR (%i)\n", endCode);
            logTemperatureProtection(alarmCode, "cleared", temperature, limit);
        }
        if (core::ExistError(works, warnCode)) {
            core::DeleteErrore(works, warnCode);
            platform::trace("!!!! WARNING: Warning Temperatura Rientrato!! (%i)\n", warnCode);
        }
        return;
    }
    if (!core::ExistError(works, alarmCode) && !core::ExistError(works, warnCode)) {
        core::AddErrore(works, warnCode);
        platform::trace("!!!! WARNING: Quasi in Temperatura!! (%i)\n", warnCode);
    }
}

CpuTemperatures parseMyTemp(std::string_view output) {
    constexpr size_t kFirstLine = 31;
    constexpr size_t kSecondFrom = 5, kSecondLength = 4;
    CpuTemperatures temperatures;
    temperatures.board = config::leadingFloat(config::takeLine(output).substr(0, kFirstLine));
    std::string_view second = config::takeLine(output);
    if (second.size() > kSecondFrom)
        temperatures.second = config::leadingFloat(second.substr(kSecondFrom, kSecondLength));
    return temperatures;
}

void ReadCPUTemp(core::AmpRecord& works) {
    std::optional<std::string> output = works.platform->system().boardTemperatureReport();
    if (!output) return reportCpuTempFault(works, "can't run my_temp");
    CpuTemperatures temperatures = parseMyTemp(*output);
    if (temperatures.board) works.cpuTemp = *temperatures.board;
    if (temperatures.second) works.cpuTemp2 = *temperatures.second;
    if (!temperatures.board || !temperatures.second)
        return reportCpuTempFault(works, "my_temp printed no temperature");
    works.cpuTempFault = 0;
}

std::string formatTempLogLine(core::AmpRecord& works, std::string_view clock, int mode) {
    float volts = CalvTensVadcAmp(works, works.tinyResult3);
    double amperes = static_cast<double>(works.currentRaw.load()) / 4096 * 14.05;
    char values[160];
    std::snprintf(values, sizeof values, "%04.01f,%04.01f,%02.01fW,%03.02f,%04.01fV,%04.01fA",
                  static_cast<double>(works.temperature1.load()),
                  static_cast<double>(works.temperature2.load()), static_cast<double>(works.powerFwd.load()),
                  static_cast<double>(works.swr.load()), static_cast<double>(volts), amperes);
    std::string line(clock);
    line += (works.ampStatus & core::ampStatus::Transmitting) ? " , 1," : " , 0,";
    line += values;
    line += mode == 1 ? " -> protezione attiva\n" : "\n";
    return line;
}

void LogTempFunction(core::AmpRecord& works, int mode) {
    platform::FileStore& files = works.platform->files();
    // The store logs its failures; a failed line is simply missing from the log.
    if (mode == -1) {
        (void)files.remove(kTempLogPath);
        return;
    }
    const std::string line = formatTempLogLine(works, clockText(works.platform->clock().wallTime()), mode);
    (void)files.append(kTempLogPath, kTempLogHeader, line);
}

}  // namespace amp
