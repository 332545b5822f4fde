#pragma once
// Threads that run once: the start-up countdown, the LAN check and the
// confirmation of a software update.

namespace core {
struct Works;
}  // namespace core

namespace app {

void LoadThread(core::Works& works);
void AggFWThread(core::Works& works);

}  // namespace app
