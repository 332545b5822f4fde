#include "remote/audio_playback.h"

#include <chrono>
#include <memory>
#include <string>

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/audio_waits.h"
#include "remote/playback_notes.h"
#include "remote/playback_ring.h"

namespace remote {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kOpenAttempts = 100;
// S16_LE stereo: 16 bits x 48 frames / 8 x 2, four periods of the callback.
constexpr long kDevicePeriodFrames = 192;

const char* playbackFailureText(platform::PcmStep step) {
    switch (step) {
        case platform::PcmStep::AllocateParameters:
            return "cannot allocate playback hardware parameter structure (%s)";
        case platform::PcmStep::InitializeParameters:
            return "cannot initialize playback hardware parameter structure (%s)";
        case platform::PcmStep::Resample:
            return "th_scrivi cannot set playback resample to yes (%s)";
        case platform::PcmStep::Access:
            return "th_scrivi cannot set playback access type (%s)";
        case platform::PcmStep::Format:
            return "th_scrivi cannot set playback sample format (%s)";
        case platform::PcmStep::Rate:
            return "th_scrivi cannot set playback sample rate (%s)";
        case platform::PcmStep::Channels:
            return "Cannot set playback channel count (%s)";
        case platform::PcmStep::AllocateSoftware:
            return "th_scrivi cannot allocate playback software parameter structure (%s)";
        case platform::PcmStep::StartThreshold:
            return "th_scrivi start threshold not successful";
        case platform::PcmStep::AvailMin:
            return "th_scrivi avail min not successful";
        default:
            return "th_scrivi cannot set playback parameters (%s)";
    }
}

// The failure exit: error 10, the ring closed to new chunks and the thread's enable character down.
void ExitAUDIOwrite(core::Works& works, std::unique_ptr<platform::PcmStream>& device) {
    platform::logError("th_scrivi ERR");
    platform::trace("th_scrivi ERR\n");
    core::AddErrore(works, core::err::AudioWrite);
    device.reset();
    works.remoteFault = 1;
    works.playbackReady = 0;
    works.setup->EnableWrite = '0';
}

platform::PlaybackLayout layoutOf(core::Works& works) {
    const long buffers = works.AudioBuffers;
    return {.bufferFrames = kDevicePeriodFrames * buffers,
            .periodFrames = kDevicePeriodFrames,
            .startThreshold = kDevicePeriodFrames * (buffers - 1),
            .availMin = kDevicePeriodFrames};
}

// Nothing when the device cannot be had; the failure is logged.
std::unique_ptr<platform::PcmStream> openPlayback(core::Works& works, const std::string& name) {
    platform::Sound& sound = works.platform->sound();
    platform::PcmFailure failure;
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        std::unique_ptr<platform::PcmStream> device = sound.openPlayback(name, layoutOf(works), failure);
        if (device) return device;
        if (failure.step != platform::PcmStep::Open) break;
        if (works.setup->EnableWrite != '1' || works.running == 0) return nullptr;
        works.platform->clock().sleepFor(milliseconds(100));
    }
    const std::string reason = sound.errorText(failure.error);
    if (failure.step == platform::PcmStep::Open) {
        platform::logError("th_scrivi cannot open output audio device %s (%s)", name.c_str(), reason.c_str());
        platform::trace("cannot open output audio device %s (%s)\n", name.c_str(), reason.c_str());
    } else if (failure.step == platform::PcmStep::BufferSize) {
        platform::logError("th_scrivi Cannot set buffersize %d (%s)",
                           static_cast<int>(layoutOf(works).bufferFrames), reason.c_str());
    } else if (failure.step == platform::PcmStep::PeriodSize) {
        platform::logError("th_scrivi Cannot set periodsize %d (%s)", static_cast<int>(kDevicePeriodFrames),
                           reason.c_str());
    } else {
        platform::logError(playbackFailureText(failure.step), reason.c_str());
    }
    return nullptr;
}

bool clientIn(core::Works& works) {
    return works.wsActive == 1;
}

enum class Served { ClientLeft, Stopped, Failed };

// One client's playback, from waiting for it to its leaving.
Served serveClient(core::Works& works, platform::PcmStream& device, PlaybackNotes& notes) {
    core::SetupRecord& setup = *works.setup;
    platform::Clock& clock = works.platform->clock();
    if (!waitUntil(works, setup.EnableWrite, milliseconds(10), [&] { return clientIn(works); }))
        return Served::Stopped;
    for (int result = device.prepare(); result < 0; result = device.prepare()) {
        platform::logError("th_scrivi cannot prepare output audio interface for use (%s)",
                           works.platform->sound().errorText(result).c_str());
        if (!clock.sleepWhileRunning(seconds(1), works.running) || setup.EnableWrite != '1')
            return Served::Stopped;
    }
    // The pre-fill; a client that leaves before it is in is simply gone.
    if (!waitUntil(works, setup.EnableWrite, milliseconds(1),
                   [&] { return works.sndPlaying == 1 || !clientIn(works); }))
        return Served::Stopped;
    if (!clientIn(works)) return Served::ClientLeft;
    writeFirstPeriods(works, device);
    if (device.setPeriodHandler([&works, &device, &notes] { MyRecCallback(works, device, notes); }) < 0) {
        platform::logError("th_scrivi add handler not successful");
        return Served::Failed;
    }
    if (device.start() < 0) platform::logError("th_scrivi start handler not successful");
    platform::Sound& sound = works.platform->sound();
    const bool stopped = !waitUntil(works, setup.EnableWrite, milliseconds(10), [&] {
        printPlaybackNotes(notes, sound);
        return !clientIn(works);
    });
    return stopped ? Served::Stopped : Served::ClientLeft;
}

}  // namespace

void th_scrivi(core::Works& works) {
    core::SetupRecord& setup = *works.setup;
    platform::Clock& clock = works.platform->clock();
    works.playbackReady = 0;
    clock.sleepWhileRunning(seconds(3), works.running);
    const std::string name = setup.text(setup.AudioOut);
    // Outlives every device, whose handler writes to it.
    PlaybackNotes notes;
    while (setup.EnableWrite == '1' && works.running != 0) {
        std::unique_ptr<platform::PcmStream> device = openPlayback(works, name);
        if (!device) {
            if (setup.EnableWrite == '1') ExitAUDIOwrite(works, device);
            return;
        }
        works.playRing = playbackRingStorage();
        works.sndWriteIdx = 0;
        works.sndReadIdx = 0;
        clock.sleepFor(milliseconds(2));
        works.playbackReady = 1;
        const Served served = serveClient(works, *device, notes);
        if (served == Served::Failed) {
            ExitAUDIOwrite(works, device);
            return;
        }
        const int drained = device->drain();
        printPlaybackNotes(notes, works.platform->sound());
        if (drained < 0 && served == Served::ClientLeft) {
            platform::logError("th_scrivi cannot drain playback pcm handler (%s)",
                               works.platform->sound().errorText(drained).c_str());
            ExitAUDIOwrite(works, device);
            return;
        }
    }
    works.playbackReady = 0;
}

}  // namespace remote
