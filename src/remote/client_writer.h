#pragma once
// The writer of one connection: a thread of its own sends the queued frames
// (works.clientFrames) on the client's socket in their order, from the
// handshake's answer until the connection ends, so that the threads that
// make them never wait on the client. A frame that cannot go out whole
// within the socket's send time-out (the client has stopped reading), a
// client gone, or a queue that overflowed ends the connection: the socket is
// shut down, which also ends the reader's wait. Once the connection ends,
// what waits still goes out while the client takes it.
#include <thread>

namespace core {
struct Works;
}  // namespace core

namespace remote {

class ClientWriter {
  public:
    // Opens the queue to the client on fd and starts the thread.
    ClientWriter(core::Works& works, int fd);
    // Finishes the queue and waits for the thread, at most a send time-out
    // when the client takes nothing more; the socket is the caller's to close.
    ~ClientWriter();
    ClientWriter(const ClientWriter&) = delete;
    ClientWriter& operator=(const ClientWriter&) = delete;

  private:
    void run();

    core::Works& works_;
    int fd_;
    std::thread thread_;
};

}  // namespace remote
