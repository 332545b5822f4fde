#pragma once
// The emulator's end of the amplifier port: a pseudo-terminal in raw mode
// whose slave is reached through a symbolic link at the path the controller
// opens. The emulator keeps a slave descriptor of its own open, so the
// master never hangs up while the controller closes and reopens the port.
#include <string>

namespace sim {

class PtyLink {
  public:
    PtyLink() = default;
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;
    // Removes the link when it still leads to this pseudo-terminal.
    ~PtyLink();

    // False with the reason in error.
    [[nodiscard]] bool open(const std::string& linkPath, std::string& error);

    [[nodiscard]] int master() const { return master_; }
    [[nodiscard]] const std::string& slavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

}  // namespace sim
