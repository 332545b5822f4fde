#include "remote/playback_ring.h"

#include <opus.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "core/try_mutex.h"
#include "core/works.h"
#include "platform/platform.h"
#include "remote/playback_notes.h"

namespace remote {
namespace {

constexpr size_t kFrameBytes = 2 * sizeof(int16_t);
// The playback device's own period: four of the handler's.
constexpr int32_t kFirstPeriods = 4;

std::array<int16_t, static_cast<size_t>(kRingSlots) * kSlotFrames * 2> ringStorage{};

int16_t* period(int16_t* ring, int32_t index) {
    return ring + static_cast<ptrdiff_t>(index) * kPeriodFrames * 2;
}

// At each wrap of the read index: a ring run ahead is cut back to
// bufferChunks chunks, and a new depth from the client takes effect.
void correctFill(core::Works& works, PlaybackNotes& notes) {
    const int32_t depth = works.bufferChunks;
    const int32_t written = works.sndWriteIdx;
    if (written >= 2 * depth) {
        notes.add({PlaybackNoteKind::TooMuchSound, 0, 2 * depth});
        works.sndWriteIdx = depth;
    } else if (written < 1) {
        notes.add({PlaybackNoteKind::SoundExhausted, 0, 0});
    }
    if (works.buffersChanged != 0) {
        works.buffersChanged = 0;
        works.sndWriteIdx = depth;
    }
}

// The slot a received chunk goes to. While playing, a writer that the read
// index has passed would put the chunk where it plays only a lap (two
// seconds) later: the chunk goes bufferChunks slots ahead of the read index
// instead, as the fill correction at the wrap would put it. A chunk for the
// slot being read still goes there; only its start is lost.
int32_t writeSlot(core::Works& works, int32_t frames) {
    const int32_t written = std::clamp(works.sndWriteIdx.load(), 0, kRingSlots - 1);
    if (works.sndPlaying != 1) return written;
    const int32_t reading = (works.sndReadIdx * kPeriodFrames / frames) % kRingSlots;
    const int32_t ahead = (written - reading + kRingSlots) % kRingSlots;
    if (ahead < kRingSlots / 2) return written;
    return (reading + std::clamp(works.bufferChunks.load(), 1, kRingSlots / 2)) % kRingSlots;
}

void advance(core::Works& works, PlaybackNotes& notes) {
    if (works.sndPlaying < 1) {
        works.sndReadIdx = 0;
        return;
    }
    const int32_t periods = std::max(works.playbackFrames.load() * kRingSlots / kPeriodFrames, 1);
    const int32_t next = (works.sndReadIdx + 1) % periods;
    works.sndReadIdx = next;
    if (next == 0) correctFill(works, notes);
}

}  // namespace

int16_t* playbackRingStorage() {
    return ringStorage.data();
}

bool storeReceivedAudio(core::Works& works, std::span<const uint8_t> data) {
    int16_t* ring = works.playRing;
    if (works.setup->EnableWrite != '1' || works.playbackReady != 1 || ring == nullptr) return false;
    const int32_t frames = std::clamp(works.playbackFrames.load(), 1, kSlotFrames);
    const int32_t slotIndex = writeSlot(works, frames);
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

void writeFirstPeriods(core::Works& works, platform::PcmStream& device) {
    int16_t* ring = works.playRing;
    device.writeFrames(ring, kFirstPeriods * kPeriodFrames);
    // The handler goes on after them: played again they would repeat the
    // operator's first 4 ms and delay all that follows by as much.
    std::memset(ring, 0, kFirstPeriods * kPeriodFrames * kFrameBytes);
    works.sndReadIdx = kFirstPeriods;
}

void MyRecCallback(core::Works& works, platform::PcmStream& device, PlaybackNotes& notes) {
    int16_t* ring = works.playRing;
    if (ring == nullptr) return;
    if (works.sndPlaying == 0) std::memset(period(ring, works.sndReadIdx), 0, kPeriodFrames * kFrameBytes);
    long available = device.available();
    if (available < 0) {
        notes.add({PlaybackNoteKind::DeviceInError, works.sndReadIdx, static_cast<int32_t>(available)});
        device.prepare();
        const long written = device.writeFrames(period(ring, works.sndReadIdx), kPeriodFrames);
        notes.add({PlaybackNoteKind::RewroteAfterError, works.sndReadIdx, static_cast<int32_t>(written)});
        available = device.available();
    }
    while (available >= kPeriodFrames) {
        long written = device.writeFrames(period(ring, works.sndReadIdx), kPeriodFrames);
        notes.add({PlaybackNoteKind::WrotePeriod, works.sndReadIdx, static_cast<int32_t>(written)});
        if (written == -EPIPE) {
            device.prepare();
            written = device.writeFrames(period(ring, works.sndReadIdx), kPeriodFrames);
            notes.add(
                {PlaybackNoteKind::RewroteAfterUnderrun, works.sndReadIdx, static_cast<int32_t>(written)});
        } else if (written != kPeriodFrames) {
            notes.add({PlaybackNoteKind::ShortWrite, works.sndReadIdx, static_cast<int32_t>(written)});
            return;
        }
        // Played: a read index that runs past the last chunk received finds silence, not old audio.
        std::memset(period(ring, works.sndReadIdx), 0, kPeriodFrames * kFrameBytes);
        advance(works, notes);
        available = device.available();
    }
}

}  // namespace remote
