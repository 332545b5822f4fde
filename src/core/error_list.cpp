#include "core/error_list.h"

#include <algorithm>
#include <cstdio>

#include "platform/log.h"

namespace core {
namespace {

void copyLine(char (&line)[30], const std::string& text) {
    std::snprintf(line, sizeof line, "%s", text.c_str());
}

}  // namespace

std::optional<uint8_t> ErrorList::add(int code) {
    if (code < 0 || code >= kErrorCodes) return std::nullopt;
    std::lock_guard lock(mutex_);
    auto listed = errorList_.begin() + errorCount_;
    if (std::find(errorList_.begin(), listed, code) != listed) return std::nullopt;
    errorList_[static_cast<size_t>(errorCount_++)] = code;
    platform::trace("Add: N: %i err:%i\n", errorCount_, code);
    return flagsOf(code);
}

bool ErrorList::remove(int code) {
    std::lock_guard lock(mutex_);
    auto listed = errorList_.begin() + errorCount_;
    auto found = std::find(errorList_.begin(), listed, code);
    if (found == listed) return false;
    removeAt(static_cast<int>(found - errorList_.begin()));
    platform::trace("Del ERROR: N: %i err:%i\n", errorCount_, code);
    return true;
}

void ErrorList::removeWithFlags(uint8_t mask) {
    std::lock_guard lock(mutex_);
    for (int index = 0; index < errorCount_;) {
        int code = errorList_[static_cast<size_t>(index)];
        if (mask != 0 && (flagsOf(code) & mask) == 0) {
            ++index;
            continue;
        }
        platform::trace("Del temp err: %i (%i , %i)\n", code, index, errorCount_);
        removeAt(index);
    }
}

void ErrorList::removeAt(int index) {
    auto first = errorList_.begin() + index;
    std::copy(first + 1, errorList_.begin() + errorCount_, first);
    --errorCount_;
    errorList_[static_cast<size_t>(errorCount_)] = 0;
}

uint8_t ErrorList::flagsOf(int code) const {
    return code >= 0 && code < kErrorCodes ? errorDesc_[static_cast<size_t>(code)].flags : 0;
}

std::vector<int32_t> ErrorList::codes() const {
    std::lock_guard lock(mutex_);
    return {errorList_.begin(), errorList_.begin() + errorCount_};
}

ErrorDescriptor ErrorList::descriptor(int code) const {
    std::lock_guard lock(mutex_);
    if (code < 0 || code >= kErrorCodes) return {};
    return errorDesc_[static_cast<size_t>(code)];
}

void ErrorList::setDescriptor(int code, uint8_t flags, const std::string& line1, const std::string& line2) {
    if (code < 0 || code >= kErrorCodes) return;
    std::lock_guard lock(mutex_);
    ErrorDescriptor& descriptor = errorDesc_[static_cast<size_t>(code)];
    descriptor.flags = flags;
    copyLine(descriptor.line1, line1);
    copyLine(descriptor.line2, line2);
}

void ErrorList::setLine2(int code, const std::string& line2) {
    if (code < 0 || code >= kErrorCodes) return;
    std::lock_guard lock(mutex_);
    copyLine(errorDesc_[static_cast<size_t>(code)].line2, line2);
}

}  // namespace core
