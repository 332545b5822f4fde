#pragma once
// The display name /opt/set/name.txt shown on the main screen.
#include <string>
#include <string_view>

namespace core {
struct Works;
}  // namespace core

namespace config {

inline constexpr const char* kNamePath = "/opt/set/name.txt";

// The last piece a 100-byte line buffer reads from the text, line end
// included, passing over blank ones; empty when the text has no other.
[[nodiscard]] std::string lastNameLine(std::string_view text);

void LoadNameBRISEL(core::Works& works);

}  // namespace config
