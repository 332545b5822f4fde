#pragma once
// The sound devices of the remote audio: one capture and one playback PCM,
// 48,000 frames/s, signed 16-bit little-endian, interleaved. Results follow
// ALSA: a frame count, or a negative error number.
#include <functional>
#include <memory>
#include <string>

namespace platform {

class PcmStream {
  public:
    PcmStream() = default;
    PcmStream(const PcmStream&) = delete;
    PcmStream& operator=(const PcmStream&) = delete;
    // Stops the period handler and closes the device.
    virtual ~PcmStream() = default;

    virtual long readFrames(int16_t* frames, long count) = 0;
    virtual long writeFrames(const int16_t* frames, long count) = 0;
    // Frames the device can take (playback) or has ready (capture).
    virtual long available() = 0;
    virtual int prepare() = 0;
    virtual int start() = 0;
    virtual int drop() = 0;
    virtual int drain() = 0;
    // Calls handler whenever a period is free: the device's asynchronous
    // notice where it gives one, else a thread that waits on the device.
    // Returns 0 or a negative error number.
    virtual int setPeriodHandler(std::function<void()> handler) = 0;
};

// The step of opening and configuring a device that failed, so that the
// caller names it in its own words.
enum class PcmStep {
    Open,
    AllocateParameters,
    InitializeParameters,
    Resample,
    Access,
    Format,
    Rate,
    Channels,
    BufferSize,
    PeriodSize,
    ApplyParameters,
    AllocateSoftware,
    StartThreshold,
    AvailMin,
    ApplySoftware,
    Prepare,
};

struct PcmFailure {
    PcmStep step = PcmStep::Open;
    int error = 0;  // negative error number
};

struct PlaybackLayout {
    long bufferFrames = 0;
    long periodFrames = 0;
    long startThreshold = 0;
    long availMin = 0;
};

class Sound {
  public:
    Sound() = default;
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;
    virtual ~Sound() = default;

    // Opened (blocking), configured and prepared; nothing with failure set otherwise.
    virtual std::unique_ptr<PcmStream> openCapture(const std::string& name, int channels,
                                                   PcmFailure& failure) = 0;
    // Opened and configured, not yet prepared.
    virtual std::unique_ptr<PcmStream> openPlayback(const std::string& name, const PlaybackLayout& layout,
                                                    PcmFailure& failure) = 0;
    // The library's text for an error number.
    [[nodiscard]] virtual std::string errorText(int error) const = 0;
};

}  // namespace platform
