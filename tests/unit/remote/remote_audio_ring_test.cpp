#include <gtest/gtest.h>
#include <opus.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <numbers>
#include <vector>

#include "core/try_mutex.h"
#include "remote/frame_builder.h"
#include "remote/message_dispatch.h"
#include "remote/opus_codecs.h"
#include "remote/playback_notes.h"
#include "remote/playback_ring.h"
#include "test_station.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int32_t kChunkFrames = 480;
constexpr size_t kChunkBytes = kChunkFrames * 4;

// A playback device whose room and write results the test sets.
class ScriptedDevice : public platform::PcmStream {
  public:
    std::deque<long> rooms;         // what available() answers in turn; 0 after
    std::deque<long> writeResults;  // what writeFrames() answers in turn; 48 after
    std::vector<std::vector<int16_t>> written;
    int prepares = 0;

    long readFrames(int16_t*, long) override { return -EINVAL; }
    long writeFrames(const int16_t* frames, long count) override {
        written.emplace_back(frames, frames + count * 2);
        return next(writeResults, count);
    }
    long available() override { return next(rooms, 0); }
    int prepare() override { return ++prepares, 0; }
    int start() override { return 0; }
    int drop() override { return 0; }
    int drain() override { return 0; }
    int setPeriodHandler(std::function<void()>) override { return 0; }

  private:
    static long next(std::deque<long>& script, long otherwise) {
        if (script.empty()) return otherwise;
        const long value = script.front();
        script.pop_front();
        return value;
    }
};

class PlaybackRing : public ::testing::Test {
  protected:
    PlaybackRing() {
        works.playbackFrames = kChunkFrames;
        works.bufferChunks = 10;
        works.rxCoding = 0;
        works.playRing = remote::playbackRingStorage();
        works.playbackReady = 1;
        works.serMut = &serMut;
        works.qorParams[core::qorWord::AudioEnable] = 1;
        std::memset(ring(), 0, 200 * 960 * 4);
    }
    ~PlaybackRing() override { remote::destroyOpusCodecs(works); }

    int16_t* ring() { return works.playRing.load(); }
    const uint8_t* slotBytes(int slot) {
        return reinterpret_cast<const uint8_t*>(ring() + slot * kChunkFrames * 2);
    }
    bool store(const Bytes& data) { return remote::storeReceivedAudio(works, data); }
    static constexpr int32_t periodsPerRing() { return kChunkFrames * 200 / 48; }

    void callback(platform::PcmStream& device) { remote::MyRecCallback(works, device, playbackNotes); }
    void printNotes() { remote::printPlaybackNotes(playbackNotes, works.platform->sound()); }

    testing_support::TestStation station;
    core::Works& works = station.works;
    core::TryMutex serMut;
    remote::PlaybackNotes playbackNotes;
};

TEST_F(PlaybackRing, PlayingStartsOnceTheBufferedChunksAreIn) {
    remote::restartRing(works);
    for (int chunk = 1; chunk <= 10; ++chunk) {
        EXPECT_EQ(works.sndPlaying, 0) << "before chunk " << chunk;
        ASSERT_TRUE(store(Bytes(kChunkBytes, 1)));
    }
    EXPECT_EQ(works.sndPlaying, 1);
    EXPECT_EQ(works.sndWriteIdx, 10);
    EXPECT_EQ(works.sndPrefill, 0);
    // The ring wraps after 200 chunks.
    works.sndWriteIdx = 199;
    works.sndReadIdx = 195 * 10;
    store(Bytes(kChunkBytes, 1));
    EXPECT_EQ(works.sndWriteIdx, 0);
}

