#pragma once
// A question to one of the station's text channels (the panel channel, the
// amplifier emulator's control channel): a Unix stream socket taking one
// command line and answering one line.
#include <string>

namespace sim::web {

struct ChannelAnswer {
    bool reached = false;  // false: no answer, `text` says why
    std::string text;      // the answer line without its end, or the failure
};

// Connects, sends the line, reads the answer line and closes, so the channel
// is free for others in between. Gives up after timeoutMs.
[[nodiscard]] ChannelAnswer askChannel(const std::string& socketPath, const std::string& line, int timeoutMs);

}  // namespace sim::web
