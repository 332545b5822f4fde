#include "amp/link.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "amp/command_text.h"
#include "amp/next_command.h"
#include "amp/reply_decoder.h"
#include "amp/reply_match.h"
#include "core/amp_commands.h"
#include "core/record/amp_record.h"
#include "core/record/setup_record.h"
#include "core/tune_value_bits.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace amp {
namespace {

using std::chrono::milliseconds;

constexpr int kReplyTimeoutMs = 1500;

// Changes of the tune word that belong to the command itself, made under the tune lock.
void prepareTuneWord(core::AmpRecord& works, int32_t code) {
    uint32_t word = works.tuneValue;
    switch (code) {
        case core::cmd::RecallTune:
            works.services->recallStoredTune(works, works.NumAntenna);
            works.tunerBypass = 0;
            break;
        case core::cmd::TunerBypassKeep:
            works.tunerBypass = 1;
            works.tuneValue =
                (word | core::tuneValue::Bypass) & ~(core::tuneValue::NetworkLC | core::tuneValue::NetworkCL);
            break;
        case core::cmd::DefaultTune:
            works.tunerBypass = 0;
            works.tuneC = 0;
            works.tuneL = 0;
            works.tuneValue = core::tuneValue::NetworkCL;
            break;
        case core::cmd::TunerBypass:
            works.tunerBypass = 1;
            works.tuneC = 0;
            works.tuneL = 0;
            works.tuneValue = core::tuneValue::Bypass;
            break;
        default:
            break;
    }
}

// What a command changes once it is on the wire.
void afterSending(core::AmpRecord& works, int32_t code, const std::string& payload) {
    switch (code) {
        case core::cmd::TuneWord:
            works.tunerBypass = (works.tuneValue & core::tuneValue::Bypass) != 0;
            break;
        case core::cmd::LeaveBypass:
            works.bypassCmd = 0;
            platform::trace(">> AB0;\n");
            break;
        case core::cmd::Bypass:
            works.bypassCmd = 1;
            works.attenuatorKey = 4;
            platform::trace(">> AB1;\n");
            break;
        case core::cmd::Fan:
            works.fanCmdPending = 0;
            works.fanSpeedSent = works.fanSpeed.load();
            platform::trace(">> ++++FAN SET :  %s\n", payload.c_str());
            break;
        case core::cmd::DefaultTune:
            platform::trace(">>WR MEM TUNE_DEFAULT: %s\n", payload.c_str());
            break;
        case core::cmd::CpuFan:
            works.fanCmdPending = 0;
            works.fanSpeedSent = works.fanSpeedCpu.load();
            platform::trace(">>CPU %s\n", payload.c_str());
            break;
        case core::cmd::Multiplier:
            platform::trace("--------------------------------------------- MOLTIPLICATORE %s \n",
                            payload.c_str());
            break;
        default:
            break;
    }
}

// Bytes waiting when a command is sent again answer an earlier send.
void discardStaleBytes(platform::SerialPort& port, LinkInput& input) {
    int count = 0;
    uint8_t byte;
    while (input.next(byte)) ++count;
    while (port.bytesAvailable() > 0 && port.readByte(byte) == 1) ++count;
    if (count > 0) platform::trace("Linear: %d stale bytes dropped before the resend\n", count);
}

void sendCommand(core::AmpRecord& works, platform::SerialPort& port, LinkInput& input, int32_t code) {
    // The frequency poll only fills a status reply's turn that found the ring
    // empty: a command queued during the pause after that reply takes the turn
    // (a resent poll stays the poll).
    if (code == core::cmd::FrequencyPoll && works.tuneState == 0 && works.retryCount == 0) {
        if (std::optional<int32_t> queued = works.cmdRing.pop()) code = *queued;
    }
    if (const char* reason = withheldReason(works, code)) {
        platform::trace("%s", reason);
        NextCmdPriority(works, core::cmd::Status);
        return;
    }
    if (works.retryCount > 0) discardStaleBytes(port, input);
    if (code == core::cmd::Attenuator || code == core::cmd::TuneAttenuator || code == core::cmd::PadsIn) {
        int value = code == core::cmd::Attenuator       ? works.attenuator.load()
                    : code == core::cmd::TuneAttenuator ? works.AttenuatorTune.load()
                                                        : 3;
        SetAttenuatorCMD(works, port, value, code);
        return;
    }
    bool tuneCommand = code == core::cmd::RecallTune || code == core::cmd::TunerBypassKeep ||
                       code == core::cmd::DefaultTune || code == core::cmd::TunerBypass;
    std::unique_lock tuneLock(works.tuneLock, std::defer_lock);
    if (tuneCommand) {
        tuneLock.lock();
        prepareTuneWord(works, code);
    }
    std::optional<CommandText> command = commandText(works, code);
    if (!command) {
        // A code that is no command would leave the link with nothing to do for ever.
        platform::logError("Linear: unknown command code %d", code);
        works.linearProcessStatus = core::cmd::Status;
        return;
    }
    if (code == core::cmd::GeneralSettings) works.genSettings.set(command->payload.substr(2, 10));
    LastCmdSent(works, command->letters[0], command->letters[1], code);
    writeLinearPort(port, command->payload, works);
    afterSending(works, code, command->payload);
    // A microcontroller held in reset answers nothing: the link rests until the restart.
    works.linearProcessStatus = code == core::cmd::HoldMicro ? core::cmd::Resting : core::cmd::AwaitReply;
}

void receiveStep(core::AmpRecord& works, platform::SerialPort& port, LinkInput& input) {
    platform::Clock& clock = works.platform->clock();
    FrameAssembler& assembler = input.assembler;
    uint8_t byte;
    if (!input.next(byte)) {
        const int waiting = port.bytesAvailable();
        if (waiting <= 0) {
            ++works.counterrortimeout;
            clock.sleepFor(milliseconds(1));
            if (works.counterrortimeout >= kReplyTimeoutMs) {
                assembler.clear();
                GestRetrayCMD(works);
            }
            return;
        }
        int result = input.fill(port, waiting);
        if (result <= 0) {
            platform::logError("timeout %d\n", result);
            assembler.clear();
            GestRetrayCMD(works);
            clock.sleepFor(milliseconds(20));
            return;
        }
        input.next(byte);
    }
    switch (assembler.push(static_cast<char>(byte))) {
        case FrameAssembler::Result::More:
            return;
        case FrameAssembler::Result::Overflow:
            platform::trace("<<<<<<<<<<<<<<<<<<<<ERROR COUNTER LINEAR (CounterLinear)\n");
            return;
        case FrameAssembler::Result::Complete:
            break;
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
            NextCmdPriority(works, core::cmd::Status);
            return;
        }
        case FrameStatus::Good:
            if (!replyBelongsTo({works.lastCmdName, 2}, works.lastCmdCode, checked.payload)) {
                // A late reply to an earlier command: its own reply is still to come.
                platform::trace("Linear: stale reply dropped while waiting for %c%c: %s\n",
                                works.lastCmdName[0], works.lastCmdName[1], frame.c_str());
                return;
            }
            works.linearProcessStatus = core::cmd::DecodeReply;
            // The amplifier is given this pause after each reply, before the next command.
            clock.sleepFor(DecodeCatCmd(works, checked.payload, static_cast<int>(frame.size())));
            return;
    }
}

}  // namespace

