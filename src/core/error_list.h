#pragma once
// The list of active error codes (oldest first) and the descriptor of every
// code. Several threads raise and clear errors, so every change and every
// read goes through the list's lock.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace core {

inline constexpr int kErrorCodes = 27;

enum ErrorFlag : uint8_t {
    kErrorAlarm = 1,       // drawn red
    kErrorProtection = 2,  // trips the protection state when raised
    kErrorTemporary = 4,   // a warning the error key simply clears
};

struct ErrorDescriptor {
    uint8_t flags = 0;
    char line1[30]{};
    char line2[30]{};
};

class ErrorList {
  public:
    // Lists the code when it is not listed yet; returns its flags then.
    std::optional<uint8_t> add(int code);
    // False when the code was not listed.
    bool remove(int code);
    // Removes every listed code whose flags hold mask (0: every code).
    void removeWithFlags(uint8_t mask);

    // Copies taken under the lock, for drawing and for tests.
    [[nodiscard]] std::vector<int32_t> codes() const;
    [[nodiscard]] ErrorDescriptor descriptor(int code) const;
    void setDescriptor(int code, uint8_t flags, const std::string& line1, const std::string& line2);
    void setLine2(int code, const std::string& line2);

  private:
    // The caller holds mutex_.
    void removeAt(int index);
    [[nodiscard]] uint8_t flagsOf(int code) const;

    mutable std::mutex mutex_;
    std::array<int32_t, kErrorCodes> errorList_{};
    int32_t errorCount_ = 0;
    std::array<ErrorDescriptor, kErrorCodes> errorDesc_{};
};

}  // namespace core
