#include "platform/linux/alsa_pcm.h"

#include <cerrno>

namespace platform {

AlsaPcm::~AlsaPcm() {
    stopWaiting_ = true;
    if (waiter_.joinable()) waiter_.join();
    if (async_ != nullptr) snd_async_del_handler(async_);
    snd_pcm_close(pcm_);
}

long AlsaPcm::readFrames(int16_t* frames, long count) {
    return snd_pcm_readi(pcm_, frames, static_cast<snd_pcm_uframes_t>(count));
}

long AlsaPcm::writeFrames(const int16_t* frames, long count) {
    return snd_pcm_writei(pcm_, frames, static_cast<snd_pcm_uframes_t>(count));
}

long AlsaPcm::available() {
    return snd_pcm_avail_update(pcm_);
}

int AlsaPcm::prepare() {
    return snd_pcm_prepare(pcm_);
}

int AlsaPcm::start() {
    return snd_pcm_start(pcm_);
}

int AlsaPcm::drop() {
    return snd_pcm_drop(pcm_);
}

int AlsaPcm::drain() {
    return snd_pcm_drain(pcm_);
}

int AlsaPcm::setPeriodHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
    const int result = snd_async_add_pcm_handler(&async_, pcm_, onAsync, this);
    if (result != -ENOSYS) return result;
    async_ = nullptr;
    waiter_ = std::thread([this] { waitForPeriods(); });
    return 0;
}

void AlsaPcm::onAsync(snd_async_handler_t* async) {
    static_cast<AlsaPcm*>(snd_async_handler_get_callback_private(async))->handler_();
}

void AlsaPcm::waitForPeriods() {
    while (!stopWaiting_) {
        // A bounded wait, so that closing the device never waits long for this thread.
        const int ready = snd_pcm_wait(pcm_, 100);
        if (stopWaiting_) return;
        if (ready < 0) {
            // The handler recovers the device; give it a moment between attempts.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (ready != 0) handler_();
    }
}

}  // namespace platform
