#include "remote/audio_capture.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/frame_writers.h"
#include "remote/playback_ring.h"

namespace remote {
namespace {

constexpr int kOpenAttempts = 100;

const char* captureFailureText(platform::PcmStep step) {
    switch (step) {
        case platform::PcmStep::AllocateParameters:
            return "cannot allocate capture hardware parameter structure (%s)";
        case platform::PcmStep::InitializeParameters:
            return "cannot initialize capture hardware parameter structure (%s)";
        case platform::PcmStep::Access:
            return "cannot set capture access type (%s)";
        case platform::PcmStep::Format:
            return "cannot set capture sample format (%s)";
        case platform::PcmStep::Rate:
            return "cannot set capture sample rate (%s)";
        case platform::PcmStep::Channels:
            return "cannot set capture channel count (%s)";
        case platform::PcmStep::Prepare:
            return "cannot prepare capture audio interface for use (%s)";
        default:
            return "cannot set capture parameters (%s)";
    }
}

// The failure exit: error 9 and the thread's enable character down.
void ExitAUDIOread(core::Works& works, std::unique_ptr<platform::PcmStream>& device) {
    platform::trace("th_leggi ERR\n");
    if (device) {
        device->drop();
        device->drain();
    }
    core::AddErrore(works, core::err::AudioRead);
    device.reset();
    works.remoteFault = 1;
    works.setup->EnableRead = '0';
}

std::unique_ptr<platform::PcmStream> openCapture(core::Works& works, const std::string& name, int channels,
                                                 platform::PcmFailure& failure) {
    platform::Sound& sound = works.platform->sound();
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        std::unique_ptr<platform::PcmStream> device = sound.openCapture(name, channels, failure);
        if (device || failure.step != platform::PcmStep::Open) return device;
        if (works.setup->EnableRead != '1' || works.running == 0) return nullptr;
        works.platform->clock().sleepFor(std::chrono::milliseconds(100));
    }
    platform::logError("cannot open capture audio device '%s' (%s) after %d/10\"", name.c_str(),
                       sound.errorText(failure.error).c_str(), kOpenAttempts);
    return nullptr;
}

}  // namespace

void th_leggi(core::Works& works) {
    core::SetupRecord& setup = *works.setup;
    const std::string name = setup.text(setup.AudioIn);
    int channels = 0;
    if (std::sscanf(setup.text(setup.InChannels).c_str(), "%d", &channels) == 1)
        works.audioChannels = channels;
    std::unique_ptr<platform::PcmStream> device;
    // The remote audio is stereo: another channel count would not fill the chunks the frame writer sends.
    if (channels != 2) {
        platform::logError("capture with %d channels refused: the remote audio is stereo", channels);
        ExitAUDIOread(works, device);
        return;
    }
    works.platform->system().setMixerLevels();
    platform::PcmFailure failure;
    device = openCapture(works, name, channels, failure);
    if (!device) {
        if (failure.step != platform::PcmStep::Open)
            platform::logError(captureFailureText(failure.step),
                               works.platform->sound().errorText(failure.error).c_str());
        if (setup.EnableRead == '1') ExitAUDIOread(works, device);
        return;
    }
    platform::logInfo("capture audio interface %s opened", name.c_str());

    std::vector<int16_t> chunk(static_cast<size_t>(kSlotFrames) * 2);
    while (setup.EnableRead == '1' && works.running != 0) {
        const long frames = std::clamp(works.captureFrames.load(), 1, kSlotFrames);
        const long read = device->readFrames(chunk.data(), frames);
        if (read < 0) {
            platform::logError("error reading pcm handler (%s)",
                               works.platform->sound().errorText(static_cast<int>(read)).c_str());
            ExitAUDIOread(works, device);
            return;
        }
        sendWebSockAudioFrame(works, std::span<const int16_t>(chunk.data(), static_cast<size_t>(read) * 2));
    }
    platform::Sound& sound = works.platform->sound();
    if (const int result = device->drop(); result < 0)
        platform::logError("cannot drop capture pcm handler (%s)", sound.errorText(result).c_str());
    if (const int result = device->drain(); result < 0)
        platform::logError("cannot drain capture pcm handler (%s)", sound.errorText(result).c_str());
    platform::logInfo("capture audio interface closed");
    device.reset();
    setup.EnableRead = '0';
    platform::trace("th_leggi END\n");
}

}  // namespace remote
