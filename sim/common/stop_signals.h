#pragma once
// How an emulator is stopped: SIGINT and SIGTERM end its loop in order, so
// that it removes its port link and control socket on the way out.

namespace sim {

// Blocks SIGINT and SIGTERM and returns a descriptor that becomes readable
// when one arrives, for the emulator's poll loop; SIGPIPE is ignored, a
// control client that went away is only a failed write. -1 on failure.
[[nodiscard]] int stopSignalDescriptor();

}  // namespace sim
