#pragma once
// Switching the remote threads (audio, CAT, spectrum) on and off: their enable
// characters are their run conditions, and the setup file keeps them.

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

void StartThreadCommRemote(core::AmpRecord& works);
void ExitThreadRemote(core::AmpRecord& works);

}  // namespace config
