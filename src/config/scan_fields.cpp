#include "config/scan_fields.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace config {

bool ScanFields::advance(const char* end) {
    if (end == cursor_) stopped_ = true;
    cursor_ = end;
    return !stopped_;
}

int32_t ScanFields::integer(int base, int32_t low, int32_t high) {
    if (stopped_) return 0;
    char* end = nullptr;
    long value = std::strtol(cursor_, &end, base);
    if (!advance(end)) return 0;
    return static_cast<int32_t>(std::clamp<long>(value, low, high));
}

// As the board's strtoul, whose unsigned long has 32 bits, on every build: a
// magnitude beyond 32 bits saturates, a negative one wraps.
uint32_t ScanFields::unsignedInteger(int base) {
    if (stopped_) return 0;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(cursor_, &end, base);
    const bool overflowed = errno == ERANGE;
    const char* sign = cursor_;
    if (!advance(end)) return 0;
    while (std::isspace(static_cast<unsigned char>(*sign)) != 0) ++sign;
    const unsigned long long magnitude = *sign == '-' ? 0 - value : value;
    if (overflowed || magnitude > std::numeric_limits<uint32_t>::max())
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

float ScanFields::real() {
    if (stopped_) return 0.0f;
    char* end = nullptr;
    float value = std::strtof(cursor_, &end);
    return advance(end) ? value : 0.0f;
}

}  // namespace config
