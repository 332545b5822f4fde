#include "radio/aux_serial.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/radio_record.h"
#include "core/record/setup_record.h"
#include "core/record/spectrum_data.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/frame_writers.h"
#include "remote/playback_ring.h"

namespace radio {
namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 1500;
constexpr int32_t kRetryDelayMs = 2000;
// The radio's drive field holds four digits.
constexpr int32_t kMaxDrivePower = 9999;

void send(platform::SerialPort& port, std::string_view text) {
    if (!port.writeText(text)) platform::logError("EXT IO: write failed");
}

// Replaces the request bit by its done bit in one step: the main loop sets and
// clears other bits of the same byte meanwhile, and may have withdrawn the
// request, which then stays withdrawn.
void markSent(std::atomic<uint8_t>& flags, uint8_t request, uint8_t done) {
    uint8_t now = flags.load();
    while ((now & request) != 0 &&
           !flags.compare_exchange_weak(now, static_cast<uint8_t>((now & ~request) | done))) {
    }
}

// No data for 1.5 s: error 8 once per hold-off, with the interface in use.
void linkTimeout(core::RadioRecord& works, const char* text) {
    if (works.retryDelay != 0) return;
    if (works.ModeWorkIdx == 1) core::AddErrore(works, core::err::QorLink);
    works.retryDelay = kRetryDelayMs;
    platform::trace("%s", text);
}

// Exactly count bytes, waiting as long as the link stays enabled.
bool readSerialPort(core::RadioRecord& works, PutBackLine& line, std::span<uint8_t> buffer) {
    platform::Clock& clock = works.platform->clock();
    int idle = 0;
    for (size_t done = 0; done < buffer.size();) {
        if (works.running == 0 || works.setup->enaser != '1') return false;
        if (line.bytesAvailable() <= 0) {
            clock.sleepFor(1ms);
            if (++idle >= kTimeoutMs) {
                linkTimeout(works, "---------------------------------------TIMEOUT EXT IO 3\n");
                idle = 0;
            }
            continue;
        }
        uint8_t byte = 0;
        if (line.readByte(byte) == 1) buffer[done++] = byte;
    }
    return true;
}

// Whether the message just read ends where the next one can start, judged by
// the bytes already waiting, which are put back. With none waiting, one more
// look a millisecond later: a line delivers a message's bytes back to back.
bool endsWhole(core::RadioRecord& works, PutBackLine& line) {
    if (line.bytesAvailable() <= 0) works.platform->clock().sleepFor(1ms);
    std::array<uint8_t, 1 + kHeaderSize> following{};
    size_t count = 0;
    while (count < following.size() && line.bytesAvailable() > 0 && line.readByte(following[count]) == 1)
        ++count;
    line.putBack({following.data(), count});
    return nextMessageCanStart({following.data(), count});
}

// A whole message: into the record or the plot, and on to the remote client.
void applyMessage(core::RadioRecord& works, uint8_t type, std::span<const uint8_t> data) {
    if (type == kParameterMessage) {
        storeParameters(works, data);
        remote::sendWebSockSerParFrame(works, data);
        return;
    }
    storeFFT(works, data);
    if (works.setup->enaUsbFFT != '0') return;
    QorParams params{};
    if (!getParameters(params, works)) return;
    const std::vector<uint8_t> spectrum = remoteSpectrum(params, data);
    if (!spectrum.empty()) remote::sendWebSockSerSpectrFrame(works, spectrum);
}

}  // namespace

void sendPendingCommands(core::RadioRecord& works, platform::SerialPort& port) {
    using namespace core::tuneTxState;
    namespace carrier = core::carrierControl;
    if ((works.tuneTxState & SendRx) != 0) {
        send(port, "RX;");
        platform::trace("SENT QOR RX;! (0x%x)\n", works.tuneTxState.load());
        markSent(works.tuneTxState, SendRx, RxSent);
    }
    if ((works.tuneTxState & SendCarrier) != 0) {
        send(port, "TU120;TX2;");
        platform::trace("SENT QOR TX2;! (0x%x)\n", works.tuneTxState.load());
        markSent(works.tuneTxState, SendCarrier, CarrierSent);
    }
    const uint8_t control = works.carrierControl;
    if ((control & carrier::ChangePending) != 0) {
        if ((control & carrier::TransmitWanted) == 0) {
            send(port, "RX;");
            platform::trace("SENT QOR RX...\n");
            works.carrierHoldoff = 30;
            works.carrierControl &= static_cast<uint8_t>(~carrier::ChangePending);
        } else {
            const bool cleared = (control & carrier::AntennaInputCleared) != 0;
            const bool confirmed = (control & carrier::AntennaInputConfirmed) != 0;
            if (cleared == confirmed) {
                send(port, "TU120;TX2;");
                platform::trace("SENT QOR TX2...\n");
                works.carrierControl &= static_cast<uint8_t>(~carrier::ChangePending);
            }
        }
    }
    if ((works.powerRequest & core::powerRequest::Send) != 0) {
        char text[16];
        std::snprintf(text, sizeof text, "TQ%04i;", std::clamp(works.powerValue.load(), 0, kMaxDrivePower));
        send(port, text);
        platform::trace("--------------- SENT POWER TQ;! (%s)\n", text);
        markSent(works.powerRequest, core::powerRequest::Send, core::powerRequest::Sent);
    }
}

