#pragma once
// Version texts: the installed versions as the status page shows them, the
// versions the LAN status program offers, and the update scripts' verdicts.
#include <cstdint>
#include <string>
#include <string_view>

namespace config {

struct Version {
    int32_t major = 0, minor = 0;
    friend bool operator==(const Version&, const Version&) = default;
};

// Split at the first '.' within the first `window` characters; without one
// the whole text is the major number and the minor is 0.
[[nodiscard]] Version versionOf(std::string_view text, size_t window);

// higher major, or the same major and a higher minor
[[nodiscard]] bool newerVersion(const Version& offered, const Version& installed);

struct UpdateOffer {
    int32_t updateAvailable = 0;  // 0 nothing newer, 1 software, 2 software and firmware
    Version firmware;             // the firmware version offered
};

// What the status program's versions line offers against the installed
// software ("01.027") and firmware ("001.010") texts. The line holds the
// software major in characters 0-1 and minor in 3-5, blanks from character 6,
// then the firmware's three-digit major, a separator and its three-digit minor.
[[nodiscard]] UpdateOffer updateOfferOf(std::string_view versionsLine, std::string_view swVersion,
                                        std::string_view fwVersion);
// Whether the status line reports a connection, so that the versions are worth comparing.
[[nodiscard]] bool connectionUp(std::string_view statusLine);

struct ScriptVerdict {
    int result = -1;        // 0 "ALLOK", an error code, or -1 without a verdict
    std::string errorText;  // the line before the last "QELTE" line
};

// An update script's output: "ALLOK" ends with success; every "QELTE" line
// records its code (the number from its 11th character) and the line before it.
[[nodiscard]] ScriptVerdict scriptVerdictOf(std::string_view output);

}  // namespace config
