#pragma once
// The simulated station's display: an 800 x 480 x 32-bit frame in memory.
// It is pictured as a PNG file only when someone asks: the simulated
// system's screenshot (/tmp/screen.png) or an observer's frame (the web page).
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/framebuffer_device.h"
#include "platform/png_writer.h"

namespace platform {

class SimSystem;

class VirtualFramebuffer final : public FramebufferDevice {
  public:
    // system: whose screenshot photographs this screen while it exists.
    explicit VirtualFramebuffer(SimSystem& system);
    ~VirtualFramebuffer() override;

    bool open() override;
    bool readScreenInfo(ScreenInfo& info) override;
    bool resetPanning() override { return true; }
    uint8_t* map(uint32_t size) override;
    void present(const uint8_t* frame, uint32_t size) override;
    void presentRegions(const uint8_t* frame, uint32_t lineLength, uint32_t bytesPerPixel,
                        std::span<const ScreenRegion> regions) override;

    // The screen as shown now, as an RGB PNG file.
    bool writeScreenshot(const std::string& path);
    // The screen as an RGB PNG file unless frame number `known` is still
    // shown once `wait` has passed or another frame came (see SimSystem::writeFrame).
    std::optional<uint64_t> writeFrameUnlessShown(const std::string& path, uint64_t known,
                                                  std::chrono::milliseconds wait);

    static constexpr uint32_t kWidth = 800;
    static constexpr uint32_t kHeight = 480;

  private:
    PngPicture pictureLocked() const;

    SimSystem& system_;
    mutable std::mutex mutex_;
    std::condition_variable newFrame_;  // a frame that changed the screen, or stopping
    std::vector<uint8_t> memory_;       // b, g, r, 0 per pixel
    bool shown_ = false;                // a frame was presented
    uint64_t frameNumber_ = 0;          // counts the frames that changed the screen
    bool stopping_ = false;
};

}  // namespace platform
