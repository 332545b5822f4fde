// The CAT bridge both ways: the bytes of the transceiver's CAT port taken
// apart into replies, each sent to the client as "CA" messages, and the
// client's "CA" text for the port. The input is a series of pieces, each a
// byte whose top bit says where the piece comes from (clear: the port, set:
// the client) and whose other bits its length, then the piece.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "client_frames.h"
#include "fuzz_station.h"
#include "memory_port.h"
#include "remote/cat_replies.h"
#include "remote/frame_builder.h"
#include "remote/frame_writers.h"
#include "remote/message_dispatch.h"

namespace {

core::Works& station() {
    static fuzzing::Station station("cat_bridge");
    return station.works;
}

// Each reply ends with its only ';' and fits the bridge's buffer.
void checkReply(std::span<const uint8_t> reply) {
    if (reply.size() > remote::CatReplies::kReplyBytes) std::abort();
    for (size_t i = 0; i < reply.size(); ++i)
        if ((reply[i] == ';') != (i + 1 == reply.size())) std::abort();
}

// The client gets the reply whole, in short "CA" messages. Taken at once,
// as the connection's writer does: frames left waiting would overflow the
// queue of a client that does not read.
void checkSent(core::Works& works, std::span<const uint8_t> reply) {
    std::string sent;
    for (const core::FrameQueue::Frame& frame : fuzzing::queuedFrames(works)) {
        if (frame.size() < 5 || frame[0] != remote::kBinaryFrame || frame[1] != frame.size() - 2 ||
            frame[1] > remote::kShortLimit || frame[2] != 'C' || frame[3] != 'A')
            std::abort();
        sent.append(frame.begin() + 4, frame.end());
    }
    if (sent != std::string(reply.begin(), reply.end())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::Works& works = station();
    fuzzing::silenceLog();
    const auto port = std::make_shared<fuzzing::MemoryPort>(false);
    works.catPort.store(port);
    works.wsActive = 1;
    works.clientFrames.open();
    works.clientFrames.admit();

    remote::CatReplies fromPort;
    remote::DroppedNotes notes;
    std::string commands;
    for (size_t at = 0; at < size;) {
        const bool fromClient = (data[at] & 0x80) != 0;
        const size_t length = std::min<size_t>(data[at] & 0x7F, size - at - 1);
        const std::span<const uint8_t> piece(data + at + 1, length);
        at += 1 + length;
        if (fromClient) {
            const std::span<const uint8_t> text = piece.first(std::min(length, remote::kShortData));
            const remote::Frame frame = fuzzing::frameOf(remote::shortFrame("CA", text));
            if (remote::dispatchMessage(works, frame, notes) != remote::Dispatch::Continue) std::abort();
            // Text the client marks "XX;" stays here.
            if (!std::string_view(reinterpret_cast<const char*>(text.data()), text.size()).starts_with("XX;"))
                commands.append(text.begin(), text.end());
            continue;
        }
        for (const uint8_t byte : piece) {
            const std::span<const uint8_t> reply = fromPort.take(byte);
            if (reply.empty()) continue;
            checkReply(reply);
            remote::sendWebSockCatFrame(works, reply);
            checkSent(works, reply);
        }
    }
    if (port->written != commands) std::abort();
    // Freed within the input: the fuzzer looks for leaks only where allocations outnumber frees.
    works.catPort.store(nullptr);
    return 0;
}
