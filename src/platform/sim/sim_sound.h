#pragma once
// The simulated station's sound devices, through ALSA's own plugins and a
// configuration of the run root's, never the host's: every "hw:<card>"
// device captures a test signal (a 1 kHz tone of 10 s, then silence) from
// /tmp/audio-in.raw and plays into /tmp/audio-out.raw, both raw 48 kHz
// stereo S16_LE under the run root, at the pace of the platform's clock.
// Each opening of the playback device writes a new file (ALSA numbers the
// later ones /tmp/audio-out.raw.0001 and so on), so that reopening it for
// the next client keeps what the last one sent. Capture keeps one second in
// its buffer, as a real device does.
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/run_root.h"
#include "platform/sound.h"

namespace platform {

class AlsaSound;

class SimSound final : public Sound {
  public:
    SimSound(const RunRoot& root, Clock& clock);
    ~SimSound() override;

    std::unique_ptr<PcmStream> openCapture(const std::string& name, int channels,
                                           PcmFailure& failure) override;
    std::unique_ptr<PcmStream> openPlayback(const std::string& name, const PlaybackLayout& layout,
                                            PcmFailure& failure) override;
    [[nodiscard]] std::string errorText(int error) const override;

  private:
    const RunRoot& root_;
    Clock& clock_;
    // ALSA's headers stay out of every file that sees the simulated platform.
    std::unique_ptr<AlsaSound> alsa_;
};

}  // namespace platform
