#pragma once
// How the link thread picks its next command after a reply, and what it does
// when an exchange fails.
#include <chrono>
#include <cstdint>

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// After any reply but the status reply.
void NextCmdPriority(core::AmpRecord& works, int32_t defaultCode);
// After a status reply: a queued command or the frequency poll, or the tune steps.
// Returns the extra pause the chosen step needs before the next command.
std::chrono::milliseconds NextCmdAfterStatus(core::AmpRecord& works);
// A time-out, failed read, refused or unrecognised reply.
void GestRetrayCMD(core::AmpRecord& works);

}  // namespace amp
