#include "config/scan_fields.h"

#include <algorithm>
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

uint32_t ScanFields::unsignedInteger(int base) {
    if (stopped_) return 0;
    char* end = nullptr;
    unsigned long value = std::strtoul(cursor_, &end, base);
    if (!advance(end)) return 0;
    return static_cast<uint32_t>(std::min<unsigned long>(value, std::numeric_limits<uint32_t>::max()));
}

float ScanFields::real() {
    if (stopped_) return 0.0f;
    char* end = nullptr;
    float value = std::strtof(cursor_, &end);
    return advance(end) ? value : 0.0f;
}

}  // namespace config
