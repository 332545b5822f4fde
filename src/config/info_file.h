#pragma once
// The identity file /opt/set/info.txt, rewritten whenever the amplifier has
// reported its versions, serial number and model.
#include <string>

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

inline constexpr const char* kInfoPath = "/opt/set/info.txt";

[[nodiscard]] std::string formatInfoFile(core::AmpRecord& works);

void WrInfoFile(core::AmpRecord& works);

}  // namespace config
