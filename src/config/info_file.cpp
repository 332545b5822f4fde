#include "config/info_file.h"

#include "core/record/amp_record.h"
#include "platform/platform.h"

namespace config {
namespace {

// Before the amplifier has reported its model the flags hold neither
// character; the file then says so rather than guessing.
constexpr const char* kUnknown = "---";

const char* regionText(char flag) {
    return flag == '0' ? "EU" : flag == '1' ? "USA" : kUnknown;
}

const char* powerText(char flag) {
    return flag == '0' ? "60W" : flag == '1' ? "120W" : kUnknown;
}

}  // namespace

std::string formatInfoFile(core::AmpRecord& works) {
    std::string text;
    text += "SW ver. " + works.swVersion.get() + "\n";
    text += "FW ver. " + works.fwVersion.get() + "\n";
    text += "HW ver. " + works.hwVersion.get() + "\n";
    text += "Serial Number: " + works.serialNumber.get() + " \n";
    text += "Company: " + works.companyName.get() + "\n";
    text += std::string("TYPE: ") + regionText(works.ampRegionFlag) + "\n";
    text += std::string("MAXPOWER: ") + powerText(works.ampModelFlag) + "\n";
    return text;
}

void WrInfoFile(core::AmpRecord& works) {
    // The save replaces the old file in one rename, so no separate removal is
    // needed, and a failed write leaves the previous file in place.
    (void)works.platform->files().save(kInfoPath, formatInfoFile(works));
}

}  // namespace config
