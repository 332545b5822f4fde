#include "remote/playback_ring.h"

#include <opus.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "core/try_mutex.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace remote {
namespace {

constexpr size_t kFrameBytes = 2 * sizeof(int16_t);

std::array<int16_t, static_cast<size_t>(kRingSlots) * kSlotFrames * 2> ringStorage{};

int16_t* period(int16_t* ring, int32_t index) {
    return ring + static_cast<ptrdiff_t>(index) * kPeriodFrames * 2;
}

// At each wrap of the read index: a ring run ahead is cut back to
// bufferChunks chunks, and a new depth from the client takes effect.
void correctFill(core::Works& works) {
    const int32_t depth = works.bufferChunks;
    const int32_t written = works.sndWriteIdx;
    if (written >= 2 * depth) {
        platform::logInfo("too much sound %d", 2 * depth);
        works.sndWriteIdx = depth;
    } else if (written < 1) {
        platform::logInfo("sound exausted");
    }
    if (works.buffersChanged != 0) {
        works.buffersChanged = 0;
        works.sndWriteIdx = depth;
    }
}

void advance(core::Works& works) {
    if (works.sndPlaying < 1) {
        works.sndReadIdx = 0;
        return;
    }
    const int32_t periods = std::max(works.playbackFrames.load() * kRingSlots / kPeriodFrames, 1);
    const int32_t next = (works.sndReadIdx + 1) % periods;
    works.sndReadIdx = next;
    if (next == 0) correctFill(works);
}

}  // namespace

int16_t* playbackRingStorage() {
    return ringStorage.data();
}

bool storeReceivedAudio(core::Works& works, std::span<const uint8_t> data) {
    int16_t* ring = works.playRing;
    if (works.setup->EnableWrite != '1' || works.playbackReady != 1 || ring == nullptr) return false;
    const int32_t frames = std::clamp(works.playbackFrames.load(), 1, kSlotFrames);
    const int32_t slotIndex = std::clamp(works.sndWriteIdx.load(), 0, kRingSlots - 1);
    int16_t* slot = ring + static_cast<ptrdiff_t>(slotIndex) * frames * 2;
    if (works.rxCoding == 0 || works.opusDecoder == nullptr) {
        std::memcpy(slot, data.data(), std::min(data.size(), static_cast<size_t>(frames) * kFrameBytes));
    } else {
        const int decoded = opus_decode(works.opusDecoder, data.data(), static_cast<opus_int32>(data.size()),
                                        slot, frames, 0);
        if (decoded < 0) std::memset(slot, 0, static_cast<size_t>(frames) * kFrameBytes);
    }
    if (works.sndPrefill < 0) {
        works.sndReadIdx = 0;
        ++works.sndPrefill;
    }
    if (works.sndPrefill >= 0) works.sndPlaying = 1;
    works.sndWriteIdx = (slotIndex + 1) % kRingSlots;
    return true;
}

void restartRing(core::AmpRecord& works) {
    works.sndPlaying = 0;
    works.sndPrefill = -works.bufferChunks;
    works.sndWriteIdx = 0;
    works.sndReadIdx = 0;
}

bool transceiverTakesAudio(core::Works& works) {
    if (works.serMut == nullptr) return false;
    const core::TryLock lock(*works.serMut, works.platform->clock(), "serMut mutex cannot be locked");
    return lock && works.qorParams[core::qorWord::AudioEnable] > 0;
}

void MyRecCallback(core::Works& works, platform::PcmStream& device) {
    int16_t* ring = works.playRing;
    if (ring == nullptr) return;
    platform::Sound& sound = works.platform->sound();
    if (works.sndPlaying == 0) std::memset(period(ring, works.sndReadIdx), 0, kPeriodFrames * kFrameBytes);
    long available = device.available();
    if (available < 0) {
        platform::logError("prepare to output audio interface failed %d (%d - %s)", works.sndReadIdx.load(),
                           static_cast<int>(available), sound.errorText(static_cast<int>(available)).c_str());
        device.prepare();
        const long written = device.writeFrames(period(ring, works.sndReadIdx), kPeriodFrames);
        platform::trace("1");
        if (written < 0)
            platform::trace("Mic 1 send error %d (%s)", static_cast<int>(written),
                            sound.errorText(static_cast<int>(written)).c_str());
        available = device.available();
    }
    while (available >= kPeriodFrames) {
        long written = device.writeFrames(period(ring, works.sndReadIdx), kPeriodFrames);
        platform::trace("2 %d\n", static_cast<int>(written));
        if (written == -EPIPE) {
            device.prepare();
            written = device.writeFrames(period(ring, works.sndReadIdx), kPeriodFrames);
            platform::trace("3");
            if (written < 0)
                platform::trace("Mic 2 send error %d (%s)", static_cast<int>(written),
                                sound.errorText(static_cast<int>(written)).c_str());
        } else if (written != kPeriodFrames) {
            platform::trace("Mic 3 send error %d (%s)", static_cast<int>(written),
                            sound.errorText(static_cast<int>(written)).c_str());
            return;
        }
        advance(works);
        available = device.available();
    }
}

}  // namespace remote
