#pragma once
// Thermal protection of the two heat-sink sensors, the board's CPU
// temperature and the optional temperature log /opt/set/LOGtemp.txt. The fan
// control that runs beside the protection is in fan_control.h.
#include <optional>
#include <string>
#include <string_view>

#include "amp/fan_control.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

inline constexpr const char* kTempLogPath = "/opt/set/LOGtemp.txt";
inline constexpr const char* kTempLogHeader = ";TX,Temp1,Temp2,FDD,SWR\n";

// One sensor: warning within Isteresi1 below the limit, alarm above it,
// cooled-down once an alarmed sensor falls below the warning band.
void GestTemperatureFunction(core::AmpRecord& works, int alarmCode, int endCode, int warnCode,
                             float temperature, float limit);
void AttivaDisattivaProtezione(core::AmpRecord& works, int on);

struct CpuTemperatures {
    std::optional<float> board, second;
};
// my_temp prints the board temperature on its first line and a second one in
// characters 5 to 8 of its second line.
[[nodiscard]] CpuTemperatures parseMyTemp(std::string_view output);
void ReadCPUTemp(core::AmpRecord& works);

// Mode 1 marks the line as written at a protection trip.
[[nodiscard]] std::string formatTempLogLine(core::AmpRecord& works, std::string_view clock, int mode);
// Mode -1 deletes the log, 0 adds a line, 1 adds a protection-trip line.
void LogTempFunction(core::AmpRecord& works, int mode);

}  // namespace amp
