#pragma once
// How the link thread picks its next command after a reply, and what it does
// when an exchange fails.
#include <chrono>
#include <cstdint>

namespace core {
struct Works;
}  // namespace core

namespace amp {

// After any reply but the status reply.
void NextCmdPriority(core::Works& works, int32_t defaultCode);
// After a status reply: a queued command or the frequency poll, or the tune steps.
// Returns the extra pause the chosen step needs before the next command.
std::chrono::milliseconds NextCmdAfterStatus(core::Works& works);
// A time-out, failed read, refused or unrecognised reply.
void GestRetrayCMD(core::Works& works);

}  // namespace amp
