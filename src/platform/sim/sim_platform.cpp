#include "platform/sim/sim_platform.h"

#include <filesystem>

#include "platform/linux/termios_serial_port.h"
#include "platform/sim/sim_keyboard.h"
#include "platform/sim/sim_usb_device.h"
#include "platform/sim/virtual_framebuffer.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

// Links source at link inside the run root. A file of the user's own at that
// place is kept; an older link is renewed (the build folder may have moved).
void linkInto(const fs::path& link, const fs::path& source) {
    std::error_code error;
    if (!fs::exists(source, error)) {
        trace("sim: %s is missing, %s not linked\n", source.c_str(), link.c_str());
        return;
    }
    fs::file_status present = fs::symlink_status(link, error);
    if (fs::is_symlink(present)) {
        fs::remove(link, error);
    } else if (fs::exists(present)) {
        return;
    }
    fs::create_directories(link.parent_path(), error);
    fs::create_symlink(source, link, error);
    if (error) trace("sim: cannot link %s: %s\n", link.c_str(), error.message().c_str());
}

// The background images: drawn beside the programs in a build folder, or
// installed where the unit keeps them.
fs::path imageSource() {
    std::error_code error;
    const fs::path beside = fs::read_symlink("/proc/self/exe", error).parent_path() / "assets";
    if (!error && fs::exists(beside / "start.png", error)) return beside;
    return BRISEL_IMAGE_DIR;
}

// The target's fonts and background images, as the simulated station finds them.
void linkFontsAndImages(const fs::path& root) {
    const fs::path dejavu = "/usr/share/fonts/truetype/dejavu";
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dejavu, error)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("DejaVuSans") && name.ends_with(".ttf"))
            linkInto(root / dejavu.relative_path() / name, entry.path());
    }
    if (error) trace("sim: no DejaVu fonts in %s: %s\n", dejavu.c_str(), error.message().c_str());

    const fs::path paratype = "/usr/share/fonts/truetype/paratype";
    linkInto(root / "opt/fonts/PTS55F_W.ttf", paratype / "PTS55F.ttf");
    linkInto(root / "opt/fonts/PTS75F_W.ttf", paratype / "PTS75F.ttf");

    const char* images[] = {"start", "start120", "statusB", "status", "img1",
                            "img1b", "img3",     "img3b",   "m5a"};
    const fs::path source = imageSource();
    const fs::path folder = root / fs::path(BRISEL_IMAGE_DIR).relative_path();
    for (const char* image : images) {
        std::string file = std::string(image) + ".png";
        linkInto(folder / file, source / file);
    }
}

RunRoot prepareRunRoot(const std::string& rootDirectory) {
    fs::path absolute = fs::absolute(rootDirectory);
    for (const char* folder : {"opt/set", "opt/Brisel", "dev", "mnt", "tmp"})
        fs::create_directories(absolute / folder);
    linkFontsAndImages(absolute);
    RunRoot root(absolute.string());
    createSimKeyboard(root);
    return root;
}

}  // namespace

// The simulated station keeps the host's system log clean.
SimPlatform::SimPlatform(const std::string& rootDirectory, std::unique_ptr<Clock> clock)
    : root_(prepareRunRoot(rootDirectory)),
      system_(root_),
      files_(root_, system_),
      clock_(std::move(clock)),
      previousLogSink_(setLogSink(&logSink_)) {}

SimPlatform::~SimPlatform() {
    setLogSink(previousLogSink_);
}

std::unique_ptr<FramebufferDevice> SimPlatform::openFramebuffer() {
    return std::make_unique<VirtualFramebuffer>(system_);
}

std::unique_ptr<KeyboardDevice> SimPlatform::keyboardDevice() {
    return std::make_unique<SimKeyboard>();
}

std::unique_ptr<UsbDevice> SimPlatform::usbDevice() {
    return std::make_unique<SimUsbDevice>(*clock_);
}

std::unique_ptr<SerialPort> SimPlatform::serialPort() {
    return std::make_unique<TermiosSerialPort>();
}

std::string SimPlatform::imagePath(const std::string& name) const {
    return root_.resolve(std::string(BRISEL_IMAGE_DIR) + "/" + name + ".png");
}

std::unique_ptr<SimPlatform> makeSimPlatform(const std::string& rootDirectory, std::unique_ptr<Clock> clock) {
    return std::make_unique<SimPlatform>(rootDirectory, std::move(clock));
}

}  // namespace platform
