#pragma once
// The target's display: a Linux framebuffer device, mapped shared.
#include <linux/fb.h>

#include <string>

#include "platform/framebuffer_device.h"

namespace platform {

class LinuxFramebuffer final : public FramebufferDevice {
  public:
    explicit LinuxFramebuffer(std::string path) : path_(std::move(path)) {}
    ~LinuxFramebuffer() override;

    bool open() override;
    bool readScreenInfo(ScreenInfo& info) override;
    bool resetPanning() override;
    uint8_t* map(uint32_t size) override;
    void present(const uint8_t* frame, uint32_t size) override;
    void presentRegions(const uint8_t* frame, uint32_t lineLength, uint32_t bytesPerPixel,
                        std::span<const ScreenRegion> regions) override;

  private:
    std::string path_;
    int fd_ = -1;
    fb_var_screeninfo variable_{};
    uint8_t* memory_ = nullptr;
    uint32_t mappedSize_ = 0;
};

}  // namespace platform
