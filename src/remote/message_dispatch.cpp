#include "remote/message_dispatch.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "core/works.h"
#include "platform/log.h"
#include "platform/serial_port.h"
#include "remote/audio_config.h"
#include "remote/cat_bridge.h"
#include "remote/commands.h"
#include "remote/frame_writers.h"
#include "remote/playback_ring.h"

namespace remote {
namespace {

// To a port of another subsystem; a port not open drops the data (noted once).
Dispatch toPort(const std::atomic<std::shared_ptr<platform::SerialPort>>& published,
                std::span<const uint8_t> data, const char* failure, bool& noted, const char* code) {
    // Held while writing: the port's own thread may let go of it meanwhile.
    const std::shared_ptr<platform::SerialPort> port = published.load();
    if (!port) {
        if (!noted) platform::logError("%s message dropped: its port is not open", code);
        noted = true;
        return Dispatch::Continue;
    }
    if (port->writeAll(data)) return Dispatch::Continue;
    platform::logError(failure, errno);
    return Dispatch::EndConnection;
}

Dispatch catCommand(core::Works& works, std::span<const uint8_t> data, DroppedNotes& notes) {
    std::array<char, 200> buffer{};
    std::memcpy(buffer.data(), data.data(), std::min(data.size(), buffer.size() - 1));
    if (std::strncmp(buffer.data(), "XX;", 3) == 0) return Dispatch::Continue;
    const Dispatch result = toPort(works.catPort, data, "TCP read Error 7a %d", notes.noCatPort, "CA");
    // A CAT port that cannot be written is gone: the bridge closes with it.
    if (result == Dispatch::EndConnection) ExitCAT(works);
    return result;
}

void audioConfig(core::Works& works, std::span<const uint8_t> data) {
    const std::optional<AudioConfig> config = parseAudioConfig(data);
    if (!config) return;
    applyAudioConfig(works, *config);
    sendWebSockCfgFrame(works, data.first(kAudioConfigEcho));
}

Dispatch wrongType(const Frame& frame) {
    platform::logError("wrong message type: %x", frame.bytes[0]);
    return Dispatch::Continue;
}

}  // namespace

Dispatch dispatchMessage(core::Works& works, const Frame& frame, DroppedNotes& notes) {
    const Message message = messageOf(frame);
    if (message.form == MessageForm::Text) return Dispatch::Continue;
    if (message.form == MessageForm::ShortBinary) {
        if (message.code == "CA") return catCommand(works, message.data, notes);
        if (message.code == "ST") {
            dispStat(works, message.data);
            return Dispatch::Continue;
        }
        if (message.code == "HB") {
            sendWebSockHebFrame(works, message.data);
            return Dispatch::Continue;
        }
        if (message.code == "CF") {
            audioConfig(works, message.data);
            return Dispatch::Continue;
        }
        if (message.code == "SC")
            return toPort(works.auxPort, message.data, "TCP read Error 7a %d", notes.noSerialPort, "SC");
        if (message.code == "PA") {
            platform::trace("S BUFFER WEB SERVER : %s\n", reinterpret_cast<const char*>(frame.bytes.data()));
            return toPort(works.auxPort, message.data, "TCP read Error 8a %d", notes.noSerialPort, "PA");
        }
    }
    if (message.form == MessageForm::LongBinary) {
        if (message.code == "SO") {
            if (!transceiverTakesAudio(works)) return Dispatch::Continue;
            // Without playback enabled and its device ready the client's audio has no player.
            if (storeReceivedAudio(works, message.data)) return Dispatch::Continue;
            if (!notes.noPlayback) platform::logError("SO message dropped: no audio playback");
            notes.noPlayback = true;
            return Dispatch::Continue;
        }
        if (message.code == "SP") return Dispatch::Continue;
    }
    return wrongType(frame);
}

void dispatchBeforePassPhrase(core::Works& works, const Frame& frame, DroppedNotes& notes) {
    const Message message = messageOf(frame);
    if (message.form == MessageForm::ShortBinary && message.code == "HB") {
        sendWebSockHebFrame(works, message.data);
        return;
    }
    if (!notes.beforePassPhrase) platform::logError("message before the pass phrase dropped");
    notes.beforePassPhrase = true;
}

}  // namespace remote
