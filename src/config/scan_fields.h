#pragma once
// Reading the numbers of a text line one after the other as scanf does: the
// first one that does not read stops the line, and it and all after it read
// as 0. Values are clamped to the type asked for.
#include <cstdint>
#include <string>
#include <string_view>

namespace config {

class ScanFields {
  public:
    explicit ScanFields(std::string_view line) : text_(line), cursor_(text_.c_str()) {}

    // base 0 detects "0x" hexadecimal and a leading "0" octal, as strtol does.
    int32_t integer(int base, int32_t low = INT32_MIN, int32_t high = INT32_MAX);
    uint32_t unsignedInteger(int base);
    float real();

  private:
    // Moves past the number that `end` ends; false (and the line stopped) when none was read.
    bool advance(const char* end);

    std::string text_;
    const char* cursor_;
    bool stopped_ = false;
};

}  // namespace config
