#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <opus.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/try_mutex.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/sim/paced_pcm.h"
#include "platform/sim/scaled_clock.h"
#include "platform/sim/sim_platform.h"
#include "remote/audio_capture.h"
#include "remote/audio_playback.h"
#include "remote/opus_codecs.h"
#include "remote/server.h"
#include "sim/remote/remote_client.h"

// Remote audio as the client hears it, on the whole road and in real time:
// a client logged in over loopback TCP to the real server thread, the real
// playback and capture threads, and sound devices paced at 48,000 frames a
// second as the simulated station's are; Opus both ways, 10 ms chunks, as
// brisel-remote sends and receives them. A mark is one chunk of a tone in
// the silence, its pitch telling which mark it is.
//  - client to playback: marked chunks sent every 10 ms from the client's
//    socket until the device plays their first loud frame, for the jitter
//    depth the client asks for with "CF" (the argument, in chunks): the first
//    chunk after login, chunks before the ring's first wrap (2 s) and after
//    it, where the playback ring corrects its fill;
//  - capture to client: a marked chunk, from the moment the device captured
//    its first frame until the client has received it and hears the tone.
namespace {

using namespace std::chrono_literals;
using TimePoint = platform::Clock::TimePoint;

constexpr int kChunkFrames = 480;
constexpr int kChunkMicroseconds = 10000;
constexpr long kFramesPerSecond = 48000;
constexpr int32_t kBitrate = 30000;
constexpr int kMarks = 8;

// Mark k is a tone of 750 + 500 k Hz: its zero crossings over the 8 ms after
// its first loud frame tell k, whatever the codec did to its level.
double markPitch(int mark) {
    return 750.0 + 500.0 * mark;
}

void fillMark(int16_t* frames, long count, int mark) {
    for (long frame = 0; frame < count; ++frame) {
        const double phase =
            2 * std::numbers::pi * markPitch(mark) * static_cast<double>(frame) / kFramesPerSecond;
        const auto value = static_cast<int16_t>(12000 * std::sin(phase + 0.5));
        frames[2 * frame] = frames[2 * frame + 1] = value;
    }
}

// Finds the marks in a stream of stereo frames: the frame index where each
// first sounds. A mark heard again later (a ring replaying old slots) keeps
// its first index.
class MarkDetector {
  public:
    // Marks whose first loud frame is among these frames, with its index in the stream.
    std::vector<std::pair<int, long>> scan(const int16_t* frames, long count) {
        std::vector<std::pair<int, long>> found;
        for (long frame = 0; frame < count; ++frame, ++index_) {
            const int16_t sample = frames[2 * frame];
            const bool loud = sample > kLoud || sample < -kLoud;
            if (onset_ >= 0) {
                if ((sample < 0) != negative_) ++crossings_;
                negative_ = sample < 0;
                if (index_ - onset_ >= kWindow) {
                    const double pitch = crossings_ / 2.0 / (kWindow / static_cast<double>(kFramesPerSecond));
                    const long mark = std::lround((pitch - markPitch(0)) / (markPitch(1) - markPitch(0)));
                    if (mark >= 0 && mark < kMarks && !heard_[static_cast<size_t>(mark)]) {
                        heard_[static_cast<size_t>(mark)] = true;
                        found.emplace_back(static_cast<int>(mark), onset_);
                    }
                    onset_ = -1;
                }
            } else if (loud && index_ - lastLoud_ > kQuietBefore) {
                onset_ = index_;
                crossings_ = 0;
                negative_ = sample < 0;
            }
            if (loud) lastLoud_ = index_;
        }
        return found;
    }
    // The device starts a new stream.
    void restart() {
        index_ = 0;
        onset_ = -1;
        lastLoud_ = -kQuietBefore - 1;
    }

  private:
    static constexpr int16_t kLoud = 3000;
    static constexpr long kWindow = 384;
    static constexpr long kQuietBefore = kChunkFrames;

