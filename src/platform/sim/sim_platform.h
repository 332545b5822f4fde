#pragma once
// The simulated station under a run root: every absolute path resolves under
// it, system actions never reach the host, the display is an 800 x 480 x 32
// frame in memory pictured in /tmp/screen.png when asked, real-time
// priorities are not applied, the remote server listens on the loopback
// address only,
// system-log lines go to standard error marked with their priority, every
// log line is stamped with the seconds since start, and SIGINT and SIGTERM
// end the run.
#include <memory>
#include <string>

#include "platform/log.h"
#include "platform/platform.h"
#include "platform/sim/sim_gpio.h"
#include "platform/sim/sim_log_sink.h"
#include "platform/sim/sim_sound.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/tiny_controller_emulator.h"

namespace platform {

class SimPlatform final : public Platform {
  public:
    // Creates the run root's folders (/opt/set, /opt/Brisel, /dev, /mnt, /tmp)
    // and the service keyboard's FIFO when missing, links the host's fonts and the built background images
    // into it, and sends the log to standard error until destroyed.
    // clock: real time scaled for the simulated station, or driven by a test.
    SimPlatform(const std::string& rootDirectory, std::unique_ptr<Clock> clock);
    ~SimPlatform() override;

    [[nodiscard]] const RunRoot& root() const override { return root_; }
    [[nodiscard]] SimSystem& system() override { return system_; }
    [[nodiscard]] FileStore& files() override { return files_; }
    [[nodiscard]] Clock& clock() override { return *clock_; }
    // The block with the front panel's keys on pins 22 to 27 and its small
    // controller on pins 4 and 6.
    [[nodiscard]] SimGpio& gpio() override { return gpio_; }
    // ALSA's file plugin: a test signal in, a file out (sim_sound.h).
    [[nodiscard]] Sound& sound() override { return sound_; }

    int setRealtimePriority(pthread_t, int) override { return 0; }
    // 127.0.0.1 only: a simulated station is never reachable from the network
    // of the machine it runs on.
    [[nodiscard]] uint32_t remoteServerAddress() const override { return 0x7F000001; }
    std::unique_ptr<FramebufferDevice> openFramebuffer() override;
    // The FIFO /dev/input/by-id/sim-event-kbd, created with the run root.
    std::unique_ptr<KeyboardDevice> keyboardDevice() override;
    std::unique_ptr<UsbDevice> usbDevice() override;
    std::unique_ptr<SerialPort> serialPort() override;
    // /opt/Brisel/<name>.png under the run root.
    [[nodiscard]] std::string imagePath(const std::string& name) const override;
    // The small controller's power-off and a reboot both end the simulated unit.
    void whenPoweredOff(std::function<void()> action) override {
        system_.whenRebooted(action);
        tinyController_.whenPoweredOff(std::move(action));
    }

  private:
    RunRoot root_;
    SimSystem system_;
    FileStore files_;
    std::unique_ptr<Clock> clock_;
    SimSound sound_{root_, *clock_};
    SimGpio gpio_;
    TinyControllerEmulator tinyController_{gpio_};
    SimLogSink logSink_{*clock_};
    LogSink* previousLogSink_;
};

std::unique_ptr<SimPlatform> makeSimPlatform(const std::string& rootDirectory, std::unique_ptr<Clock> clock);

}  // namespace platform
