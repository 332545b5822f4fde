#pragma once
// The ADC offsets /opt/set/config_offset.txt: three "Key: value" lines that
// the band configuration's calibration coefficients are computed with.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

inline constexpr const char* kConfigOffsetPath = "/opt/set/config_offset.txt";

// The values of the lines that were found; a key without a line stays empty.
struct ConfigOffsetValues {
    std::optional<int32_t> pwrIn, forw, refl;
};

[[nodiscard]] ConfigOffsetValues parseConfigOffset(std::string_view text);
[[nodiscard]] std::string formatConfigOffset(int32_t pwrIn, int32_t forw, int32_t refl);

void LoadConfigOffsetFile(core::AmpRecord& works);
void writeConfigOffset(core::AmpRecord& works);

}  // namespace config
