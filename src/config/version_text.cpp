#include "config/version_text.h"

#include <algorithm>
#include <cstdlib>

#include "config/text_lines.h"

namespace config {
namespace {

// atoi of the characters [from, from + count) that the text holds.
int32_t numberAt(std::string_view text, size_t from, size_t count) {
    if (from >= text.size()) return 0;
    return std::atoi(std::string(text.substr(from, count)).c_str());
}

// The update scripts' lines are read up to this length, as their reader's buffer holds.
constexpr size_t kScriptLine = 127;

}  // namespace

Version versionOf(std::string_view text, size_t window) {
    const size_t dot = text.substr(0, window).find('.');
    if (dot == std::string_view::npos) return {numberAt(text, 0, std::min(window, text.size())), 0};
    return {numberAt(text, 0, dot), numberAt(text, dot + 1, text.size())};
}

bool newerVersion(const Version& offered, const Version& installed) {
    return offered.major > installed.major ||
           (offered.major == installed.major && offered.minor > installed.minor);
}

UpdateOffer updateOfferOf(std::string_view versionsLine, std::string_view swVersion,
                          std::string_view fwVersion) {
    Version software{numberAt(versionsLine, 0, 2), numberAt(versionsLine, 3, 3)};
    // The status program writes software major 1 as 10.
    if (software.major == 10) software.major = 1;
    const size_t firmwareAt = std::min(versionsLine.find_first_not_of(' ', 6), versionsLine.size());
    UpdateOffer offer;
    offer.firmware = {numberAt(versionsLine, firmwareAt, 3), numberAt(versionsLine, firmwareAt + 4, 3)};
    const Version installedSoftware{numberAt(swVersion, 0, 2), numberAt(swVersion, 3, 3)};
    const Version installedFirmware{numberAt(fwVersion, 0, 3), numberAt(fwVersion, 4, 3)};
    if (newerVersion(software, installedSoftware))
        offer.updateAvailable = newerVersion(offer.firmware, installedFirmware) ? 2 : 1;
    return offer;
}

bool connectionUp(std::string_view statusLine) {
    return !statusLine.starts_with("No");
}

ScriptVerdict scriptVerdictOf(std::string_view output) {
    ScriptVerdict verdict;
    std::string_view previous;
    while (!output.empty()) {
        const std::string_view line = takeLine(output).substr(0, kScriptLine);
        if (line.starts_with("ALLOK")) return {0, verdict.errorText};
        if (line.starts_with("QELTE")) {
            verdict.errorText = previous;
            // A failure line without a code still is a failure.
            const int32_t code = numberAt(line, 10, line.size());
            verdict.result = code != 0 ? code : -1;
        }
        previous = line;
    }
    return verdict;
}

}  // namespace config
