#include "amp/reply_match.h"

#include "core/amp_commands.h"

namespace amp {
namespace {

// The EEPROM page a read command asks for, or 0 when the code reads none.
char eepromPage(int32_t code) {
    switch (code) {
        case core::cmd::EepromPage0:
            return '0';
        case core::cmd::EepromPage1:
            return '1';
        case core::cmd::EepromPage2:
            return '2';
        case core::cmd::EepromPage3:
            return '3';
        default:
            return 0;
    }
}

}  // namespace

bool replyBelongsTo(std::string_view letters, int32_t code, std::string_view reply) {
    if (reply.size() < 3) return false;
    // A command the amplifier could not read may be refused under letters it could not read either.
    if (reply[2] == '?' || reply[2] == '!' || reply[2] == '&') return true;
    // The frequency-sensor set-up goes out and comes back as "FS" but is recorded as "SF".
    std::string_view expected = code == core::cmd::FrequencySensor ? "FS" : letters;
    if (reply.substr(0, 2) != expected) return false;
    char page = eepromPage(code);
    return page == 0 || (reply.size() > 5 && reply[5] == page);
}

}  // namespace amp
