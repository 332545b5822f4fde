#include "amp/link.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "amp/command_text.h"
#include "amp/frame.h"
#include "amp/next_command.h"
#include "amp/reply_decoder.h"
#include "amp/reply_match.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/tune_memory.h"

namespace amp {
namespace {

using std::chrono::milliseconds;

constexpr int kReplyTimeoutMs = 1500;

// Changes of the tune word that belong to the command itself, made under the tune lock.
void prepareTuneWord(core::Works& works, int32_t code) {
    uint32_t word = works.tuneValue;
    switch (code) {
        case 27:
            tuner::LoadTuneFromMEM(works, works.NumAntenna);
            works.tunerBypass = 0;
            break;
        case 39:
            works.tunerBypass = 1;
            works.tuneValue = (word | (1u << 16)) & ~((1u << 18) | (1u << 23));
            break;
        case 40:
            works.tunerBypass = 0;
            works.tuneC = 0;
            works.tuneL = 0;
            works.tuneValue = 1u << 23;
            break;
        case 44:
            works.tunerBypass = 1;
            works.tuneC = 0;
            works.tuneL = 0;
            works.tuneValue = 1u << 16;
            break;
        default:
            break;
    }
}

// What a command changes once it is on the wire.
void afterSending(core::Works& works, int32_t code, const std::string& payload) {
    switch (code) {
        case 11: works.tunerBypass = (works.tuneValue >> 16) & 1u; break;
        case 19:
            works.bypassCmd = 0;
            platform::trace(">> AB0;\n");
            break;
        case 20:
            works.bypassCmd = 1;
            works.attenuatorKey = 4;
            platform::trace(">> AB1;\n");
            break;
        case 23:
            works.fanCmdPending = 0;
            works.fanSpeedSent = works.fanSpeed.load();
            platform::trace(">> ++++FAN SET :  %s\n", payload.c_str());
            break;
        case 40: platform::trace(">>WR MEM TUNE_DEFAULT: %s\n", payload.c_str()); break;
        case 41:
            works.fanCmdPending = 0;
            works.fanSpeedSent = works.fanSpeedCpu.load();
            platform::trace(">>CPU %s\n", payload.c_str());
            break;
        case 42: platform::trace("--------------------------------------------- MOLTIPLICATORE %s \n", payload.c_str()); break;
        default: break;
    }
}

// Bytes waiting when a command is sent again answer an earlier send.
void discardStaleBytes(platform::SerialPort& port) {
    int count = 0;
    char byte;
    while (port.bytesAvailable() > 0 && port.readByte(byte) == 1) ++count;
    if (count > 0) platform::trace("Linear: %d stale bytes dropped before the resend\n", count);
}

void sendCommand(core::Works& works, platform::SerialPort& port, int32_t code) {
    if (const char* reason = withheldReason(works, code)) {
        platform::trace("%s", reason);
        NextCmdPriority(works, kCmdStatus);
        return;
    }
    if (works.retryCount > 0) discardStaleBytes(port);
    if (code >= 14 && code <= 16) {
        int value = code == 14 ? works.attenuator.load() : code == 15 ? works.AttenuatorTune.load() : 3;
        SetAttenuatorCMD(works, port, value, code);
        return;
    }
    bool tuneCommand = code == 27 || code == 39 || code == 40 || code == 44;
    std::unique_lock tuneLock(works.tuneLock, std::defer_lock);
    if (tuneCommand) {
        tuneLock.lock();
        prepareTuneWord(works, code);
    }
    std::optional<CommandText> command = commandText(works, code);
    if (!command) {
        // A code that is no command would leave the link with nothing to do for ever.
        platform::logError("Linear: unknown command code %d", code);
        works.linearProcessStatus = kCmdStatus;
        return;
    }
    if (code == 35) works.genSettings.set(command->payload.substr(2, 10));
    LastCmdSent(works, command->letters[0], command->letters[1], code);
    writeLinearPort(port, command->payload, works);
    afterSending(works, code, command->payload);
    // A microcontroller held in reset answers nothing: the link rests until the restart.
    works.linearProcessStatus = code == 30 ? kStateIdle : kStateReceive;
}

void receiveStep(core::Works& works, platform::SerialPort& port, FrameAssembler& assembler) {
    platform::Clock& clock = works.platform->clock();
    if (port.bytesAvailable() <= 0) {
        ++works.counterrortimeout;
        clock.sleepFor(milliseconds(1));
        if (works.counterrortimeout >= kReplyTimeoutMs) {
            assembler.clear();
            GestRetrayCMD(works);
        }
        return;
    }
    char byte;
    int result = port.readByte(byte);
    if (result != 1) {
        platform::logError("timeout %d\n", result);
        assembler.clear();
        GestRetrayCMD(works);
        clock.sleepFor(milliseconds(20));
        return;
    }
    switch (assembler.push(byte)) {
        case FrameAssembler::Result::More: return;
        case FrameAssembler::Result::Overflow:
            platform::trace("<<<<<<<<<<<<<<<<<<<<ERROR COUNTER LINEAR (CounterLinear)\n");
            return;
        case FrameAssembler::Result::Complete: break;
    }
    std::string frame(assembler.frame());
    assembler.clear();
    CheckedFrame checked = checkFrame(frame);
    switch (checked.status) {
        case FrameStatus::TooShort:
            // Too short to carry a checksum and a payload: a failed exchange.
            GestRetrayCMD(works);
            return;
        case FrameStatus::BadCrc: {
            char computed[3];
            std::snprintf(computed, sizeof computed, "%02X", checked.computedCrc);
            platform::trace("**** CHK ERROR!! %s %s\n", computed, frame.c_str());
            clock.sleepFor(milliseconds(20));
            NextCmdPriority(works, kCmdStatus);
            return;
        }
        case FrameStatus::Good:
            if (!replyBelongsTo({works.lastCmdName, 2}, works.lastCmdCode, checked.payload)) {
                // A late reply to an earlier command: its own reply is still to come.
                platform::trace("Linear: stale reply dropped while waiting for %c%c: %s\n",
                                works.lastCmdName[0], works.lastCmdName[1], frame.c_str());
                return;
            }
            works.linearProcessStatus = kStateDecode;
            // The amplifier is given this pause after each reply, before the next command.
            clock.sleepFor(DecodeCatCmd(works, checked.payload, static_cast<int>(frame.size())));
            return;
    }
}

}  // namespace

void OpenLinear(core::Works& works, platform::SerialPort& port) {
    std::string device = works.setup->text(works.setup->LinPort);
    platform::logInfo("Init Linear Port %s", device.c_str());
    char failure[100];
    if (!port.open(works.platform->root().resolve(device))) {
        platform::logError("Unable to open device %s", device.c_str());
        platform::trace("Unable to open device %s\n", device.c_str());
        std::snprintf(failure, sizeof failure, "Linear: Unable to open device %s", device.c_str());
        works.failedThreadText.set(failure);
        works.failedThread = 1;
        return;
    }
    if (!port.configure({115200, false})) {
        platform::logError("Unable to set comm port %s", device.c_str());
        platform::trace("Unable to set comm port %s\n", device.c_str());
        std::snprintf(failure, sizeof failure, "Linear: Unable to set comm port %s", device.c_str());
        works.failedThreadText.set(failure);
        works.failedThread = 1;
        return;
    }
    works.linFD = port.fd();
    platform::trace("OK works->linFD=%d (%s) stato:%d\n", port.fd(), device.c_str(), works.linearProcessStatus.load());
    platform::logInfo("OK works->linFD=%d (%s)", port.fd(), device.c_str());
}

void writeLinearPort(platform::SerialPort& port, std::string_view payload, core::Works& works) {
    works.counterrortimeout = 0;
    if (!port.writeAll(encodeFrame(payload)) && port.isOpen())
        platform::logError("Linear: write failed error %d", errno);
}

void LastCmdSent(core::Works& works, char letter1, char letter2, int32_t code) {
    works.lastCmdName[0] = letter1;
    works.lastCmdName[1] = letter2;
    works.lastCmdCode = code;
}

void SetAttenuatorCMD(core::Works& works, platform::SerialPort& port, int value, int32_t code) {
    const char* text = attenuatorText(value);
    LastCmdSent(works, 'A', 'T', code);
    writeLinearPort(port, text, works);
    works.linearProcessStatus = kStateReceive;
    platform::trace("................AT>> %s\n", text);
}

void Linear(core::Works& works) {
    works.linearProcessStatus = kCmdStatus;
    platform::SerialPort port;
    OpenLinear(works, port);
    FrameAssembler assembler;
    while (works.running != 0) {
        int32_t state = works.linearProcessStatus;
        if (state == kStateReceive) {
            receiveStep(works, port, assembler);
        } else if (state == kStateIdle) {
            works.platform->clock().sleepWhileRunning(std::chrono::seconds(1), works.running);
        } else if (state != kStateDecode) {
            sendCommand(works, port, state);
        }
    }
}

}  // namespace amp
