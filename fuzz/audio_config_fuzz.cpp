// The client's audio configuration ("CF") as the server takes it: parsed,
// stored in the record and echoed, or refused whole; then the stored values
// at work where they size and index the audio: a chunk sent raw, a chunk
// received into the playback ring, and the playback device's period handler
// over the ring's wrap, where a new jitter depth takes effect. The first byte
// places the ring's indices when the message comes; the rest is the
// message's data, and what follows its 22 bytes is the received chunk.
#include <array>
#include <cstdlib>
#include <span>
#include <vector>

#include "client_frames.h"
#include "core/try_mutex.h"
#include "fuzz_station.h"
#include "remote/audio_config.h"
#include "remote/frame_builder.h"
#include "remote/frame_writers.h"
#include "remote/message_dispatch.h"
#include "remote/opus_codecs.h"
#include "remote/playback_notes.h"
#include "remote/playback_ring.h"

namespace {

using remote::kMostChunkFrames;

// Room for a few periods; it reads every frame it is given.
class PlaybackDevice : public platform::PcmStream {
  public:
    long readFrames(int16_t*, long) override { return -1; }
    long writeFrames(const int16_t* frames, long count) override {
        for (long i = 0; i < count * 2; ++i) sum_ += frames[i];
        room_ -= count;
        return count;
    }
    long available() override { return room_; }
    int prepare() override { return 0; }
    int start() override { return 0; }
    int drop() override { return 0; }
    int drain() override { return 0; }
    int setPeriodHandler(std::function<void()>) override { return 0; }

  private:
    long room_ = 8 * remote::kPeriodFrames;
    long sum_ = 0;
};

core::Works& station() {
    static fuzzing::Station station("audio_config");
    static const bool ready = [] {
        core::Works& works = station.works;
        remote::createOpusCodecs(works);
        works.setup->EnableWrite = '1';
        works.playbackReady = 1;
        works.playRing = remote::playbackRingStorage();
        return true;
    }();
    (void)ready;
    return station.works;
}

int32_t periodsOf(core::Works& works) {
    return works.playbackFrames * remote::kRingSlots / remote::kPeriodFrames;
}

bool opusFrames(int32_t frames) {
    return frames == 120 || frames == 240 || frames == 480 || frames == 960;
}

// An authenticated client with the start-up audio settings, playing, the
// ring's read index a few periods before its wrap.
void playing(core::Works& works, uint8_t place) {
    works.txBitrate = 30000;
    works.rxCoding = 30000;
    works.captureFrames = 480;
    works.playbackFrames = 480;
    works.bufferChunks = 10;
    works.buffersChanged = 0;
    works.sndPlaying = 1;
    works.sndPrefill = 0;
    works.sndWriteIdx = place % remote::kRingSlots;
    works.sndReadIdx = periodsOf(works) - 1 - place % 8;
    works.wsActive = 1;
    works.clientFrames.open();
    works.clientFrames.admit();
}

struct Settings {
    int32_t txBitrate, rxCoding, captureFrames, playbackFrames, bufferChunks;
    bool operator==(const Settings&) const = default;
};

Settings settingsOf(core::Works& works) {
    return {works.txBitrate, works.rxCoding, works.captureFrames, works.playbackFrames, works.bufferChunks};
}

// Taken whole and echoed, or refused whole; what is stored the audio paths can work with.
void checkStored(core::Works& works, std::span<const uint8_t> data, const Settings& before) {
    const std::vector<core::FrameQueue::Frame> frames = fuzzing::queuedFrames(works);
    const Settings after = settingsOf(works);
    if (frames.empty()) {
        if (after != before || works.buffersChanged != 0) std::abort();
        return;
    }
    if (data.size() < remote::kAudioConfigSize) std::abort();
    const std::vector<uint8_t> echo = remote::shortFrame("CF", data.first(remote::kAudioConfigEcho));
    if (frames.size() != 1 || frames[0] != echo) std::abort();
    if (after.captureFrames < 1 || after.captureFrames > kMostChunkFrames) std::abort();
    if (after.playbackFrames < 1 || after.playbackFrames > kMostChunkFrames) std::abort();
    if (after.bufferChunks < 1 || after.bufferChunks > remote::kMostBufferChunks) std::abort();
    if (after.txBitrate != 0 && !opusFrames(after.captureFrames)) std::abort();
    if (after.rxCoding != 0 && !opusFrames(after.playbackFrames)) std::abort();
    if ((works.buffersChanged != 0) != (after.bufferChunks != before.bufferChunks)) std::abort();
}

// The raw chunk goes out whole. (Opus coding is left out: it costs a
// thousand times the rest, and the check above keeps its frame sizes.)
void sendChunk(core::Works& works) {
    if (works.txBitrate != 0) return;
    static const std::array<int16_t, kMostChunkFrames * 2> chunk{};
    remote::sendWebSockAudioFrame(works, chunk);
    const std::vector<core::FrameQueue::Frame> frames = fuzzing::queuedFrames(works);
    if (frames.size() != 1 || frames[0].size() != static_cast<size_t>(works.captureFrames) * 4 + 6)
        std::abort();
}

void playRing(core::Works& works, std::span<const uint8_t> received) {
    if (!received.empty() && !remote::storeReceivedAudio(works, received)) std::abort();
    PlaybackDevice device;
    remote::PlaybackNotes notes;
    remote::MyRecCallback(works, device, notes);
    remote::printPlaybackNotes(notes, works.platform->sound());
    if (works.sndWriteIdx < 0 || works.sndWriteIdx >= remote::kRingSlots) std::abort();
    if (works.sndReadIdx < 0 || works.sndReadIdx >= periodsOf(works)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::Works& works = station();
    fuzzing::silenceLog();
    if (size == 0) return 0;
    playing(works, data[0]);
    const std::span<const uint8_t> message(data + 1, std::min(size - 1, remote::kShortData));
    const Settings before = settingsOf(works);
    remote::DroppedNotes notes;
    (void)remote::dispatchMessage(works, fuzzing::frameOf(remote::shortFrame("CF", message)), notes);
    checkStored(works, message, before);
    sendChunk(works);
    playRing(works, message.size() > remote::kAudioConfigSize ? message.subspan(remote::kAudioConfigSize)
                                                              : std::span<const uint8_t>{});
    return 0;
}
