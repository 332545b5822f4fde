#include "config/config_offset_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

#include "config/text_lines.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {
namespace {

// As "%i" reads: decimal, 0x hexadecimal or leading-0 octal.
std::optional<int32_t> integerAnyBase(std::string_view text) {
    std::string terminated(text);
    char* end = nullptr;
    long value = std::strtol(terminated.c_str(), &end, 0);
    if (end == terminated.c_str()) return std::nullopt;
    return static_cast<int32_t>(
        std::clamp<long>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool startsWith(std::string_view line, std::string_view key) {
    return line.substr(0, key.size()) == key;
}

}  // namespace

ConfigOffsetValues parseConfigOffset(std::string_view text) {
    ConfigOffsetValues values;
    while (!text.empty()) {
        std::string_view line = takeTextLine(text);
        for (auto [key, value] : {std::pair{std::string_view("KostPWRIN: "), &values.pwrIn},
                                  std::pair{std::string_view("KostFORW: "), &values.forw},
                                  std::pair{std::string_view("KostREFL: "), &values.refl}}) {
            if (!startsWith(line, key)) continue;
            if (auto number = integerAnyBase(line.substr(key.size()))) *value = number;
        }
    }
    return values;
}

std::string formatConfigOffset(int32_t pwrIn, int32_t forw, int32_t refl) {
    char text[100];
    std::snprintf(text, sizeof text, "KostPWRIN: %i\nKostFORW: %i\nKostREFL: %i\n", pwrIn, forw, refl);
    return text;
}

void LoadConfigOffsetFile(core::AmpRecord& works) {
    std::optional<std::string> text = works.platform->files().read(kConfigOffsetPath);
    if (!text) {
        works.KostPWRIN = 150;
        works.KostFORW = 140;
        works.KostREFL = 100;
        writeConfigOffset(works);
        return;
    }
    ConfigOffsetValues values = parseConfigOffset(*text);
    if (values.pwrIn) {
        works.KostPWRIN = *values.pwrIn;
        platform::trace("************ KostPWRIN: %i\n", *values.pwrIn);
    }
    if (values.forw) {
        works.KostFORW = *values.forw;
        platform::trace("************ KostFORW: %i\n", *values.forw);
    }
    if (values.refl) {
        works.KostREFL = *values.refl;
        platform::trace("************ KostREFL: %i\n", *values.refl);
    }
}

void writeConfigOffset(core::AmpRecord& works) {
    // The store logs a failed save and leaves the previous file.
    (void)works.platform->files().save(kConfigOffsetPath,
                                       formatConfigOffset(works.KostPWRIN, works.KostFORW, works.KostREFL));
}

}  // namespace config
