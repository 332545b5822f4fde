#pragma once
// The error list and the protection state it drives.
#include <atomic>
#include <cstdint>

#include "core/error_list.h"

namespace core {

struct ErrorBlock {
    ErrorList errors;
    std::atomic<uint8_t> protFlags{0}, errorsHeld{0}, resetPhase{0};
};

}  // namespace core
