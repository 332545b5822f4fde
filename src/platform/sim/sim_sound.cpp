#include "platform/sim/sim_sound.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "platform/linux/alsa_sound.h"
#include "platform/log.h"
#include "platform/sim/paced_pcm.h"

namespace platform {
namespace {

// One second, about what a real capture device holds. Left to itself, ALSA
// gives these plugins the largest buffer they accept (gigabytes), which the
// capture then fills page by page for hours.
constexpr long kCaptureBufferFrames = 48000;

std::string configuration(const RunRoot& root) {
    // "hw" with the arguments of the real one, so the setup's device names stand as they are.
    return "pcm.hw {\n"
           "  @args [ CARD DEV SUBDEV ]\n"
           "  @args.CARD { type string default \"0\" }\n"
           "  @args.DEV { type integer default 0 }\n"
           "  @args.SUBDEV { type integer default -1 }\n"
           "  type asym\n"
           "  playback.pcm { type file slave.pcm { type null } format raw truncate false file \"" +
           root.resolve("/tmp/audio-out.raw") +
           "\" }\n"
           "  capture.pcm { type file slave.pcm { type null } format raw file \"/dev/null\" infile \"" +
           root.resolve("/tmp/audio-in.raw") +
           "\" }\n"
           "}\n";
}

// Made at the first capture, not with every simulated platform.
void writeTestSignal(const std::string& path) {
    if (std::filesystem::exists(path)) return;
    constexpr int kFrames = 48000 * 10;
    std::vector<int16_t> samples(2 * kFrames);
    for (int frame = 0; frame < kFrames; ++frame) {
        const double phase = 2.0 * std::numbers::pi * 1000.0 * frame / 48000.0;
        const auto value = static_cast<int16_t>(std::lround(8000.0 * std::sin(phase)));
        samples[2 * static_cast<size_t>(frame)] = value;
        samples[2 * static_cast<size_t>(frame) + 1] = value;
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(samples.data()),
               static_cast<std::streamsize>(samples.size() * sizeof(int16_t)));
    if (!file) trace("sim: cannot write the test signal %s\n", path.c_str());
}

}  // namespace

SimSound::SimSound(const RunRoot& root, Clock& clock)
    : root_(root),
      clock_(clock),
      alsa_(std::make_unique<AlsaSound>(configuration(root), kCaptureBufferFrames)) {}

SimSound::~SimSound() = default;

std::string SimSound::errorText(int error) const {
    return alsa_->errorText(error);
}

std::unique_ptr<PcmStream> SimSound::openCapture(const std::string& name, int channels, PcmFailure& failure) {
    writeTestSignal(root_.resolve("/tmp/audio-in.raw"));
    std::unique_ptr<PcmStream> device = alsa_->openCapture(name, channels, failure);
    if (!device) return nullptr;
    return std::make_unique<PacedPcm>(std::move(device), clock_);
}

std::unique_ptr<PcmStream> SimSound::openPlayback(const std::string& name, const PlaybackLayout& layout,
                                                  PcmFailure& failure) {
    std::unique_ptr<PcmStream> device = alsa_->openPlayback(name, layout, failure);
    if (!device) return nullptr;
    return std::make_unique<PacedPcm>(std::move(device), clock_, layout);
}

}  // namespace platform
