#pragma once
// Switching the remote threads (audio, CAT, spectrum) on and off: their enable
// characters are their run conditions, and the setup file keeps them.

namespace core {
struct Works;
}  // namespace core

namespace config {

void StartThreadCommRemote(core::Works& works);
void ExitThreadRemote(core::Works& works);

}  // namespace config
