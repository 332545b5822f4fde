// ModifyParameter: the editor's keys on the selected item.
#include <algorithm>
#include <climits>
#include <cmath>

#include "amp/startup_commands.h"
#include "config/last_good_link.h"
#include "config/setup.h"
#include "core/amp_commands.h"
#include "core/flag_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "tuner/factory_default.h"
#include "ui/main_loop.h"
#include "ui/remote_connection.h"
#include "ui/settings_menu.h"
#include "ui/settings_menu_actions.h"
#include "ui/tiny_link.h"

namespace ui {
namespace {

using namespace menuItem;

// Items whose value is a number checked against one bound at a time: their
// left and right keys save the setup without leaving the editor.
bool sideKeySaves(int item) {
    switch (item) {
        case MaxBanks:
        case LongPressTime:
        case PeakReleaseTime:
        case ViewOnTx:
        case RefLevel:
        case RefPosition:
        case PointDiv:
        case PlotOffset:
            return true;
        default:
            return false;
    }
}

// Two-state items and the attenuator cycle: left and right act as plus.
bool sideKeyStepsUp(int item) {
    switch (item) {
        case RxFilters:
        case UseMode:
        case PeakActivation:
        case EnableTune:
        case ForceAttenuator:
        case AtuInstalled:
        case PowersUnit:
        case TemperaturesUnit:
        case FactoryDefault:
        case RemoteService:
        case SoftwareUpdate:
        case FirmwareUpdate:
        case TurnOffHardware:
        case AdvancedDefault:
            return true;
        default:
            return false;
    }
}

// Items a held minus or plus key keeps stepping.
bool repeats(int item) {
    switch (item) {
        case PeakReleaseTime:
        case TargetSwr:
        case RefLevel:
        case RefPosition:
        case PointDiv:
        case PlotOffset:
        case P1AlarmSetPoint:
        case P2AlarmSetPoint:
        case FreqPeriod:
            return true;
        default:
            return false;
    }
}

template <typename T>
void stepWithin(std::atomic<T>& value, int step, int low, int high) {
    value = static_cast<T>(std::clamp(static_cast<int>(value.load()) + step, low, high));
}

// Decimal settings step in whole tenths or hundredths, so that repeated
// steps do not drift off the values the panel shows.
template <typename T>
void stepScaled(std::atomic<T>& value, double scale, int step, int low, int high) {
    const long units = std::lround(static_cast<double>(value.load()) * scale);
    value = static_cast<T>(static_cast<double>(std::clamp(units + step, long{low}, long{high})) / scale);
}

template <typename T>
void toggle(std::atomic<T>& value) {
    value = value != 0 ? 0 : 1;
}

// 1.00 down goes to 0 (no target), 0 up to 1.00; at most 10.00.
void stepTargetSwr(core::Works& works, int direction) {
    long hundredths = std::lround(static_cast<double>(works.SWRescAutoTune.load()) * 100.0);
    if (direction < 0)
        hundredths = hundredths - 1 < 100 ? 0 : hundredths - 1;
    else
        hundredths = hundredths < 100 ? 100 : std::min(hundredths + 1, 1000L);
    works.SWRescAutoTune = static_cast<float>(hundredths) / 100.0f;
}

// 1, 2, 5, 10, 20 points per division.
void stepPointDiv(core::Works& works, int direction) {
    int32_t points = works.plotPointDiv;
    if (direction > 0 && points < 20) {
        points *= 2;
        if (points == 4) points = 5;
    } else if (direction < 0 && points >= 2) {
        points /= 2;
    }
    works.plotPointDiv = points;
}

// The unit without a tuner is a negative value; bit 0 ("Enable Tune") is
// kept either way. Every other bit set (-1 or -2) rather than the sign bit
// alone keeps the value within the four characters the setup file holds.
void toggleAtuInstalled(core::Works& works) {
    const int8_t value = works.TUNEenabled;
    const int8_t tuneBit = static_cast<int8_t>(value & 1);
    works.TUNEenabled = value < 0 ? tuneBit : static_cast<int8_t>(-2 | tuneBit);
    platform::trace("----------> SAVE ATU: 0x%0X\n", static_cast<uint8_t>(works.TUNEenabled.load()));
}

void toggleService(core::Works& works, uint8_t bit) {
    works.serviceFlags.fetch_xor(bit);
}

void step(core::Works& works, int item, int direction) {
    switch (item) {
        case MaxBanks:
            return stepWithin(works.MAXbank, direction, 2, 20);
        case RxFilters:
            return toggle(works.filterModify);
        case UseMode:
            return switchUseMode(works);
        case LongPressTime:
            return stepScaled(works.TIME_LONG_PRESS, 10.0, direction, 3, 50);
        case ScreensaverTimeout: {
            constexpr int kCount = static_cast<int>(std::size(SaveScreenVal));
            const int index = std::clamp(works.SaveScreenIdx.load(), 0, kCount - 1);
            works.SaveScreenIdx = (index + direction + kCount) % kCount;
            return;
        }
        case PeakActivation:
            return toggle(works.EnablePwrPeak);
        case PeakReleaseTime:
            return stepWithin(works.TimerPeakSec, 10 * direction, 0, 5000);
        case EnableTune:
            works.TUNEenabled = static_cast<int8_t>(works.TUNEenabled ^ 1);
            return;
        case ForceAttenuator:
            works.AttenuatorTune = static_cast<uint8_t>((works.AttenuatorTune + 1) % 4);
            return;
        case TargetSwr:
            return stepTargetSwr(works, direction);
        case AutoTuneTimeout:  // the labels run from the longest time down
            return stepWithin(works.AutoTuneMaxCicli, -direction, 0, 4);
        case AtuInstalled:
            return toggleAtuInstalled(works);
        case PowersUnit:
            return toggle(works.PowerUnits);
        case TemperaturesUnit:
            return toggle(works.TempMode);
        case ViewOnTx:
            return stepWithin(works.viewTx, direction, 0, 5);
        case RefLevel:
            return stepWithin(works.plotRefLevel, 10 * direction, -300, 100);
        case RefPosition:
            return stepWithin(works.plotRefPos, direction, 0, 10);
        case PointDiv:
            return stepPointDiv(works, direction);
        case PlotOffset:
            return stepScaled(works.plotOffset, 10.0, direction, -2000, 2000);
        case P1AlarmSetPoint:
        case P2AlarmSetPoint:
            // VerifyTemperature holds them between 20 °C and the amplifier's limits.
            stepScaled(item == P1AlarmSetPoint ? works.MaxTemperature : works.MaxTemperature2, 10.0,
                       direction, INT_MIN, INT_MAX);
            return config::VerifyTemperature(works);
        case FanWorkMode:
            works.FANmode = works.FANmode == 0 ? 1 : 0;
            platform::trace("works->FANmode %i\n", works.FANmode.load());
            return;
        case FreqPeriod:
            // The amplifier's command and the setup file hold four digits.
            return stepWithin(works.FreqPeriodTime, 10 * direction, 10, 9999 / 10 * 10);
        case FactoryDefault:
            return toggle(works.factoryDefaultArmed);
        case RemoteService:
            return toggleService(works, core::serviceFlags::RemoteService);
        case SoftwareUpdate:
            if ((works.serviceFlags & core::serviceFlags::SoftwareUpdateArmed) == 0)
                config::DeleteLastGoodLink(works);
            return toggleService(works, core::serviceFlags::SoftwareUpdateArmed);
        case FirmwareUpdate:
            return toggleService(works, core::serviceFlags::FirmwareUpdateArmed);
        case TurnOffHardware:
            return toggle(works.powerOffArmed);
        case AdvancedDefault:
            return toggle(works.completeDefaultArmed);
        default:
            return;
    }
}

void confirm(core::Works& works, int item) {
    switch (item) {
        case RxFilters:
            if (works.filterModify != 0) {
                works.pageFlags |= core::pageFlags::FilterSettings;
                works.imageName.set("statusB");
                works.redrawRequest = core::redraw::ImageName;
            } else {
                works.pageFlags &= static_cast<uint8_t>(~core::pageFlags::FilterSettings);
                works.redrawRequest = core::redraw::WorkImage;
            }
            return;
        case UseMode:
            return applyUseMode(works);
        case RemotePassword:
            return;
        case FanWorkMode:
            works.fanForce = 1;  // the fan speed is chosen again from the new mode's table
            config::writeSetup(works);
            return;
        case FreqPeriod:
            amp::IncPNTIn_CMDLinear(core::cmd::FrequencySensor, works);
            config::writeSetup(works);
            return;
        case FactoryDefault:
            if (works.factoryDefaultArmed != 0) factoryDefault(works);
            return;
        case RemoteService:
            if ((works.serviceFlags & core::serviceFlags::RemoteService) != 0) {
                platform::trace("Start REMOTE SRV\n");
                RemoteConnection(works);
            }
            return;
        case SoftwareUpdate:
            return confirmSoftwareUpdate(works);
        case FirmwareUpdate:
            return confirmFirmwareUpdate(works);
        case TurnOffHardware:
            if (works.powerOffArmed != 0) works.tempflag_processextREMLOCOFF = kTinyPowerOff;
            return;
        case AdvancedDefault:
            if (works.completeDefaultArmed != 0) completeReset(works);
            return;
        default:
            config::writeSetup(works);
            return;
    }
}

}  // namespace

int ModifyIP(int code, std::atomic<uint8_t> (&octets)[4], int position) {
    position = (position % 4 + 4) % 4;
    switch (code) {
        case editCode::Minus:
            octets[position] = static_cast<uint8_t>(octets[position] - 1);
            return position;
        case editCode::Plus:
            octets[position] = static_cast<uint8_t>(octets[position] + 1);
            return position;
        case editCode::Left:
            return (position + 3) % 4;
        case editCode::Right:
            return (position + 1) % 4;
        default:
            return position;
    }
}

int ModifyParameter(core::Works& works, int code) {
    const int item = works.menuIndex;
    if (item < 0 || item >= kMenuItemCount) return 0;
    if (menuPar[static_cast<size_t>(item)].address) {
        if (code == editCode::Enter) {
            if (works.services->saveLanParam(works) != 0) platform::logError("LAN settings not saved");
            return 0;
        }
        std::atomic<int32_t>& cursor = menuOctetCursor(works, item);
        cursor = ModifyIP(code, menuAddress(works, item), cursor);
        return 0;
    }
    switch (code) {
        case editCode::Enter:
            confirm(works, item);
            return 0;
        case editCode::Left:
        case editCode::Right:
            if (sideKeySaves(item)) {
                config::writeSetup(works);
                return 0;
            }
            if (!sideKeyStepsUp(item)) return 0;
            step(works, item, +1);
            return 0;
        case editCode::Minus:
        case editCode::Plus:
            step(works, item, code == editCode::Minus ? -1 : +1);
            return repeats(item) ? 1 : 0;
        default:
            return 0;
    }
}

}  // namespace ui