void storeParameters(core::RadioRecord& works, std::span<const uint8_t> block) {
    const core::TryLock lock(*works.serMut, works.platform->clock(), "serMut mutex cannot be locked");
    if (!lock) return;
    storeParameters(works.qorParams, block);
    if (works.qorParams[core::qorWord::AudioEnable] == -1) remote::restartRing(works);
}

void storeFFT(core::RadioRecord& works, std::span<const uint8_t> data) {
    const std::vector<float> values = spectrumValues(data);
    const core::TryLock lock(*works.serMut, works.platform->clock(), "serMut mutex cannot be locked");
    if (!lock || works.spectrum == nullptr) return;
    std::copy(values.begin(), values.end(), works.spectrum->magnitude.begin());
}

bool getParameters(QorParams& destination, core::RadioRecord& works) {
    const core::TryLock lock(*works.serMut, works.platform->clock(), "serMut mutex cannot be locked");
    if (lock) destination = works.qorParams;
    return static_cast<bool>(lock);
}

void serialStep(core::RadioRecord& works, PutBackLine& line) {
    platform::Clock& clock = works.platform->clock();
    uint8_t type = kFirstNonType;
    for (int idle = 0; type >= kFirstNonType;) {
        if (works.running == 0 || works.setup->enaser != '1') return;
        if (line.bytesAvailable() <= 0) {
            clock.sleepFor(1ms);
            if (++idle > kTimeoutMs - 1) {
                linkTimeout(works, "---------------------------------------TIMEOUT EXT IO 1\n");
                idle = 0;
            }
            continue;
        }
        idle = 0;
        int result = line.readByte(type);
        if (result != 1) {
            platform::logError("error %d", result);
            linkTimeout(works, "---------------------------------------TIMEOUT EXT IO 2\n");
            type = kFirstNonType;
        }
    }
    uint8_t header[kHeaderSize]{};
    if (!readSerialPort(works, line, header)) return;
    if (!headerConsistent(type, header)) {
        platform::logError("Error3");
        // No message starts here after all: the next may start in the header's bytes.
        line.putBack(header);
    } else {
        std::vector<uint8_t> data(
            static_cast<size_t>(decodeCmdParameters(std::span<const uint8_t, 4>(header + 1, 4))));
        if (!readSerialPort(works, line, data)) return;
        if (endsWhole(works, line))
            applyMessage(works, type, data);
        else
            platform::trace("EXT IO: %s of %zu bytes cut short, dropped\n",
                            type == kSpectrumMessage ? "spectrum line" : "parameter block", data.size());
    }
    sendPendingCommands(works, line.port());
}

void Serial(core::RadioRecord& works) {
    const std::string device = works.setup->text(works.setup->SerPort);
    platform::logInfo("Init Serial Port %s", device.c_str());
    // An earlier run left the port open: set up again, as it stands.
    std::shared_ptr<platform::SerialPort> held = works.auxPort.load();
    bool opened = held != nullptr;
    if (!opened) {
        held = works.platform->serialPort();
        opened = held->open(works.platform->root().resolve(device));
    }
    if (!opened || !held->configure({115200, false})) {
        platform::logError("Unable to open device %s", device.c_str());
        if (opened) platform::trace("Serial: Unable to open device %s\n", device.c_str());
        // Closes once a client's write in progress lets go of it.
        works.auxPort.store(nullptr);
        works.serFD = -1;
        // Only a unit set up for the maker's transceiver misses the port; on
        // another the status page starts the link just to show what it finds.
        if (works.ModeWorkIdx == 1) core::AddErrore(works, core::err::QorPortOpen);
        return;
    }
    works.auxPort.store(held);
    platform::SerialPort& port = *held;
    works.serFD = port.fd();
    platform::logInfo("OK works->serFD=%d (%s)", port.fd(), device.c_str());
    platform::trace("------------------ OK works->serFD=%d (%s)\n", port.fd(), device.c_str());
    PutBackLine line(port);
    while (works.running != 0 && works.setup->enaser == '1') serialStep(works, line);
    platform::trace("---------------------------------------Serial EXIT %x\n", works.setup->enaser.load());
}

}  // namespace radio
