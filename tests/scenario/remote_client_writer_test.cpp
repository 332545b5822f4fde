#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "remote/client_writer.h"
#include "remote/frame_builder.h"
#include "remote/frame_writers.h"
#include "test_station.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The station's writer on one end of a socket pair, the client on the other.
class ClientWriterTest : public ::testing::Test {
  protected:
    ClientWriterTest() {
        socketpair(AF_UNIX, SOCK_STREAM, 0, ends_);
        writer = std::make_unique<remote::ClientWriter>(works, ends_[0]);
        works.clientFrames.admit();
        works.wsActive = 1;
    }
    ~ClientWriterTest() override {
        writer.reset();
        close(ends_[0]);
        close(ends_[1]);
    }

    // What the client receives until there are count bytes, the writer lets it go, or 10 s pass.
    Bytes receive(size_t count) {
        Bytes bytes;
        uint8_t buffer[65536];
        for (pollfd ready{ends_[1], POLLIN, 0}; bytes.size() < count && poll(&ready, 1, 10000) > 0;) {
            const ssize_t got = recv(ends_[1], buffer, sizeof buffer, 0);
            if (got <= 0) {
                letGo = got == 0;
                break;
            }
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }
    // A raw chunk of 20 ms: the largest frame the station sends.
    void sendAudio() { remote::sendWebSockAudioFrame(works, std::vector<int16_t>(2 * 960, 7)); }
    bool waitForLog(const std::string& text) {
        for (int waited = 0; waited < 1000 && !station.log.contains(text); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return station.log.contains(text);
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    std::unique_ptr<remote::ClientWriter> writer;
    bool letGo = false;  // the client saw the end of its connection
    int ends_[2] = {-1, -1};
};

// Frames from several threads go out whole, each thread's in its order.
TEST_F(ClientWriterTest, FramesGoOutWholeAndInTheOrderTheyWereMade) {
    const Bytes record(58, 's');
    std::thread status([&] {
        for (int i = 0; i < 100; ++i) remote::sendWebSockStatusFrame(works, record);
    });
    std::thread cat([&] {
        for (uint8_t i = 0; i < 100; ++i) remote::sendWebSockCatFrame(works, Bytes{'F', 'A', i, ';'});
    });
    status.join();
    cat.join();
    const Bytes received = receive(100 * 62 + 100 * 8);
    ASSERT_EQ(received.size(), 100u * 62 + 100 * 8);
    uint8_t nextCat = 0;
    for (size_t at = 0; at < received.size(); at += 2 + received[at + 1]) {
        ASSERT_EQ(received[at], 0x82);
        const std::string code(received.begin() + at + 2, received.begin() + at + 4);
        if (code == "CA") {
            EXPECT_EQ(received[at + 6], nextCat++);
        } else {
            ASSERT_EQ(code, "ST");
            EXPECT_EQ(Bytes(received.begin() + at + 4, received.begin() + at + 62), record);
        }
    }
    EXPECT_EQ(nextCat, 100);
}

// The producer goes on while the writer waits in a full socket; the queue
// overflows and the client is let go: it reads what was sent, then the end.
TEST_F(ClientWriterTest, AClientFarBehindOverflowsTheQueueAndIsLetGo) {
    works.txBitrate = 0;
    works.captureFrames = 960;
    for (int chunk = 0; chunk < 1000; ++chunk) sendAudio();
    EXPECT_TRUE(
        station.log.contains("client not reading: connection ended (more than 2048 frames or 524288 bytes"));
    EXPECT_FALSE(works.clientFrames.taking());
    // Whatever had gone out before, the client reads and then finds its connection ended.
    EXPECT_LT(receive(SIZE_MAX).size(), 1000u * 3846);
    EXPECT_TRUE(letGo);
}

// A client that reads nothing while a frame waits for room in its socket for
// half a second is let go, though the queue has room.
TEST_F(ClientWriterTest, AClientThatStopsReadingIsLetGoAfterTheSendTimeOut) {
    works.txBitrate = 0;
    works.captureFrames = 960;
    // More than the socket holds, less than the queue does.
    for (int chunk = 0; chunk < 80; ++chunk) sendAudio();
    EXPECT_TRUE(works.clientFrames.taking());
    EXPECT_TRUE(waitForLog("client not reading: connection ended"));
    EXPECT_FALSE(works.clientFrames.taking());
    EXPECT_LT(receive(SIZE_MAX).size(), 80u * 3846);
    EXPECT_TRUE(letGo);
    sendAudio();
    EXPECT_EQ(works.clientFrames.waiting(), 0u) << "nothing more is queued for it";
}

}  // namespace