TEST_F(PlaybackRing, ChunksAreDroppedWhilePlaybackCannotTakeThem) {
    struct Case {
        const char* name;
        char enableWrite;
        int32_t ready;
        bool ringPublished;
    };
    const Case cases[] = {
        {"playback disabled", '0', 1, true},
        {"device not configured", '1', 0, true},
        {"ring not published", '1', 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        works.setup->EnableWrite = c.enableWrite;
        works.playbackReady = c.ready;
        if (!c.ringPublished) works.playRing = nullptr;
        works.sndWriteIdx = 3;
        EXPECT_FALSE(store(Bytes(kChunkBytes, 1)));
        EXPECT_EQ(works.sndWriteIdx, 3);
        works.setup->EnableWrite = '1';
        works.playbackReady = 1;
        works.playRing = remote::playbackRingStorage();
    }
}

TEST_F(PlaybackRing, ARawChunkLongerThanASlotIsCutToIt) {
    std::memset(ring() + kChunkFrames * 2, 0x22, kChunkBytes);
    ASSERT_TRUE(store(Bytes(3 * kChunkBytes, 0x11)));
    EXPECT_EQ(slotBytes(0)[kChunkBytes - 1], 0x11);
    EXPECT_EQ(slotBytes(1)[0], 0x22);
    EXPECT_EQ(slotBytes(1)[kChunkBytes - 1], 0x22);
}

TEST_F(PlaybackRing, AnOpusPacketThatDoesNotDecodeGivesOneChunkOfSilence) {
    remote::createOpusCodecs(works);
    works.rxCoding = 1;
    std::memset(ring(), 0x55, 2 * kChunkBytes);
    ASSERT_TRUE(store(Bytes{0xff, 0xff, 0xff}));
    for (size_t at = 0; at < kChunkBytes; ++at) ASSERT_EQ(slotBytes(0)[at], 0) << at;
    EXPECT_EQ(slotBytes(1)[0], 0x55);
    EXPECT_EQ(works.sndWriteIdx, 1);
}

// A 1 kHz tone through the station's encoder and its receive path keeps its level.
TEST_F(PlaybackRing, OpusRoundTripKeepsATone) {
    works.txBitrate = 64000;
    remote::createOpusCodecs(works);
    works.rxCoding = 1;
    std::vector<int16_t> chunk(kChunkFrames * 2);
    double sentPower = 0;
    for (int n = 0; n < 10; ++n) {
        for (int frame = 0; frame < kChunkFrames; ++frame) {
            const double phase = 2 * std::numbers::pi * 1000.0 * (n * kChunkFrames + frame) / 48000.0;
            chunk[2 * frame] = chunk[2 * frame + 1] = static_cast<int16_t>(8000 * std::sin(phase));
            sentPower += 2.0 * chunk[2 * frame] * chunk[2 * frame];
        }
        Bytes packet(4000);
        const int length = opus_encode(works.opusEncoder, chunk.data(), kChunkFrames, packet.data(),
                                       static_cast<opus_int32>(packet.size()));
        ASSERT_GT(length, 0);
        packet.resize(static_cast<size_t>(length));
        ASSERT_TRUE(store(packet));
    }
    sentPower /= 10.0 * kChunkFrames * 2;
    // The last chunk, past the codec's start-up delay.
    double receivedPower = 0;
    const int16_t* last = ring() + 9 * kChunkFrames * 2;
    for (int sample = 0; sample < kChunkFrames * 2; ++sample)
        receivedPower += double(last[sample]) * last[sample];
    receivedPower /= kChunkFrames * 2;
    EXPECT_NEAR(std::sqrt(receivedPower / sentPower), 1.0, 0.2);
}

TEST_F(PlaybackRing, SoMessagesFromTheClientFillTheRing) {
    remote::DroppedNotes notes;
    remote::Frame frame;
    const std::vector<uint8_t> bytes =
        remote::longFrame("SO", Bytes(1000, 7));  // a frame holds at most 1024 bytes
    std::copy(bytes.begin(), bytes.end(), frame.bytes.begin());
    frame.size = bytes.size();
    EXPECT_EQ(remote::dispatchMessage(works, frame, notes), remote::Dispatch::Continue);
    EXPECT_EQ(works.sndWriteIdx, 1);
    EXPECT_EQ(slotBytes(0)[0], 7);
    EXPECT_FALSE(notes.noPlayback);
    // Without a block that enables it, or once disabled, the transceiver takes no audio.
    for (int32_t enable : {0, -1}) {
        works.qorParams[core::qorWord::AudioEnable] = enable;
        EXPECT_EQ(remote::dispatchMessage(works, frame, notes), remote::Dispatch::Continue);
        EXPECT_EQ(works.sndWriteIdx, 1) << enable;
    }
}

// The fill check at each wrap of the read index.
TEST_F(PlaybackRing, TheFillIsCorrectedWhenTheReadIndexWraps) {
    struct Case {
        const char* name;
        int32_t writeIndex;
        uint8_t buffersChanged;
        int32_t writeIndexAfter;
        const char* logged;
    };
    const Case cases[] = {
        {"ring run ahead by twice the depth", 20, 0, 10, "too much sound 20"},
        {"further ahead", 37, 0, 10, "too much sound 20"},
        {"just below twice the depth", 19, 0, 19, nullptr},
        {"network dried up", 0, 0, 0, "sound exausted"},
        {"client asked for another depth", 5, 1, 10, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        station.log.clear();
        works.sndPlaying = 1;
        works.sndReadIdx = periodsPerRing() - 1;
        works.sndWriteIdx = c.writeIndex;
        works.buffersChanged = c.buffersChanged;
        ScriptedDevice device;
        device.rooms = {48, 0};
        callback(device);
        printNotes();
        EXPECT_EQ(works.sndReadIdx, 0);
        EXPECT_EQ(works.sndWriteIdx, c.writeIndexAfter);
        EXPECT_EQ(works.buffersChanged, 0);
        EXPECT_EQ(station.log.contains(c.logged != nullptr ? c.logged : "sound"), c.logged != nullptr);
    }
}

TEST_F(PlaybackRing, TheCallbackFeedsOnePeriodAtATimeWhileTheDeviceHasRoom) {
    struct Case {
        const char* name;
        int32_t playing;
        std::deque<long> rooms;
        std::deque<long> writeResults;
        size_t writes;
        int prepares;
        int32_t readIndexAfter;
    };
    const Case cases[] = {
        {"three periods of room", 1, {200, 100, 48, 47}, {}, 3, 0, 8},
        {"pre-fill not in: silence, the index stays", 0, {48, 48, 0}, {}, 2, 0, 0},
        {"underrun on a write", 1, {48, 0}, {-EPIPE, 48}, 2, 1, 6},
        {"device in error before writing", 1, {-EPIPE, 48, 0}, {}, 2, 1, 6},
        {"a short write ends the call", 1, {48, 48}, {-EIO}, 1, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        works.sndPlaying = c.playing;
        works.sndReadIdx = 5;
        std::memset(ring() + 5 * 48 * 2, 0x33, 48 * 4);
        ScriptedDevice device;
        device.rooms = c.rooms;
        device.writeResults = c.writeResults;
        callback(device);
        EXPECT_EQ(device.written.size(), c.writes);
        EXPECT_EQ(device.prepares, c.prepares);
        EXPECT_EQ(works.sndReadIdx, c.readIndexAfter);
        EXPECT_EQ(device.written.at(0).at(0), c.playing == 0 ? 0 : 0x3333);
    }
}

// Period j of the ring holds the value j + 1 in every sample.
void numberPeriods(int16_t* ring, int32_t periods) {
    for (int32_t period = 0; period < periods; ++period)
        std::fill_n(ring + period * 48 * 2, 48 * 2, static_cast<int16_t>(period + 1));
}

// The device starts with the ring's first four periods; the handler goes on
// after them instead of playing them a second time.
TEST_F(PlaybackRing, TheFirstPeriodsArePlayedOnce) {
    numberPeriods(ring(), 20);
    works.sndWriteIdx = 10;
    works.sndPlaying = 1;
    ScriptedDevice device;
    remote::writeFirstPeriods(works, device);
    device.rooms = {96, 48, 0};
    callback(device);
    ASSERT_EQ(device.written.size(), 3u);
    ASSERT_EQ(device.written[0].size(), 192u * 2);
    EXPECT_EQ(device.written[0].front(), 1);
    EXPECT_EQ(device.written[0].back(), 4);
    EXPECT_EQ(device.written[1].front(), 5);
    EXPECT_EQ(device.written[2].front(), 6);
    EXPECT_EQ(works.sndReadIdx, 6);
}

// Periods are played once: when the network falls behind, the read index
// runs on into slots whose audio was played a lap (two seconds) ago, or in
// an earlier connection, and plays silence there.
TEST_F(PlaybackRing, ARingThatRunsDryPlaysSilenceNotAudioPlayedBefore) {
    numberPeriods(ring(), periodsPerRing());
    works.sndPlaying = 1;
    works.sndWriteIdx = 1;
    for (int lap = 0; lap < 2; ++lap) {
        SCOPED_TRACE(lap == 0 ? "first lap" : "second lap, no chunk came");
        works.sndReadIdx = 0;
        ScriptedDevice device;
        device.rooms = {48, 48, 0};
        callback(device);
        ASSERT_EQ(device.written.size(), 2u);
        EXPECT_EQ(device.written[0].front(), lap == 0 ? 1 : 0);
        EXPECT_EQ(device.written[1].back(), lap == 0 ? 2 : 0);
    }
}

// A network that falls behind the read index (the device's buffer takes 80
// ms of the first 100 at the start): the next chunk plays the depth after
// it arrives, not a lap (two seconds) later, and a writer still ahead stays.
TEST_F(PlaybackRing, AChunkThatArrivesAfterTheReadIndexPassedItsSlotPlaysTheDepthLaterNotALap) {
    struct Case {
        const char* name;
        int32_t written, readPeriod, storedAt;
    };
    const Case cases[] = {
        {"passed", 12, 130, 23},            // reading slot 13
        {"reading its slot", 13, 135, 13},  // reading slot 13: only the start is lost
        {"passed at the wrap", 199, 5, 10},
        {"ahead", 15, 130, 15},
        {"ahead across the wrap", 3, periodsPerRing() - 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        works.sndPlaying = 1;
        works.sndWriteIdx = c.written;
        works.sndReadIdx = c.readPeriod;
        ASSERT_TRUE(store(Bytes(kChunkBytes, 7)));
        EXPECT_EQ(slotBytes(c.storedAt)[0], 7);
        EXPECT_EQ(works.sndWriteIdx, (c.storedAt + 1) % 200);
        std::memset(ring(), 0, 200 * 960 * 4);
    }
}

// On the unit the handler runs as a signal handler: it prints nothing itself.
TEST_F(PlaybackRing, TheHandlerLeavesItsReportsToThePlaybackThreadAndCountsThoseItCannotQueue) {
    works.sndPlaying = 1;
    works.sndReadIdx = 5;
    ScriptedDevice device;
    device.rooms = {-EPIPE, 48, 48};
    device.writeResults = {48, -EPIPE, 48, -EIO};
    station.log.clear();
    callback(device);
    EXPECT_TRUE(station.log.empty());

    printNotes();
    const std::string error = works.platform->sound().errorText(-EPIPE);
    for (const std::string& line : {"prepare to output audio interface failed 5 (-32 - " + error + ")",
                                    std::string("2 -32"), std::string("Mic 3 send error -5")}) {
        EXPECT_TRUE(station.log.contains(line)) << line;
    }
    station.log.clear();
    printNotes();
    EXPECT_TRUE(station.log.empty());

    // Notes the thread has not taken are counted when the queue is full.
    constexpr uint32_t extra = 44;
    for (uint32_t note = 0; note < remote::PlaybackNotes::kCapacity + extra; ++note)
        playbackNotes.add({remote::PlaybackNoteKind::SoundExhausted, 0, 0});
    station.log.clear();
    printNotes();
    EXPECT_TRUE(station.log.contains("44 playback notes dropped"));
    playbackNotes.add({remote::PlaybackNoteKind::TooMuchSound, 0, 20});
    station.log.clear();
    printNotes();
    EXPECT_TRUE(station.log.contains("too much sound 20"));
    EXPECT_FALSE(station.log.contains("dropped"));
}

}  // namespace