    long index_ = 0;
    long onset_ = -1;
    long lastLoud_ = -kQuietBefore - 1;
    int crossings_ = 0;
    bool negative_ = false;
    std::array<bool, kMarks> heard_{};
};

TimePoint plus(TimePoint origin, long frames) {
    return origin + std::chrono::duration_cast<platform::Clock::Duration>(
                        std::chrono::duration<double>(static_cast<double>(frames) / kFramesPerSecond));
}

double millisecondsBetween(TimePoint from, TimePoint to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// What the plugins behind the simulated devices do with frames: nothing, at once.
class NullPcm final : public platform::PcmStream {
  public:
    long readFrames(int16_t* frames, long count) override {
        std::memset(frames, 0, static_cast<size_t>(count) * 4);
        return count;
    }
    long writeFrames(const int16_t*, long count) override { return count; }
    long available() override { return 0; }
    int prepare() override { return 0; }
    int start() override { return 0; }
    int drop() override { return 0; }
    int drain() override { return 0; }
    int setPeriodHandler(std::function<void()>) override { return 0; }
};

// The playback device: notes when the first frame of each mark is played
// (the device's start plus its place in the written stream). A mark still
// queued when the device is prepared again is lost with the queue.
class PlaybackTap final : public platform::PcmStream {
  public:
    PlaybackTap(platform::Clock& clock, const platform::PlaybackLayout& layout)
        : clock_(clock), layout_(layout), paced_(std::make_unique<NullPcm>(), clock, layout) {}

    long writeFrames(const int16_t* frames, long count) override {
        const long written = paced_.writeFrames(frames, count);
        std::lock_guard lock(mutex_);
        if (written > 0) {
            for (const auto& [mark, frame] : detector_.scan(frames, written)) queued_.emplace(mark, frame);
            written_ += written;
        }
        if (!started_ && written_ >= layout_.startThreshold) startNow();
        if (started_) settle();
        return written;
    }
    long readFrames(int16_t*, long) override { return -1; }
    long available() override { return paced_.available(); }
    int prepare() override {
        std::lock_guard lock(mutex_);
        queued_.clear();
        detector_.restart();
        started_ = false;
        written_ = 0;
        return paced_.prepare();
    }
    int start() override {
        const int result = paced_.start();
        std::lock_guard lock(mutex_);
        startNow();
        settle();
        return result;
    }
    int drop() override { return paced_.drop(); }
    int drain() override { return paced_.drain(); }
    int setPeriodHandler(std::function<void()> handler) override {
        return paced_.setPeriodHandler(std::move(handler));
    }

    // Mark -> when it was played, for the marks played so far.
    std::map<int, TimePoint> played() {
        std::lock_guard lock(mutex_);
        std::map<int, TimePoint> done;
        const TimePoint now = clock_.now();
        for (const auto& [mark, at] : played_)
            if (at <= now) done.emplace(mark, at);
        return done;
    }

  private:
    void startNow() {
        started_ = true;
        origin_ = clock_.now();
    }
    // Queued marks of a running device have their time.
    void settle() {
        for (const auto& [mark, frame] : queued_) played_.emplace(mark, plus(origin_, frame));
        queued_.clear();
    }

    platform::Clock& clock_;
    const platform::PlaybackLayout layout_;
    platform::PacedPcm paced_;
    std::mutex mutex_;
    MarkDetector detector_;
    std::map<int, long> queued_;
    std::map<int, TimePoint> played_;
    bool started_ = false;
    TimePoint origin_{};
    long written_ = 0;
};

// The capture device: on request, marks the first frame of the next chunk
// read and notes when that frame was captured.
class CaptureTap final : public platform::PcmStream {
  public:
    explicit CaptureTap(platform::Clock& clock) : clock_(clock), paced_(std::make_unique<NullPcm>(), clock) {}

    long readFrames(int16_t* frames, long count) override {
        {
            std::lock_guard lock(mutex_);
            // The paced device starts with its first read.
            if (read_ == 0) origin_ = clock_.now();
        }
        const long got = paced_.readFrames(frames, count);
        std::lock_guard lock(mutex_);
        if (got > 0 && wanted_ >= 0) {
            fillMark(frames, got, wanted_);
            captured_.emplace(wanted_, plus(origin_, read_));
            wanted_ = -1;
        }
        if (got > 0) read_ += got;
        return got;
    }
    long writeFrames(const int16_t*, long) override { return -1; }
    long available() override { return paced_.available(); }
    int prepare() override { return paced_.prepare(); }
    int start() override { return paced_.start(); }
    int drop() override { return paced_.drop(); }
    int drain() override { return paced_.drain(); }
    int setPeriodHandler(std::function<void()> handler) override {
        return paced_.setPeriodHandler(std::move(handler));
    }

    void mark(int mark) {
        std::lock_guard lock(mutex_);
        wanted_ = mark;
    }
    std::optional<TimePoint> capturedAt(int mark) {
        std::lock_guard lock(mutex_);
        const auto found = captured_.find(mark);
        if (found == captured_.end()) return std::nullopt;
        return found->second;
    }

  private:
    platform::Clock& clock_;
    platform::PacedPcm paced_;
    std::mutex mutex_;
    TimePoint origin_{};
    long read_ = 0;
    int wanted_ = -1;
    std::map<int, TimePoint> captured_;
};

// The devices the audio threads open: taps in place of ALSA's plugins.
class TapSound final : public platform::Sound {
  public:
    explicit TapSound(platform::Clock& clock) : clock_(clock) {}

    std::unique_ptr<platform::PcmStream> openCapture(const std::string&, int,
                                                     platform::PcmFailure&) override {
        auto device = std::make_unique<CaptureTap>(clock_);
        capture = device.get();
        return device;
    }
    std::unique_ptr<platform::PcmStream> openPlayback(const std::string&,
                                                      const platform::PlaybackLayout& layout,
                                                      platform::PcmFailure&) override {
        auto device = std::make_unique<PlaybackTap>(clock_, layout);
        playback = device.get();
        return device;
    }
    [[nodiscard]] std::string errorText(int) const override { return "none"; }

    // The devices now open; a playback device lives while its client does.
    std::atomic<CaptureTap*> capture{nullptr};
    std::atomic<PlaybackTap*> playback{nullptr};

  private:
    platform::Clock& clock_;
};

// The simulated platform with the tapped sound devices.
class TappedPlatform final : public platform::Platform {
  public:
    explicit TappedPlatform(platform::SimPlatform& sim) : taps(sim.clock()), sim_(sim) {}

    [[nodiscard]] const platform::RunRoot& root() const override { return sim_.root(); }
    [[nodiscard]] platform::System& system() override { return sim_.system(); }
    [[nodiscard]] platform::FileStore& files() override { return sim_.files(); }
    [[nodiscard]] platform::Clock& clock() override { return sim_.clock(); }
    [[nodiscard]] platform::Gpio& gpio() override { return sim_.gpio(); }
    [[nodiscard]] platform::Sound& sound() override { return taps; }
    int setRealtimePriority(pthread_t thread, int priority) override {
        return sim_.setRealtimePriority(thread, priority);
    }
    [[nodiscard]] uint32_t remoteServerAddress() const override { return sim_.remoteServerAddress(); }
    std::unique_ptr<platform::FramebufferDevice> openFramebuffer() override { return sim_.openFramebuffer(); }
    std::unique_ptr<platform::UsbDevice> usbDevice() override { return sim_.usbDevice(); }
    std::unique_ptr<platform::SerialPort> serialPort() override { return sim_.serialPort(); }
    std::unique_ptr<platform::KeyboardDevice> keyboardDevice() override { return sim_.keyboardDevice(); }
    [[nodiscard]] std::string imagePath(const std::string& name) const override {
        return sim_.imagePath(name);
    }
    void whenPoweredOff(std::function<void()> action) override { sim_.whenPoweredOff(std::move(action)); }

    TapSound taps;

  private:
    platform::SimPlatform& sim_;
};

// A station in real time with its server thread and one audio thread.
class AudioRoad {
  public:
    enum class Way { ToPlayback, FromCapture };

    explicit AudioRoad(Way way)
        : root_(makeRoot()),
          sim_(platform::makeSimPlatform(root_.string(), std::make_unique<platform::ScaledClock>(1.0))),
          machine_(*sim_) {
        previousSink_ = platform::setLogSink(&silent_);
        works.platform = &machine_;
        works.setup = &setup_;
        works.threads = &threads_;
        works.serMut = &serMut_;
        core::InitGlobalVar(works);
        works.Passphrase.set("bench");
        works.TcpPort = static_cast<int16_t>(bench::freeLoopbackPort());
        works.qorParams[core::qorWord::AudioEnable] = 1;
        works.captureFrames = kChunkFrames;
        works.playbackFrames = kChunkFrames;
        works.bufferChunks = 10;
        works.AudioBuffers = 20;
        works.txBitrate = kBitrate;
        works.rxCoding = 1;
        remote::createOpusCodecs(works);
        std::strcpy(setup_.AudioIn, "hw:1");
        std::strcpy(setup_.AudioOut, "hw:1");
        std::strcpy(setup_.InChannels, "2");
        setup_.EnableWrite = way == Way::ToPlayback ? '1' : '0';
        setup_.EnableRead = way == Way::FromCapture ? '1' : '0';
        works.running = 1;
        threads_.start(works, core::ThreadId::Wsocket, remote::Wsocket);
        if (way == Way::ToPlayback)
            threads_.start(works, core::ThreadId::AudioWrite, remote::th_scrivi);
        else
            threads_.start(works, core::ThreadId::AudioRead, remote::th_leggi);
    }
    ~AudioRoad() {
        client.close();
        setup_.EnableWrite = '0';
        setup_.EnableRead = '0';
        works.running = 0;
        threads_.join(core::ThreadId::AudioWrite);
        threads_.join(core::ThreadId::AudioRead);
        threads_.join(core::ThreadId::Wsocket);
        remote::destroyOpusCodecs(works);
        platform::setLogSink(previousSink_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    AudioRoad(const AudioRoad&) = delete;
    AudioRoad& operator=(const AudioRoad&) = delete;

    // Waits in real time for what another thread brings about.
    static bool eventually(const std::function<bool()>& condition, std::chrono::seconds limit = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    // Logged in, with the station's flag up, and the audio settings sent.
    bool logIn(int32_t bufferChunks) {
        remote_client::Endpoint endpoint;
        endpoint.port = static_cast<uint16_t>(works.TcpPort.load());
        if (!eventually([&] {
                if (client.connect(endpoint).empty()) return true;
                client.close();
                return false;
            }))
            return false;
        return client.login("bench") && eventually([&] { return works.wsActive == 1; }) &&
               client.sendAudioConfig(kBitrate, 1, kChunkMicroseconds, kChunkMicroseconds, bufferChunks);
    }

    platform::Clock& clock() { return machine_.clock(); }
    TapSound& sound() { return machine_.taps; }

    core::Works works;
    remote_client::RemoteClient client;

  private:
    static std::filesystem::path makeRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brisel-bench-XXXXXX").string();
        return mkdtemp(pattern.data());
    }

    bench::Silent silent_;
    platform::LogSink* previousSink_ = nullptr;
    std::filesystem::path root_;
    std::unique_ptr<platform::SimPlatform> sim_;
    TappedPlatform machine_;
    core::SetupRecord setup_;
    core::ThreadSet threads_;
    core::TryMutex serMut_;
};

// Chunks of the client's stream that carry a mark: the first after login,
// three before the ring's first wrap and four after it.
const std::array<int, kMarks> kMarkedChunks = {0, 50, 100, 150, 250, 300, 350, 400};
constexpr int kChunksSent = 420;
constexpr int kFirstChunkAfterWrap = 250;

double mean(const std::vector<double>& values) {
    return values.empty()
               ? 0
               : std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double largest(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

class Encoder {
  public:
    Encoder() : encoder_(opus_encoder_create(48000, 2, OPUS_APPLICATION_AUDIO, nullptr)) {}
    ~Encoder() { opus_encoder_destroy(encoder_); }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    std::vector<uint8_t> encode(const std::vector<int16_t>& chunk) {
        std::vector<uint8_t> packet(1000);
        const int length = opus_encode(encoder_, chunk.data(), kChunkFrames, packet.data(),
                                       static_cast<opus_int32>(packet.size()));
        packet.resize(length > 0 ? static_cast<size_t>(length) : 0);
        return packet;
    }

  private:
    OpusEncoder* encoder_;
};

void BM_RemoteAudioClientToPlayback(benchmark::State& state) {
    const auto depth = static_cast<int32_t>(state.range(0));
    std::vector<double> firsts, beforeWrap, afterWrap;
    int lost = 0;
    for (auto _ : state) {
        AudioRoad road(AudioRoad::Way::ToPlayback);
        if (!AudioRoad::eventually([&] { return road.works.playbackReady == 1; }) || !road.logIn(depth)) {
            state.SkipWithError("no login, or no playback device");
            return;
        }
        Encoder encoder;
        std::array<TimePoint, kMarks> sent{};
        std::vector<int16_t> chunk(kChunkFrames * 2);
        auto due = std::chrono::steady_clock::now();
        for (int index = 0, mark = 0; index < kChunksSent; ++index) {
            std::fill(chunk.begin(), chunk.end(), 0);
            const bool marked = mark < kMarks && kMarkedChunks[static_cast<size_t>(mark)] == index;
            if (marked) fillMark(chunk.data(), kChunkFrames, mark);
            const std::vector<uint8_t> packet = encoder.encode(chunk);
            if (marked) sent[static_cast<size_t>(mark++)] = road.clock().now();
            if (!road.client.sendBinary("SO", packet)) break;
            due += std::chrono::microseconds(kChunkMicroseconds);
            std::this_thread::sleep_until(due);
        }
        // The last mark is played within the ring's depth and the device's
        // buffer, or a ring's lap (2 s) later when the read index had run past
        // it; a mark cut from the ring at a wrap is lost.
        std::map<int, TimePoint> played;
        AudioRoad::eventually(
            [&] {
                PlaybackTap* device = road.sound().playback;
                if (device != nullptr) played = device->played();
                return played.size() == kMarks;
            },
            3s);
        lost += static_cast<int>(kMarks - played.size());
        for (int mark = 0; mark < kMarks; ++mark) {
            if (!played.contains(mark)) continue;
            const double latency = millisecondsBetween(sent[static_cast<size_t>(mark)], played[mark]);
            if (mark == 0)
                firsts.push_back(latency);
            else if (kMarkedChunks[static_cast<size_t>(mark)] < kFirstChunkAfterWrap)
                beforeWrap.push_back(latency);
            else
                afterWrap.push_back(latency);
        }
    }
    state.counters["ring_depth_ms"] = depth * kChunkMicroseconds / 1000.0;
    state.counters["first_chunk_ms"] = mean(firsts);
    state.counters["before_wrap_ms"] = mean(beforeWrap);
    state.counters["latency_ms"] = mean(afterWrap);
    state.counters["latency_max_ms"] = largest(afterWrap);
    state.counters["marks_lost"] = lost;
}
BENCHMARK(BM_RemoteAudioClientToPlayback)
    ->Arg(5)
    ->Arg(10)
    ->Arg(20)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_RemoteAudioCaptureToClient(benchmark::State& state) {
    std::vector<double> latencies;
    for (auto _ : state) {
        AudioRoad road(AudioRoad::Way::FromCapture);
        if (!road.logIn(10) || !AudioRoad::eventually([&] { return road.sound().capture != nullptr; })) {
            state.SkipWithError("no login, or no capture device");
            return;
        }
        OpusDecoder* decoder = opus_decoder_create(48000, 2, nullptr);
        MarkDetector detector;
        std::vector<int16_t> decoded(5760 * 2);
        // When each chunk came, by the stream index of its first frame: a
        // mark is heard with the chunk its first loud frame is in.
        std::map<long, TimePoint> arrivals;
        long received = 0;
        for (int mark = 0; mark < kMarks; ++mark) {
            // A quiet chunk between two marks.
            std::this_thread::sleep_for(50ms);
            road.sound().capture.load()->mark(mark);
            std::optional<TimePoint> heard;
            while (!heard) {
                const auto message = road.client.receive(2000);
                if (!message) break;
                if (message->code != "SO") continue;
                const int frames =
                    opus_decode(decoder, message->data.data(), static_cast<opus_int32>(message->data.size()),
                                decoded.data(), 5760, 0);
                if (frames <= 0) continue;
                arrivals[received] = road.clock().now();
                received += frames;
                for (const auto& [found, onset] : detector.scan(decoded.data(), frames))
                    if (found == mark) heard = std::prev(arrivals.upper_bound(onset))->second;
            }
            const auto captured = road.sound().capture.load()->capturedAt(mark);
            if (!heard || !captured) {
                opus_decoder_destroy(decoder);
                state.SkipWithError("a marked chunk never reached the client");
                return;
            }
            latencies.push_back(millisecondsBetween(*captured, *heard));
        }
        opus_decoder_destroy(decoder);
    }
    state.counters["chunk_ms"] = kChunkMicroseconds / 1000.0;
    state.counters["latency_ms"] = mean(latencies);
    state.counters["latency_max_ms"] = largest(latencies);
}
BENCHMARK(BM_RemoteAudioCaptureToClient)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
