#include "net/status_page.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "amp/measurements.h"
#include "config/version_text.h"
#include "core/error_codes.h"
#include "core/flag_bits.h"
#include "core/threads.h"
#include "core/works.h"
#include "ui/text.h"

namespace net {
namespace {

constexpr int kSlot = 8;
constexpr int kLabelX = 5, kValueX = 180;
// From the value column to the screen's right edge: text drawn past it would
// wrap onto the next pixel row, over the labels.
constexpr int kValueWidth = 800 - kValueX;
// Ends a shortened company name.
constexpr const char* kCut = "…";
// The search windows of the version texts' '.'.
constexpr size_t kVersionWindow = 20, kHardwareWindow = 6;
// Amperes of full-scale current reading.
constexpr float kCurrentScale = 14.05f;

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

double fahrenheit(double celsius) {
    return celsius * 9.0 / 5.0 + 32.0;
}

std::string versionRow(const core::Works& works) {
    const config::Version sw = config::versionOf(works.swVersion.get(), kVersionWindow);
    const config::Version fw = config::versionOf(works.fwVersion.get(), kVersionWindow);
    const config::Version hw = config::versionOf(works.hwVersion.get(), kHardwareWindow);
    return printed("SW ver. %i.%i, FW ver. %i.%i, HW ver. %i.%i", sw.major, sw.minor, fw.major, fw.minor,
                   hw.major, hw.minor);
}

// The maker's texts of the amplifier's memory can hold 31 characters each:
// when the row is too long, the company name gives way first, so that the
// serial number, region and power class stay whole.
std::string identityRow(const core::Works& works) {
    const std::string serial = works.serialNumber.get();
    const char* region = works.ampRegionFlag == '1' ? "USA" : "EU";
    const char* power = works.ampModelFlag == '1' ? "120W" : "60W";
    const auto withCompany = [&](const std::string& company) {
        return printed("%s (%s), TYPE: %s, MAXPOWER: %s", serial.c_str(), company.c_str(), region, power);
    };
    const std::string company = works.companyName.get();
    const std::string whole = withCompany(company);
    if (ui::getStringSpace(kSlot, whole.c_str()) <= kValueWidth) return whole;
    const int room = kValueWidth - ui::getStringSpace(kSlot, withCompany(kCut).c_str());
    return withCompany(ui::textThatFits(kSlot, company, room) + kCut);
}

void temperatureRows(const core::Works& works, std::vector<StatusRow>& rows) {
    const double current = works.currentRaw;
    const double amperes = current / 4096.0 * kCurrentScale;
    const double board = works.temperature1, heatSink = works.temperature2;
    const double cpu = works.cpuTemp, gpu = works.cpuTemp2, setPoint = works.MaxTemperature;
    const int fan = works.fanSpeedActive;
    if (works.TempMode == 0) {
        rows.push_back({"TEMPERATURE",
                        printed("Current:%05.01fA (%05.01f), Tbrd:%04.02f°C, Thsk:%04.02f°C", amperes,
                                current, board, heatSink),
                        198});
        rows.push_back({"", printed("CPU:%2.01f°C, GPU:%2.01f°C", cpu, gpu), 220});
        rows.push_back({"", printed("Set Point Alarm %04.02f°C, FAN: %i%%", setPoint, fan), 242});
        return;
    }
    rows.push_back({"TEMPERATURE",
                    printed("Current:%05.01fA (%05.01f), Tbrd:%04.02f°F, Thsk:%04.02f°F", amperes, current,
                            fahrenheit(board), fahrenheit(heatSink)),
                    198});
    rows.push_back({"", printed("CPU:%4.01f°F, GPU:%4.01f°F", fahrenheit(cpu), fahrenheit(gpu)), 220});
    rows.push_back({"", printed("Set Point Alarm %4.01f°F, FAN: %i%%", fahrenheit(setPoint), fan), 242});
}

bool extIoFault(const core::Works& works) {
    const std::vector<int32_t> codes = works.errors.codes();
    return std::find(codes.begin(), codes.end(), core::err::QorLink) != codes.end();
}

}  // namespace

std::vector<StatusRow> statusRows(core::Works& works, const core::QorParams& params) {
    std::vector<StatusRow> rows;
    rows.push_back({"VERSION", versionRow(works), 110});
    rows.push_back({"SN", identityRow(works), 132});
    rows.push_back({"POWER",
                    printed("FWD:%02.01f, RFL:%02.01f , PW:%02.01f, SWR:%02.01f", double{works.powerFwd},
                            double{works.powerRefl}, double{works.powerIn}, double{works.swr}),
                    154});
    const long frequency = works.setup->enaser == '1' ? works.frequency.load() : works.ampFrequency.load();
    rows.push_back(
        {"FREQUENCY",
         printed("%ldHz(%ld)", frequency, static_cast<long>(params[core::qorWord::ActiveFrequency])), 176});
    temperatureRows(works, rows);
    rows.push_back(
        {"LAN", printed("IP:%s, NetMask:%s ", works.IP.get().c_str(), works.NetMask.get().c_str()), 264});
    rows.push_back(
        {"", printed("Gateway:%s, DNS:%s ", works.Gateway.get().c_str(), works.DNS.get().c_str()), 286});
    rows.push_back({"STATUS",
                    printed("State 0x%02x 0x%02x,ES:%d,ER:%d", works.ampStatus0.load(),
                            works.ampStatus.load(), works.retryCount.load(), works.retryTotal.load()),
                    308});
    rows.push_back({"", extIoFault(works) ? "No EXT IO data" : "EXT IO connected", 330});
    rows.push_back({"AMPL",
                    printed("ver. %x, V12: %02.01fV, V15: %02.01fV, Vamp: %02.01fV", works.tinyResult0.load(),
                            double{amp::CalvTensVadcAmp(works, works.tinyResult1)},
                            double{amp::CalvTensVadcAmp(works, works.tinyResult2)},
                            double{amp::CalvTensVadcAmp(works, works.tinyResult3)}),
                    352});
    // Without a pass phrase no remote client can log in: the technician must see why.
    if (works.Passphrase.get().empty())
        rows.push_back({"REMOTE", "Pass phrase not set: remote access closed", 374});
    for (StatusRow& row : rows) row.value = ui::textThatFits(kSlot, row.value, kValueWidth);
    return rows;
}

void ViewStatusInfo(core::Works& works, const core::QorParams& params) {
    if ((works.pageFlags & core::pageFlags::StatusPage) == 0 || works.fb == nullptr) return;
    // The EXT IO row reports the auxiliary link live.
    if (works.setup->enaser == '0') {
        works.setup->enaser = '1';
        core::StartThreadQOR(works);
    }
    for (const StatusRow& row : statusRows(works, params)) {
        if (row.label[0] != '\0') ui::putString(kSlot, kLabelX, row.y, row.label, 255, 255, 255, works.fb);
        ui::putString(kSlot, kValueX, row.y, row.value.c_str(), 255, 255, 255, works.fb);
    }
}

}  // namespace net
