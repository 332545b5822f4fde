#include "core/record/command_ring.h"

#include "core/amp_commands.h"

namespace core {
namespace {

int32_t next(int32_t index) {
    return index + 1 < CommandRing::kSize ? index + 1 : 0;
}
int32_t previous(int32_t index) {
    return index > 0 ? index - 1 : CommandRing::kSize - 1;
}

// Fan control waits for its command to go out before it decides again: losing one would stop it,
// or leave a fan at a speed it no longer asks for.
bool isFanCommand(int32_t code) {
    return code == cmd::Fan || code == cmd::CpuFan;
}

}  // namespace

void CommandRing::push(int32_t code) {
    std::lock_guard lock(mutex_);
    cmdRing_[cmdIn_] = code;
    cmdIn_ = next(cmdIn_);
    // A full ring would look empty and lose every pending code; drop only one.
    if (cmdIn_ == cmdOut_) dropOldest();
}

void CommandRing::dropOldest() {
    int32_t dropped = cmdOut_;
    while (isFanCommand(cmdRing_[dropped]) && next(dropped) != cmdIn_) dropped = next(dropped);
    if (isFanCommand(cmdRing_[dropped])) dropped = cmdOut_;
    // The older codes move up one slot to close the gap.
    for (int32_t index = dropped; index != cmdOut_; index = previous(index))
        cmdRing_[index] = cmdRing_[previous(index)];
    cmdRing_[cmdOut_] = 0;
    cmdOut_ = next(cmdOut_);
}

std::optional<int32_t> CommandRing::pop() {
    std::lock_guard lock(mutex_);
    if (cmdIn_ == cmdOut_) return std::nullopt;
    int32_t code = cmdRing_[cmdOut_];
    cmdRing_[cmdOut_] = 0;
    cmdOut_ = next(cmdOut_);
    return code;
}

bool CommandRing::empty() const {
    std::lock_guard lock(mutex_);
    return cmdIn_ == cmdOut_;
}

void CommandRing::clear() {
    std::lock_guard lock(mutex_);
    cmdRing_.fill(0);
    cmdIn_ = cmdOut_ = 0;
}

std::vector<int32_t> CommandRing::pending() const {
    std::lock_guard lock(mutex_);
    std::vector<int32_t> codes;
    for (int32_t index = cmdOut_; index != cmdIn_; index = next(index)) codes.push_back(cmdRing_[index]);
    return codes;
}

}  // namespace core
