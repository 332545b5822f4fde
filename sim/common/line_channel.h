#pragma once
// The client side of the simulator's one-line channels (the panel channel,
// the emulators' control sockets): a Unix stream socket taking a command line
// and answering one line.
#include <string>

namespace sim {

struct ChannelAnswer {
    bool reached = false;  // false: no answer, `text` says why
    std::string text;      // the answer line without its end, or the failure
};

// One connection, for a client that asks several questions in turn.
class LineChannel {
  public:
    explicit LineChannel(const std::string& socketPath);
    ~LineChannel();
    LineChannel(const LineChannel&) = delete;
    LineChannel& operator=(const LineChannel&) = delete;

    // Sends the line and reads its answer line, giving up after timeoutMs.
    [[nodiscard]] ChannelAnswer ask(const std::string& line, int timeoutMs);

  private:
    std::string path_;
    int fd_ = -1;
    std::string failure_;  // why there is no connection
    std::string pending_;  // bytes after the last answer's end
};

// Connects, asks one line and closes, so that the channel is free for
// others in between.
[[nodiscard]] ChannelAnswer askChannel(const std::string& socketPath, const std::string& line, int timeoutMs);

}  // namespace sim
