#include "config/name_file.h"

#include <algorithm>
#include <optional>

#include "config/text_lines.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {
namespace {

constexpr size_t kLineBuffer = 100;

}  // namespace

std::string lastNameLine(std::string_view text) {
    std::string_view last;
    while (!text.empty()) {
        size_t end = text.find('\n');
        size_t length = end == std::string_view::npos ? text.size() : end + 1;
        length = std::min(length, kLineBuffer - 1);
        std::string_view piece = text.substr(0, length);
        text.remove_prefix(length);
        if (!isBlankLine(piece)) last = piece;
    }
    return std::string(last);
}

void LoadNameBRISEL(core::Works& works) {
    std::optional<std::string> text = works.platform->files().read(kNamePath);
    if (!text) {
        works.nameText.set("");
        return;
    }
    works.nameText.set(lastNameLine(*text));
    platform::trace("************ NOME: %s\n", works.nameText.get().c_str());
}

}  // namespace config
