#pragma once
// Whether remote operation is possible at all: the transceiver on USB, its
// CAT port answering and its USB audio interface present.

namespace core {
struct Works;
}  // namespace core

namespace remote {

// 0 all present; 1 the transceiver is not on USB (or the bus cannot be
// read), 2 its CAT port does not answer, 3 its audio interface is missing.
int Find_Remote_Settings(core::Works& works);
// The count of the transceiver's USB audio interfaces (C-Media 0d8c:01af).
int VerifyAudioQOR(core::Works& works);
// The count of C-Media USB devices, each listed on standard error.
int Get_AudioQOR(core::Works& works);

// The start-up decision: when any remote thread is enabled, stops them all,
// checks the prerequisites and starts them again only when all are present.
void decideRemoteAtStartUp(core::Works& works);

}  // namespace remote
