#include "amp/fan_control.h"

#include <algorithm>

#include "amp/fan_table.h"
#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/record/amp_record.h"
#include "platform/log.h"

namespace amp {
namespace {

// Below the first row the first row's percent applies; each row holds from
// its temperature up to the next row's.
int32_t percentFor(const std::vector<core::FanRow>& table, float temperature) {
    int32_t percent = table.front().percent;
    for (size_t i = 0; i + 1 < table.size(); ++i)
        if (table[i].temperature <= temperature && temperature < table[i + 1].temperature)
            return table[i].percent;
    if (table.back().temperature <= temperature) percent = table.back().percent;
    return percent;
}

// A higher speed goes out at once; a lower one only once the temperature has
// fallen the hysteresis below the row that set the present speed. A present
// speed that is in no row (the start-up 100 % with a table that never asks
// for it) has no such row, so the lower speed goes out at once.
bool mayLower(const std::vector<core::FanRow>& table, int32_t active, float hysteresis, float temperature) {
    bool inTable = std::any_of(table.begin(), table.end(),
                               [&](const core::FanRow& row) { return row.percent == active; });
    if (!inTable) return true;
    return SearchTemperatureFromVentola(active, table) - hysteresis > temperature;
}

void heatSinkFan(core::AmpRecord& works, const std::vector<core::FanRow>& table, float temperature) {
    int32_t speed = percentFor(table, temperature);
    works.fanSpeed = speed;
    int32_t active = works.fanSpeedActive;
    bool force = works.fanForce != 0;
    if (speed == active && !force) return;
    float hysteresis = static_cast<float>(works.Isteresi2.load());
    if (speed <= active && !force && !mayLower(table, active, hysteresis, temperature)) return;
    IncPNTIn_CMDLinear(core::cmd::Fan, works);
    works.fanCmdPending = 1;
    works.fanSpeedActive = speed;
    if (speed == 0) works.fanSpeedCpuActive = 0;
    platform::trace("--->1 VENTOLA: %d (%02.02f°C)\n", speed, static_cast<double>(temperature));
    works.fanForce = 0;
}

void cpuFan(core::AmpRecord& works) {
    float temperature = std::max(works.cpuTemp.load(), works.cpuTemp2.load());
    float threshold = static_cast<float>(works.CPUTempVentola.load());
    int32_t speed = threshold <= temperature ? works.CPUPercVentola.load() : 0;
    works.fanSpeedCpu = speed;
    int32_t active = works.fanSpeedCpuActive;
    if (speed == active) return;
    if (speed < active && !(threshold - static_cast<float>(works.Isteresi2.load()) > temperature)) return;
    IncPNTIn_CMDLinear(core::cmd::CpuFan, works);
    works.fanSpeedCpuActive = speed;
    platform::trace("--->2 VENTOLA CPU: %d (%02.02f°C)\n", speed, static_cast<double>(temperature));
}

}  // namespace

float SearchTemperatureFromVentola(int32_t speed, const std::vector<core::FanRow>& table) {
    auto row =
        std::find_if(table.begin(), table.end(), [&](const core::FanRow& r) { return r.percent == speed; });
    return row == table.end() ? 0.0f : row->temperature;
}

void searchPercentVentola(core::AmpRecord& works) {
    if (works.initDone == 0 || works.fanCmdPending == 1) return;
    // The fan command knows modes 0 to 2; any other value runs the normal table.
    uint8_t mode = works.FANmode;
    const std::vector<core::FanRow>& table = works.fanTable[mode < kFanTables ? mode : 0];
    // A table without rows names no speed: the fan keeps the one it has.
    if (!table.empty())
        heatSinkFan(works, table, std::max(works.temperature1.load(), works.temperature2.load()));
    if (works.fanSpeedActive == 0) cpuFan(works);
}

}  // namespace amp
