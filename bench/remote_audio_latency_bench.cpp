#include <benchmark/benchmark.h>
#include <opus.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "core/record/setup_record.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/paced_pcm.h"
#include "platform/sim/sim_platform.h"
#include "remote/client_writer.h"
#include "remote/frame_writers.h"
#include "remote/opus_codecs.h"
#include "remote/playback_notes.h"
#include "remote/playback_ring.h"

// Audio one-way latency at the default settings (10 ms chunks, 10 chunks of
// jitter depth, 20 device periods of 192 frames, Opus at 30 kb/s):
//  - capture to client: a chunk's first frame waits the chunk's length at the
//    capture device, then the chunk is encoded, framed, handed to the
//    connection's writer thread, sent over a socket and decoded by the
//    client (the last four timed here);
//  - client to playback: a marked chunk goes through the playback ring and a
//    device paced at 48 kHz, on a simulated clock, until the device plays it.
namespace {

using namespace std::chrono_literals;

constexpr int16_t kMarker = 12345;
constexpr int32_t kChunkFrames = 480;

std::filesystem::path makeRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brisel-bench-XXXXXX").string();
    return mkdtemp(pattern.data());
}

// A simulated station's record at the default audio settings.
class AudioStation {
  public:
    AudioStation() : root_(makeRoot()) {
        auto clock = std::make_unique<platform::ManualClock>();
        clock_ = clock.get();
        machine_ = platform::makeSimPlatform(root_.string(), std::move(clock));
        previousSink_ = platform::setLogSink(&silent_);
        works.platform = machine_.get();
        works.setup = &setup_;
        core::InitGlobalVar(works);
        works.captureFrames = kChunkFrames;
        works.playbackFrames = kChunkFrames;
        works.bufferChunks = 10;
        works.AudioBuffers = 20;
        works.txBitrate = 30000;
        works.rxCoding = 0;
        works.running = 1;
    }
    ~AudioStation() {
        remote::destroyOpusCodecs(works);
        platform::setLogSink(previousSink_);
        machine_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    platform::ManualClock& clock() { return *clock_; }

    core::Works works;

  private:
    std::filesystem::path root_;
    bench::Silent silent_;
    platform::LogSink* previousSink_ = nullptr;
    core::SetupRecord setup_;
    platform::ManualClock* clock_ = nullptr;
    std::unique_ptr<platform::SimPlatform> machine_;
};

// The device behind the pacing: notes at which frame the marker was written.
class MarkerDevice final : public platform::PcmStream {
  public:
    long markerFrame = -1;

    long readFrames(int16_t*, long) override { return -1; }
    long writeFrames(const int16_t* frames, long count) override {
        for (long frame = 0; frame < count && markerFrame < 0; ++frame)
            if (frames[2 * frame] == kMarker) markerFrame = written_ + frame;
        written_ += count;
        return count;
    }
    long available() override { return 0; }
    int prepare() override { return 0; }
    int start() override { return 0; }
    int drop() override { return 0; }
    int drain() override { return 0; }
    int setPeriodHandler(std::function<void()>) override { return 0; }

  private:
    long written_ = 0;
};

void BM_AudioClientToPlayback(benchmark::State& state) {
    double latencyMs = 0;
    for (auto _ : state) {
        AudioStation station;
        core::Works& works = station.works;
        platform::ManualClock& clock = station.clock();
        auto device = std::make_unique<MarkerDevice>();
        MarkerDevice& marker = *device;
        platform::PacedPcm paced(
            std::move(device), clock,
            {.bufferFrames = 3840, .periodFrames = 192, .startThreshold = 3648, .availMin = 192});
        works.playRing = remote::playbackRingStorage();
        works.playbackReady = 1;
        remote::restartRing(works);
        const std::vector<uint8_t> silence(kChunkFrames * 4, 0);
        std::vector<uint8_t> marked = silence;
        std::memcpy(marked.data(), &kMarker, sizeof kMarker);
        platform::Clock::TimePoint sentAt{}, startedAt{};
        bool started = false;
        remote::PlaybackNotes notes;
        // One millisecond steps: a chunk every ten, the period handler every one.
        for (int ms = 0; ms < 3000 && marker.markerFrame < 0; ++ms) {
            if (ms % 10 == 0) {
                const bool mark = ms == 1500;
                if (mark) sentAt = clock.now();
                remote::storeReceivedAudio(works, mark ? marked : silence);
            }
            if (!started && works.sndPlaying == 1) {
                remote::writeFirstPeriods(works, paced);
                paced.start();
                startedAt = clock.now();
                started = true;
            }
            if (started) remote::MyRecCallback(works, paced, notes);
            if (ms % 10 == 0) remote::printPlaybackNotes(notes, works.platform->sound());
            clock.advance(1ms);
        }
        const auto playedAt =
            startedAt + std::chrono::duration_cast<platform::Clock::Duration>(
                            std::chrono::duration<double>(static_cast<double>(marker.markerFrame) / 48000.0));
        latencyMs = std::chrono::duration<double, std::milli>(playedAt - sentAt).count();
    }
    state.counters["latency_ms"] = latencyMs;
}
BENCHMARK(BM_AudioClientToPlayback)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_AudioCaptureToClient(benchmark::State& state) {
    AudioStation station;
    core::Works& works = station.works;
    remote::createOpusCodecs(works);
    int ends[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, ends);
    auto writer = std::make_unique<remote::ClientWriter>(works, ends[0]);
    works.clientFrames.admit();
    works.wsActive = 1;
    OpusDecoder* decoder = opus_decoder_create(48000, 2, nullptr);
    std::vector<int16_t> chunk(kChunkFrames * 2);
    for (int frame = 0; frame < kChunkFrames; ++frame)
        chunk[2 * frame] = chunk[2 * frame + 1] = static_cast<int16_t>(8000 * std::sin(frame * 0.13));
    std::vector<uint8_t> received(4096);
    std::vector<int16_t> decoded(kChunkFrames * 2);
    for (auto _ : state) {
        remote::sendWebSockAudioFrame(works, chunk);
        const ssize_t length = recv(ends[1], received.data(), received.size(), 0);
        // Past the frame's head: type, 16-bit length form and "SO".
        benchmark::DoNotOptimize(opus_decode(decoder, received.data() + 6,
                                             static_cast<opus_int32>(length - 6), decoded.data(),
                                             kChunkFrames, 0));
    }
    opus_decoder_destroy(decoder);
    writer.reset();
    close(ends[0]);
    close(ends[1]);
    state.counters["chunk_wait_ms"] = 1000.0 * kChunkFrames / 48000.0;
}
BENCHMARK(BM_AudioCaptureToClient)->Unit(benchmark::kMicrosecond);

}  // namespace
