#pragma once
// What the amplifier link has read from its port: the bytes of one read,
// handed on one at a time, and the reply they are assembled into. A reply
// usually waits whole, so it costs one read instead of one per byte.
#include <array>
#include <cstdint>

#include "amp/frame.h"
#include "platform/serial_port.h"

namespace amp {

class LinkInput {
  public:
    // The next byte read earlier and not yet handed on; false when none is left.
    bool next(uint8_t& byte);
    // Reads what waits, up to the room there is. Returns what the port's read
    // returned: the count taken, 0 or negative when it took none.
    int fill(platform::SerialPort& port, int waiting);
    // Forgets the bytes read and not yet handed on, as bytes dropped in the port would be.
    void dropUnread() { next_ = end_ = 0; }

    FrameAssembler assembler;

  private:
    std::array<uint8_t, 64> bytes_{};
    size_t next_ = 0;
    size_t end_ = 0;
};

}  // namespace amp
