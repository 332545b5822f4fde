#pragma once
// The simulator's one-line channels (the panel channel, the emulators'
// control sockets): a Unix stream socket under the run root where a client
// sends a command line and reads one answer line. Every client is bounded:
// in the length of a line and in how long it may send nothing.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kLineTooLong = "error line too long";

// Listens at path without blocking, its folder made and an old socket there
// replaced; anything else there is left alone. -1 with the reason in error.
[[nodiscard]] int listenForLines(const std::string& path, std::string& error);

// A client's bytes cut into lines, each at most `longest` bytes without its
// end. The rest of an overlong line, up to its end, is dropped, so that its
// tail never runs as a command of its own.
class LineCutter {
  public:
    enum class Cut { None, Line, Overlong };

    explicit LineCutter(size_t longest) : longest_(longest) {}
    void add(std::string_view bytes) { pending_.append(bytes); }
    // The next whole line without its end (a carriage return before it kept), or why there is none.
    Cut next(std::string& line);

  private:
    size_t longest_;
    std::string pending_;
    bool skipping_ = false;
};

struct LineLimits {
    size_t longest;                  // bytes of a line without its end
    std::chrono::milliseconds wait;  // for a whole line, and for its answer to be taken
    bool oneLine = false;            // the connection ends after its first answer
};

using LineAnswer = std::function<std::string(std::string_view line)>;

// Serves one connected client until it closes (a last line without its end
// is not run), sends no whole line within limits.wait, sends an overlong line
// (answered kLineTooLong), has had its one line, or stop is set (looked at
// every 100 ms). Each answer goes out whole with its end. Closes client.
void serveLines(int client, const LineLimits& limits, const LineAnswer& answer,
                const std::atomic<bool>& stop);

// All of text written to fd, waiting up to `wait` while the peer takes nothing.
[[nodiscard]] bool sendWhole(int fd, std::string_view text, std::chrono::milliseconds wait);

}  // namespace platform
