// The menu's items, its cursor, and the value text of every item.
#include <cstdarg>
#include <cstdio>

#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/works.h"
#include "tuner/tune_search.h"
#include "ui/main_loop.h"
#include "ui/printed.h"
#include "ui/settings_menu.h"
#include "ui/status_bar.h"

namespace ui {

const std::array<MenuItem, kMenuItemCount> menuPar{{
    {1, "MEMORY BANKS", "Max Banks Number", true, false},
    {2, "FILTERS", "Rx Filters Settings", true, false},
    {5, "MODALITY", "Use Mode", true, false},
    {6, "MODALITY", "Remote Password", false, false},
    {10, "TIME", "Long Press Time", true, false},
    {11, "TIME", "Screensaver Timeout", true, false},
    {15, "PEAK POWER METER", "Activation", true, false},
    {16, "PEAK POWER METER", "Release Time", true, false},
    {20, "TUNE", "Enable Tune", true, false},
    {21, "TUNE", "Force Attenuator", true, false},
    {22, "TUNE", "Target SWR (0=Off)", true, false},
    {23, "TUNE", "Auto Tune Timeout", true, false},
    {24, "TUNE", "ATU Installed", true, false},
    {30, "MAIN WINDOW", "Powers Unit", true, false},
    {31, "MAIN WINDOW", "Temperatures Unit", true, false},
    {32, "MAIN WINDOW", "View on TX", true, false},
    {40, "PLOT", "Ref Lev", true, false},
    {41, "PLOT", "Ref Pos", true, false},
    {42, "PLOT", "Point Div", true, false},
    {43, "PLOT", "Offset", true, false},
    {50, "LAN", "IP", true, true},
    {51, "LAN", "Subnet", true, true},
    {52, "LAN", "Gateway", true, true},
    {53, "LAN", "DNS", true, true},
    {60, "TEMPERATURE", "P1 Alarm Set Point", true, false},
    {61, "TEMPERATURE", "P2 Alarm Set Point", true, false},
    {65, "FAN CONTROL", "Work Mode", true, false},
    {70, "FREQ", "Period", true, false},
    {90, "SERVICE", "Factory Default", true, false},
    {91, "SERVICE", "Remote Service", true, false},
    {92, "SERVICE", "Software Update (UI)", true, false},
    {93, "SERVICE", "Firmware Update", true, false},
    {94, "SERVICE", "Turn Off Hardware", true, false},
    {95, "SERVICE", "Advanced Default", true, false},
}};

namespace {

const char* onOff(bool on) {
    return on ? "ON" : "OFF";
}

const char* defaultArming(bool armed) {
    return armed ? "Set Default" : "No Default";
}

// An entry of a label table; "" for an index the table does not have.
template <std::size_t N>
const char* entry(const char* const (&labels)[N], int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(N) ? labels[index] : "";
}

std::string dotted(const std::atomic<uint8_t> (&address)[4]) {
    return printed("%i.%i.%i.%i", address[0].load(), address[1].load(), address[2].load(), address[3].load());
}

bool serviceBit(const core::Works& works, uint8_t bit) {
    return (works.serviceFlags & bit) != 0;
}

}  // namespace

std::atomic<uint8_t> (&menuAddress(core::Works& works, int item))[4] {
    switch (item) {
        case menuItem::Subnet:
            return works.NetMask_v;
        case menuItem::Gateway:
            return works.Gateway_v;
        case menuItem::Dns:
            return works.DNS_v;
        default:
            return works.IP_v;
    }
}

std::atomic<int32_t>& menuOctetCursor(core::Works& works, int item) {
    switch (item) {
        case menuItem::Subnet:
            return works.CntNetMask;
        case menuItem::Gateway:
            return works.CntGateway;
        case menuItem::Dns:
            return works.CntDNS;
        default:
            return works.CntIP;
    }
}

void InitMenuNova(core::Works& works) {
    works.menuCount = kMenuItemCount;
    works.menuIndex = 0;
    works.menuSubIndex = 0;
    core::InitErrorDescriptors(works);
}

int visibleMenuItems(const core::Works& works) {
    return works.serviceMode != 0 ? kMenuItemCount : kMenuItemCount - 1;
}

const MenuItem& selectedMenuItem(const core::Works& works) {
    const int index = works.menuIndex;
    return menuPar[static_cast<size_t>(index >= 0 && index < kMenuItemCount ? index : 0)];
}

void moveMenuSelection(core::Works& works, int step) {
    const int count = visibleMenuItems(works);
    works.menuIndex = ((works.menuIndex + step) % count + count) % count;
    works.menuSubIndex = 0;
}

std::string LoadParameterMenu(core::Works& works, int item, int) {
    using namespace menuItem;
    using core::serviceFlags::FirmwareUpdateArmed, core::serviceFlags::SoftwareUpdateArmed;
    switch (item) {
        case MaxBanks:
            return printed("%d", works.MAXbank.load());
        case RxFilters:
            // Its value belongs to its own editor, not to a neighbour's.
            if (works.screenState != 2 || works.menuIndex != RxFilters) return "";
            return works.filterModify != 0 ? "Modify" : "Exit";
        case UseMode:
            return works.useModeRemote != 0 ? "Remote" : "Local";
        case RemotePassword: {
            // An empty pass phrase lets no remote client in: say so rather than show nothing.
            std::string passPhrase = works.Passphrase.get();
            return passPhrase.empty() ? "not set" : passPhrase;
        }
        case LongPressTime:
            return printed("%01.01fsec", works.TIME_LONG_PRESS.load());
        case ScreensaverTimeout:
            return entry(SaveScreenVal, works.SaveScreenIdx);
        case PeakActivation:
            return onOff(works.EnablePwrPeak != 0);
        case PeakReleaseTime:
            return printed("%ims", works.TimerPeakSec.load());
        case EnableTune:
            return onOff((works.TUNEenabled & 1) != 0);
        case ForceAttenuator:
            return printed("%sdB",
                           works.AttenuatorTune < AttVectStr.size() ? AttVectStr[works.AttenuatorTune] : "-");
        case TargetSwr:
            return printed("%02.02f", static_cast<double>(works.SWRescAutoTune.load()));
        case AutoTuneTimeout:
            return entry(tuner::SWRTimeout, works.AutoTuneMaxCicli);
        case AtuInstalled:
            return works.TUNEenabled < 0 ? "No" : "Yes";
        case PowersUnit:
            return works.PowerUnits != 0 ? "dBm" : "Watt";
        case TemperaturesUnit:
            return works.TempMode != 0 ? "Fahrenheit" : "Celsius";
        case ViewOnTx: {
            static constexpr const char* kViews[] = {"Off", "View 1", "View 2", "View 3", "View 4", "View 5"};
            return entry(kViews, works.viewTx);
        }
        case RefLevel:
            return printed("%ddBm", works.plotRefLevel.load());
        case RefPosition:
            return printed("%d", works.plotRefPos.load());
        case PointDiv:
            return printed("%d", works.plotPointDiv.load());
        case PlotOffset:
            return printed("%3.02fdBm", works.plotOffset.load());
        case Ip:
        case Subnet:
        case Gateway:
        case Dns:
            return dotted(menuAddress(works, item));
        case P1AlarmSetPoint:
            return printed("%02.02f°C", static_cast<double>(works.MaxTemperature.load()));
        case P2AlarmSetPoint:
            return printed("%02.02f°C", static_cast<double>(works.MaxTemperature2.load()));
        case FanWorkMode: {
            static constexpr const char* kFanModes[] = {"Hi Perf", "SSB", "DIG"};
            return entry(kFanModes, works.FANmode);
        }
        case FreqPeriod:
            return printed("%dms", works.FreqPeriodTime.load());
        case FactoryDefault:
            return defaultArming(works.factoryDefaultArmed != 0);
        case RemoteService:
            return onOff(serviceBit(works, core::serviceFlags::RemoteService));
        case SoftwareUpdate:
            return onOff(serviceBit(works, SoftwareUpdateArmed));
        case FirmwareUpdate:
            return onOff(serviceBit(works, FirmwareUpdateArmed));
        case TurnOffHardware:
            return onOff(works.powerOffArmed != 0);
        case AdvancedDefault:
            return defaultArming(works.completeDefaultArmed != 0);
        default:
            return "";
    }
}

}  // namespace ui
