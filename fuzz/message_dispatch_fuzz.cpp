// The remote client's frames as a connection takes them once its handshake
// is answered: binary messages before the pass phrase (only the heartbeat is
// answered), the pass phrase, then every message code acted on against a
// station's record. The first byte sets the station up: bit 0 the CAT port
// open, bit 1 the auxiliary port open, bit 2 both refuse every write, bit 3
// the playback ring ready, bit 4 the transceiver taking audio, bit 5 the
// client's audio raw.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "client_frames.h"
#include "core/try_mutex.h"
#include "fuzz_station.h"
#include "memory_port.h"
#include "remote/frame_reader.h"
#include "remote/message_dispatch.h"
#include "remote/opus_codecs.h"
#include "remote/pass_phrase.h"
#include "remote/playback_ring.h"

namespace {

constexpr std::string_view kPassPhrase = "fuzz-pass";

struct Ports {
    std::shared_ptr<fuzzing::MemoryPort> cat, aux;
};

core::Works& station() {
    static fuzzing::Station station("message_dispatch");
    static core::TryMutex serMut;
    static const bool ready = [] {
        core::Works& works = station.works;
        works.Passphrase.set(std::string(kPassPhrase));
        works.serMut = &serMut;
        works.MAXbank = 3;
        works.errorsHeld = 0;
        remote::createOpusCodecs(works);
        return true;
    }();
    (void)ready;
    return station.works;
}

std::shared_ptr<fuzzing::MemoryPort> portIf(bool open, bool failing) {
    return open ? std::make_shared<fuzzing::MemoryPort>(failing) : nullptr;
}

// A new connection to the station the setup byte describes; what earlier
// inputs changed in the record is put back.
Ports connect(core::Works& works, uint8_t setup) {
    const bool failing = (setup & 4) != 0;
    Ports ports{portIf(setup & 1, failing), portIf(setup & 2, failing)};
    works.catPort.store(ports.cat);
    works.auxPort.store(ports.aux);
    works.setup->EnableCAT = '1';
    works.remoteFault = 0;
    works.errors.removeWithFlags(0);
    works.cmdRing.clear();

    const bool playback = (setup & 8) != 0;
    works.setup->EnableWrite = playback ? '1' : '0';
    works.playbackReady = playback ? 1 : 0;
    works.playRing = playback ? remote::playbackRingStorage() : nullptr;
    works.qorParams[core::qorWord::AudioEnable] = (setup & 16) != 0 ? 1 : 0;
    works.rxCoding = (setup & 32) != 0 ? 0 : 30000;
    works.txBitrate = 30000;
    works.captureFrames = 480;
    works.playbackFrames = 480;
    works.bufferChunks = 10;
    works.buffersChanged = 0;

    works.Divide = 4;
    works.setup->enaUsbFFT = '0';
    works.setup->Enable1600 = '0';

    works.wsActive = 0;
    works.clientFrames.open();
    return ports;
}

// Before the pass phrase nothing reaches a port and only heartbeats are answered.
void checkNothingActedOn(core::Works& works, const Ports& ports) {
    if ((ports.cat && !ports.cat->written.empty()) || (ports.aux && !ports.aux->written.empty()))
        std::abort();
    for (const core::FrameQueue::Frame& frame : fuzzing::queuedFrames(works))
        if (frame.size() != 20 || frame[2] != 'H' || frame[3] != 'B') std::abort();
}

// The client's frames until the connection ends.
void serve(core::Works& works, const Ports& ports, const uint8_t* data, size_t size) {
    size_t position = 0;
    const remote::ReadBytes read = [&](uint8_t* into, size_t count) -> ssize_t {
        const size_t take = std::min(count, size - position);
        std::copy_n(data + position, take, into);
        position += take;
        return static_cast<ssize_t>(take);
    };
    bool awaitingPassPhrase = true;
    remote::DroppedNotes notes;
    remote::Frame frame;
    while (remote::readFrame(read, frame) == remote::FrameRead::Complete) {
        const remote::Message message = remote::messageOf(frame);
        if (awaitingPassPhrase && message.form == remote::MessageForm::Text) {
            awaitingPassPhrase = false;
            checkNothingActedOn(works, ports);
            if (!remote::checkPassPhrase(kPassPhrase, remote::unmaskedText(frame))) return;
            remote::restartRing(works);
            works.clientFrames.admit();
            works.wsActive = 1;
            continue;
        }
        if (works.wsActive == 0) {
            if (message.form != remote::MessageForm::Text)
                remote::dispatchBeforePassPhrase(works, frame, notes);
            continue;
        }
        if (remote::dispatchMessage(works, frame, notes) == remote::Dispatch::EndConnection) break;
    }
    if (awaitingPassPhrase) checkNothingActedOn(works, ports);
}

// What the input made goes with it, so that the fuzzer sees as many frees as
// allocations and looks for leaks only where there are some.
void disconnect(core::Works& works) {
    works.catPort.store(nullptr);
    works.auxPort.store(nullptr);
    works.clientFrames.close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::Works& works = station();
    fuzzing::silenceLog();
    if (size == 0) return 0;
    serve(works, connect(works, data[0]), data + 1, size - 1);
    disconnect(works);
    return 0;
}
