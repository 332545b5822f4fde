#pragma once
// One open ALSA PCM. Its period handler is ALSA's asynchronous handler where
// the device gives one; where it is refused (the null and file plugins
// answer ENOSYS) a thread that waits on the device calls the same handler.
#include <alsa/asoundlib.h>

#include <atomic>
#include <thread>

#include "platform/sound.h"

namespace platform {

class AlsaPcm final : public PcmStream {
  public:
    explicit AlsaPcm(snd_pcm_t* pcm) : pcm_(pcm) {}
    ~AlsaPcm() override;

    long readFrames(int16_t* frames, long count) override;
    long writeFrames(const int16_t* frames, long count) override;
    long available() override;
    int prepare() override;
    int start() override;
    int drop() override;
    int drain() override;
    int setPeriodHandler(std::function<void()> handler) override;

  private:
    static void onAsync(snd_async_handler_t* async);
    void waitForPeriods();

    snd_pcm_t* pcm_;
    std::function<void()> handler_;
    snd_async_handler_t* async_ = nullptr;
    std::atomic<bool> stopWaiting_{false};
    std::thread waiter_;
};

}  // namespace platform
