#pragma once
// The control socket of the small emulators: one command line per
// connection, answered with one line.
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/line_socket.h"

namespace sim {

// One client from listener: a line in (at most 256 bytes, within 1 s), its
// answer out, then closed.
void answerControlClient(int listener, const platform::LineAnswer& answer);

// A command line's words, split at blanks, tabs and carriage returns.
[[nodiscard]] std::vector<std::string_view> controlWords(std::string_view line);

}  // namespace sim
