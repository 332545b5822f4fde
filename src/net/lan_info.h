#pragma once
// The connection and version check: asks the system's status program whether
// the LAN works and which software and firmware versions are offered.

namespace core {
struct Works;
}  // namespace core

namespace net {

void ReadLANconnection(core::Works& works);
// One check, marked running meanwhile, then its time noted.
void LANInfoThread(core::Works& works);

}  // namespace net
