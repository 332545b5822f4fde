#pragma once
// The list of active error codes (oldest first) and the descriptor of every
// code. Several threads raise and clear errors, so every change and every
// read goes through the list's lock.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace core {

inline constexpr int kErrorCodes = 27;

enum ErrorFlag : uint8_t {
    kErrorAlarm = 1,        // drawn red
    kErrorProtection = 2,   // trips the protection state when raised
    kErrorTemporary = 4,    // a warning the error key simply clears
};

struct ErrorDescriptor {
    uint8_t flags = 0;
    char line1[30]{};
    char line2[30]{};
};

struct ErrorList {
    mutable std::mutex mutex;
    std::array<int32_t, kErrorCodes> errorList{};
    int32_t errorCount = 0;
    std::array<ErrorDescriptor, kErrorCodes> errorDesc{};

    // Copies taken under the lock, for drawing and for tests.
    [[nodiscard]] std::vector<int32_t> codes() const;
    [[nodiscard]] ErrorDescriptor descriptor(int code) const;
    void setDescriptor(int code, uint8_t flags, const std::string& line1, const std::string& line2);
    void setLine2(int code, const std::string& line2);
};

}  // namespace core
