#pragma once
// The remote server: one operator at a time over the WebSocket dialect.

namespace core {
struct Works;
}  // namespace core

namespace remote {

// The Wsocket thread: listens on TcpPort, answers handshakes, checks the pass
// phrase and serves the client's frames; returns when the run ends or the
// listener cannot be made.
void Wsocket(core::Works& works);

}  // namespace remote
