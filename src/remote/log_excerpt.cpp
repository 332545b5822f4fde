#include "remote/log_excerpt.h"

namespace remote {

std::string printableExcerpt(std::string_view text) {
    std::string shown(text.substr(0, kExcerptLength));
    for (char& c : shown)
        if (c < ' ' || c > '~') c = '.';
    if (text.size() > kExcerptLength) shown += "...";
    return shown;
}

}  // namespace remote
