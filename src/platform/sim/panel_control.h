#pragma once
// Operates the simulated front panel from outside: a Unix stream socket
// taking one command per line and answering one line ("ok" or "error ...").
//   press K        key K (1..6) down for 100 ms, then up
//   hold K MS      key K down for MS milliseconds (up to 60000), then up
//   down K         key K down until "up K" or "release": a front end that
//                  forwards a person's press and release as they happen
//   up K           key K up
//   release        every key up
//   screenshot P   the screen as shown, as the PNG file P
//   frame N P [MS] the screen as the PNG file P unless frame N is still
//                  shown, after waiting up to MS milliseconds (up to 2000)
//                  for another frame; answers "ok M" with the number M of the
//                  frame shown
// The keys are driven on the GPIO pins, so the station's own debounce and
// timing see them; a command that lets a key up answers once the station has
// seen it up. A few clients are served at once, so that a viewer waiting for
// the next frame does not hold up the keys.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/sim_platform.h"

namespace platform {

class PanelControl {
  public:
    // Serves socketPath (created with its folder) on a thread of its own until
    // destroyed. A key change waits up to settleLimit for the station's key
    // loop to read it; where no key loop runs (a unit test), 0 waits not at all.
    PanelControl(SimPlatform& machine, std::string socketPath,
                 std::chrono::milliseconds settleLimit = std::chrono::seconds(5));
    ~PanelControl();
    PanelControl(const PanelControl&) = delete;
    PanelControl& operator=(const PanelControl&) = delete;

    // One command line without its end of line; returns the answer.
    std::string execute(const std::string& line);

  private:
    void serve();
    void holdKey(int key, int milliseconds);
    void driveKey(int key, bool down);

    SimPlatform& machine_;
    std::string socketPath_;
    std::chrono::milliseconds settleLimit_;
    std::atomic<bool> stopping_{false};
    int listener_ = -1;
    std::vector<std::thread> threads_;
};

}  // namespace platform
