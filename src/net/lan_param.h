#pragma once
// The LAN settings of the interfaces file: read at start-up for the panel,
// written back when the operator confirms new addresses.

namespace core {
struct Works;
}  // namespace core

namespace net {

// 0, or -1 when the file cannot be read (every value is then empty).
int ReadLanParam(core::Works& works);
// Writes the edited addresses into the file, restarts the network and starts
// a new connection check: 0, or -1 when the file was not replaced.
int SaveLanParam(core::Works& works);

}  // namespace net
