#include "platform/linux/alsa_sound.h"

#include <memory>

#include "platform/linux/alsa_pcm.h"
#include "platform/log.h"

namespace platform {
namespace {

constexpr unsigned int kSampleRate = 48000;

// Hardware parameters freed on every path.
struct HardwareParams {
    snd_pcm_hw_params_t* params = nullptr;
    ~HardwareParams() {
        if (params != nullptr) snd_pcm_hw_params_free(params);
    }
};

struct SoftwareParams {
    snd_pcm_sw_params_t* params = nullptr;
    ~SoftwareParams() {
        if (params != nullptr) snd_pcm_sw_params_free(params);
    }
};

// Runs the steps in order; the first failing one is reported.
class Steps {
  public:
    explicit Steps(PcmFailure& failure) : failure_(failure) {}
    bool operator()(PcmStep step, int result) {
        if (failed_) return false;
        if (result < 0) {
            failure_ = {step, result};
            failed_ = true;
        }
        return !failed_;
    }
    [[nodiscard]] bool ok() const { return !failed_; }

  private:
    PcmFailure& failure_;
    bool failed_ = false;
};

void closeOnFailure(snd_pcm_t* pcm, const Steps& steps) {
    if (!steps.ok()) snd_pcm_close(pcm);
}

// The library's own messages are ignored: every failure is logged by the caller in its words.
void MyError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

AlsaSound::AlsaSound(const std::string& configuration, long captureBufferFrames)
    : captureBufferFrames_(captureBufferFrames) {
    snd_lib_error_set_handler(MyError);
    if (configuration.empty()) return;
    snd_input_t* input = nullptr;
    int result =
        snd_input_buffer_open(&input, configuration.data(), static_cast<ssize_t>(configuration.size()));
    if (result == 0) result = snd_config_top(&config_);
    if (result == 0) result = snd_config_load(config_, input);
    if (input != nullptr) snd_input_close(input);
    if (result < 0) logError("sound configuration not loaded: %s", snd_strerror(result));
}

AlsaSound::~AlsaSound() {
    if (config_ != nullptr) snd_config_delete(config_);
}

int AlsaSound::open(snd_pcm_t** pcm, const std::string& name, snd_pcm_stream_t stream) {
    if (config_ != nullptr) return snd_pcm_open_lconf(pcm, name.c_str(), stream, 0, config_);
    return snd_pcm_open(pcm, name.c_str(), stream, 0);
}

std::unique_ptr<PcmStream> AlsaSound::openCapture(const std::string& name, int channels,
                                                  PcmFailure& failure) {
    snd_pcm_t* pcm = nullptr;
    Steps steps(failure);
    if (!steps(PcmStep::Open, open(&pcm, name, SND_PCM_STREAM_CAPTURE))) return nullptr;
    HardwareParams hw;
    unsigned int rate = kSampleRate;
    auto buffer = static_cast<snd_pcm_uframes_t>(captureBufferFrames_);
    steps(PcmStep::AllocateParameters, snd_pcm_hw_params_malloc(&hw.params)) &&
        steps(PcmStep::InitializeParameters, snd_pcm_hw_params_any(pcm, hw.params)) &&
        steps(PcmStep::Access, snd_pcm_hw_params_set_access(pcm, hw.params, SND_PCM_ACCESS_RW_INTERLEAVED)) &&
        steps(PcmStep::Format, snd_pcm_hw_params_set_format(pcm, hw.params, SND_PCM_FORMAT_S16_LE)) &&
        steps(PcmStep::Rate, snd_pcm_hw_params_set_rate_near(pcm, hw.params, &rate, nullptr)) &&
        steps(PcmStep::Channels,
              snd_pcm_hw_params_set_channels(pcm, hw.params, static_cast<unsigned int>(channels))) &&
        (buffer == 0 ||
         steps(PcmStep::BufferSize, snd_pcm_hw_params_set_buffer_size_max(pcm, hw.params, &buffer))) &&
        steps(PcmStep::ApplyParameters, snd_pcm_hw_params(pcm, hw.params)) &&
        steps(PcmStep::Prepare, snd_pcm_prepare(pcm));
    closeOnFailure(pcm, steps);
    return steps.ok() ? std::make_unique<AlsaPcm>(pcm) : nullptr;
}

std::unique_ptr<PcmStream> AlsaSound::openPlayback(const std::string& name, const PlaybackLayout& layout,
                                                   PcmFailure& failure) {
    snd_pcm_t* pcm = nullptr;
    Steps steps(failure);
    if (!steps(PcmStep::Open, open(&pcm, name, SND_PCM_STREAM_PLAYBACK))) return nullptr;
    HardwareParams hw;
    SoftwareParams sw;
    unsigned int rate = kSampleRate;
    auto buffer = static_cast<snd_pcm_uframes_t>(layout.bufferFrames);
    auto period = static_cast<snd_pcm_uframes_t>(layout.periodFrames);
    steps(PcmStep::AllocateParameters, snd_pcm_hw_params_malloc(&hw.params)) &&
        steps(PcmStep::InitializeParameters, snd_pcm_hw_params_any(pcm, hw.params)) &&
        steps(PcmStep::Resample, snd_pcm_hw_params_set_rate_resample(pcm, hw.params, 1)) &&
        steps(PcmStep::Access, snd_pcm_hw_params_set_access(pcm, hw.params, SND_PCM_ACCESS_RW_INTERLEAVED)) &&
        steps(PcmStep::Format, snd_pcm_hw_params_set_format(pcm, hw.params, SND_PCM_FORMAT_S16_LE)) &&
        steps(PcmStep::Rate, snd_pcm_hw_params_set_rate_near(pcm, hw.params, &rate, nullptr)) &&
        steps(PcmStep::Channels, snd_pcm_hw_params_set_channels(pcm, hw.params, 2)) &&
        steps(PcmStep::BufferSize, snd_pcm_hw_params_set_buffer_size_near(pcm, hw.params, &buffer)) &&
        steps(PcmStep::PeriodSize,
              snd_pcm_hw_params_set_period_size_near(pcm, hw.params, &period, nullptr)) &&
        steps(PcmStep::ApplyParameters, snd_pcm_hw_params(pcm, hw.params)) &&
        steps(PcmStep::AllocateSoftware, snd_pcm_sw_params_malloc(&sw.params)) &&
        steps(PcmStep::AllocateSoftware, snd_pcm_sw_params_current(pcm, sw.params)) &&
        steps(PcmStep::StartThreshold,
              snd_pcm_sw_params_set_start_threshold(pcm, sw.params,
                                                    static_cast<snd_pcm_uframes_t>(layout.startThreshold))) &&
        steps(PcmStep::AvailMin, snd_pcm_sw_params_set_avail_min(
                                     pcm, sw.params, static_cast<snd_pcm_uframes_t>(layout.availMin))) &&
        steps(PcmStep::ApplySoftware, snd_pcm_sw_params(pcm, sw.params));
    closeOnFailure(pcm, steps);
    return steps.ok() ? std::make_unique<AlsaPcm>(pcm) : nullptr;
}

std::string AlsaSound::errorText(int error) const {
    return snd_strerror(error);
}

}  // namespace platform
