#include "net/lan_info.h"

#include <optional>
#include <string>
#include <vector>

#include "config/text_lines.h"
#include "config/version_text.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace net {
namespace {

// The status program's lines are read up to this length.
constexpr size_t kLine = 31;

}  // namespace

void ReadLANconnection(core::Works& works) {
    works.updateAvailable = 0;
    works.lanStatusText.set("No Conn");
    const std::optional<std::string> report = works.platform->system().lanStatusReport();
    if (!report) {
        platform::logError("can't start my_qelt");
        return;
    }
    std::vector<std::string> lines;
    std::string_view text = *report;
    while (!text.empty()) {
        std::string line(config::takeLine(text).substr(0, kLine));
        // Tabs end the status text as the line end does.
        line = line.substr(0, line.find('\t'));
        lines.push_back(line);
    }
    const std::string versions = lines.empty() ? "" : lines.front();
    if (!lines.empty()) works.lanStatusText.set(lines.back());
    const std::string status = works.lanStatusText.get();
    platform::trace("!!!myqelt: %i %s %s\n", static_cast<int>(lines.size()), versions.c_str(),
                    status.c_str());
    if (!config::connectionUp(status)) return;
    const config::UpdateOffer offer =
        config::updateOfferOf(versions, works.swVersion.get(), works.fwVersion.get());
    works.availFwMajor = offer.firmware.major;
    works.availFwMinor = offer.firmware.minor;
    works.updateAvailable = offer.updateAvailable;
}

void LANInfoThread(core::Works& works) {
    works.lanCheckRunning = 1;
    ReadLANconnection(works);
    works.lanCheckTime = works.platform->clock().wallTime();
    works.lanCheckRunning = 0;
}

}  // namespace net
