#pragma once
// What the server does with each frame after the pass phrase: the message
// codes of the client, by form. Before the pass phrase only the heartbeat
// is answered.
#include "remote/frame_reader.h"

namespace core {
struct Works;
}  // namespace core

namespace remote {

enum class Dispatch { Continue, EndConnection };

// Per connection: each kind of dropped message is logged once.
struct DroppedNotes {
    bool beforePassPhrase = false, noCatPort = false, noSerialPort = false, noPlayback = false;
};

Dispatch dispatchMessage(core::Works& works, const Frame& frame, DroppedNotes& notes);
// A binary message before the pass phrase: "HB" is answered, every other is dropped.
void dispatchBeforePassPhrase(core::Works& works, const Frame& frame, DroppedNotes& notes);

}  // namespace remote
