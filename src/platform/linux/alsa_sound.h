#pragma once
// The sound devices through ALSA. A local configuration, when given, is the
// only place device names are looked up in (the simulated station's own
// devices); otherwise the host's configuration applies.
#include <alsa/asoundlib.h>

#include "platform/sound.h"

namespace platform {

class AlsaSound final : public Sound {
  public:
    // configuration: the text of an ALSA configuration, or empty for the host's.
    // captureBufferFrames: the most a capture buffer may hold, or 0 for the device's choice.
    explicit AlsaSound(const std::string& configuration = {}, long captureBufferFrames = 0);
    ~AlsaSound() override;

    std::unique_ptr<PcmStream> openCapture(const std::string& name, int channels,
                                           PcmFailure& failure) override;
    std::unique_ptr<PcmStream> openPlayback(const std::string& name, const PlaybackLayout& layout,
                                            PcmFailure& failure) override;
    [[nodiscard]] std::string errorText(int error) const override;

  private:
    int open(snd_pcm_t** pcm, const std::string& name, snd_pcm_stream_t stream);

    snd_config_t* config_ = nullptr;
    long captureBufferFrames_;
};

}  // namespace platform