void OpenLinear(core::AmpRecord& works, platform::SerialPort& port) {
    std::string device = works.setup->text(works.setup->LinPort);
    platform::logInfo("Init Linear Port %s", device.c_str());
    char failure[100];
    if (!port.open(works.platform->root().resolve(device))) {
        platform::logError("Unable to open device %s", device.c_str());
        platform::trace("Unable to open device %s\n", device.c_str());
        std::snprintf(failure, sizeof failure, "Linear: Unable to open device %s", device.c_str());
        works.failedThreadText.set(failure);
        works.failedThread = core::kFailedLinear;
        return;
    }
    if (!port.configure({115200, false})) {
        platform::logError("Unable to set comm port %s", device.c_str());
        platform::trace("Unable to set comm port %s\n", device.c_str());
        std::snprintf(failure, sizeof failure, "Linear: Unable to set comm port %s", device.c_str());
        works.failedThreadText.set(failure);
        works.failedThread = core::kFailedLinear;
        return;
    }
    works.linFD = port.fd();
    platform::trace("OK works->linFD=%d (%s) stato:%d\n", port.fd(), device.c_str(),
                    works.linearProcessStatus.load());
    platform::logInfo("OK works->linFD=%d (%s)", port.fd(), device.c_str());
}

void writeLinearPort(platform::SerialPort& port, std::string_view payload, core::AmpRecord& works) {
    works.counterrortimeout = 0;
    if (!port.writeText(encodeFrame(payload)) && port.isOpen())
        platform::logError("Linear: write failed error %d", errno);
}

void LastCmdSent(core::AmpRecord& works, char letter1, char letter2, int32_t code) {
    works.lastCmdName[0] = letter1;
    works.lastCmdName[1] = letter2;
    works.lastCmdCode = code;
}

void SetAttenuatorCMD(core::AmpRecord& works, platform::SerialPort& port, int value, int32_t code) {
    const char* text = attenuatorText(value);
    LastCmdSent(works, 'A', 'T', code);
    writeLinearPort(port, text, works);
    works.linearProcessStatus = core::cmd::AwaitReply;
    platform::trace("................AT>> %s\n", text);
}

void linearStep(core::AmpRecord& works, platform::SerialPort& port, LinkInput& input) {
    int32_t state = works.linearProcessStatus;
    if (state == core::cmd::AwaitReply) {
        receiveStep(works, port, input);
    } else if (state == core::cmd::Resting) {
        works.platform->clock().sleepWhileRunning(std::chrono::seconds(1), works.running);
    } else if (state != core::cmd::DecodeReply) {
        sendCommand(works, port, input, state);
    }
}

void Linear(core::AmpRecord& works) {
    works.linearProcessStatus = core::cmd::Status;
    std::unique_ptr<platform::SerialPort> port = works.platform->serialPort();
    OpenLinear(works, *port);
    LinkInput input;
    while (works.running != 0) linearStep(works, *port, input);
}

}  // namespace amp
