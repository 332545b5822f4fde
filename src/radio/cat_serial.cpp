#include "radio/cat_serial.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "core/record/radio_record.h"
#include "core/record/setup_record.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace radio {
namespace {

using namespace std::chrono_literals;

// No reply byte for this many 1 ms waits drops the partial reply and asks again.
constexpr int kReplyTimeoutMs = 1499;

void failPort(core::RadioRecord& works, const char* logFormat, const char* shown, const std::string& device) {
    platform::logError(logFormat, device.c_str());
    char text[100];
    std::snprintf(text, sizeof text, shown, device.c_str());
    works.failedThreadText.set(text);
    works.failedThread = core::kFailedCatSerial;
}

void waitForReply(core::RadioRecord& works, platform::SerialPort& port, CatPoll& poll) {
    platform::Clock& clock = works.platform->clock();
    if (port.bytesAvailable() <= 0) {
        ++poll.counterimeoutCAT;
        clock.sleepFor(1ms);
        if (poll.counterimeoutCAT > kReplyTimeoutMs) {
            platform::trace("<<<<<<<<<<<<<<<<<<<<TIMEOUT SERIAL CAT!!!!\n");
            poll.received = 0;
            poll.catProcessStatus = CatPoll::kSend;
            clock.sleepWhileRunning(1s, works.running);
        }
        return;
    }
    uint8_t byte = 0;
    int result = port.readByte(byte);
    if (result != 1) {
        platform::logError("timeout %d\n", result);
        clock.sleepFor(20ms);
        return;
    }
    poll.reply[static_cast<size_t>(poll.received++)] = byte;
    if (poll.received == static_cast<int>(kCatReplySize)) {
        poll.received = 0;
        poll.catProcessStatus = CatPoll::kDecode;
    }
}

}  // namespace

void writeSerialCatPort(platform::SerialPort& port, std::span<const uint8_t> bytes, CatPoll& poll) {
    if (!port.writeAll(bytes)) platform::logError("CAT: write failed");
    poll.counterimeoutCAT = 0;
}

void DecodeCatSerialCmd(core::RadioRecord& works, std::span<const uint8_t, kCatReplySize> reply,
                        CatPoll& poll) {
    if (poll.lastCommandSent == kCatReadFrequency) {
        if (std::optional<int32_t> frequency = decodeCatFrequency(reply)) {
            if (works.catSerialFreq.exchange(*frequency) != *frequency)
                platform::wakeWatchers(works.frequencyNews);
        } else {
            platform::trace("CAT FT817 freq not decoded :  %02x %02x %02x %02x %02x\n", reply[0], reply[1],
                            reply[2], reply[3], reply[4]);
        }
    }
    works.platform->clock().sleepFor(20ms);
    poll.lastCommandSent = 0;
}

void catPollStep(core::RadioRecord& works, platform::SerialPort& port, CatPoll& poll) {
    switch (poll.catProcessStatus) {
        case CatPoll::kSend:
            // A byte left over from a late or disturbed reply would put every
            // later reply one byte out of step.
            if (const int stray = platform::discardWaiting(port); stray > 0)
                platform::trace("CAT: %d byte(s) left before the request discarded\n", stray);
            writeSerialCatPort(port, kCatFrequencyRequest, poll);
            poll.lastCommandSent = kCatReadFrequency;
            poll.catProcessStatus = CatPoll::kWait;
            break;
        case CatPoll::kWait:
            waitForReply(works, port, poll);
            break;
        default:
            DecodeCatSerialCmd(works, poll.reply, poll);
            poll.received = 0;
            poll.catProcessStatus = CatPoll::kSend;
            break;
    }
}

void CatSerial(core::RadioRecord& works) {
    const std::string device = works.setup->text(works.setup->CatSerialPort);
    platform::logInfo("Init CATSerial Port %s", device.c_str());
    const std::unique_ptr<platform::SerialPort> opened = works.platform->serialPort();
    platform::SerialPort& port = *opened;
    if (!port.open(works.platform->root().resolve(device))) {
        failPort(works, "Unable to open device %s", "CAT: Unable to open device %s", device);
        return;
    }
    if (!port.configure({38400, true})) {
        failPort(works, "Unable to set comm port %s", "CAT: Unable to set comm port %s", device);
        return;
    }
    works.catSerFD = port.fd();
    platform::logInfo("OK works->catSerFD=%d (%s)", port.fd(), device.c_str());
    platform::trace("---------------- OK works->catSerFD=%d (%s)\n", port.fd(), device.c_str());
    CatPoll poll;
    while (works.running != 0 && works.setup->enaCatSer == '1') catPollStep(works, port, poll);
    // The port closes with the thread; the next start opens it again.
    works.catSerFD = -1;
}

}  // namespace radio
