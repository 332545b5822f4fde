#include "core/error_list.h"

#include <cstdio>

namespace core {
namespace {

void copyLine(char (&line)[30], const std::string& text) { std::snprintf(line, sizeof line, "%s", text.c_str()); }

}  // namespace

std::vector<int32_t> ErrorList::codes() const {
    std::lock_guard lock(mutex);
    return {errorList.begin(), errorList.begin() + errorCount};
}

ErrorDescriptor ErrorList::descriptor(int code) const {
    std::lock_guard lock(mutex);
    if (code < 0 || code >= kErrorCodes) return {};
    return errorDesc[static_cast<size_t>(code)];
}

void ErrorList::setDescriptor(int code, uint8_t flags, const std::string& line1, const std::string& line2) {
    if (code < 0 || code >= kErrorCodes) return;
    std::lock_guard lock(mutex);
    ErrorDescriptor& descriptor = errorDesc[static_cast<size_t>(code)];
    descriptor.flags = flags;
    copyLine(descriptor.line1, line1);
    copyLine(descriptor.line2, line2);
}

void ErrorList::setLine2(int code, const std::string& line2) {
    if (code < 0 || code >= kErrorCodes) return;
    std::lock_guard lock(mutex);
    copyLine(errorDesc[static_cast<size_t>(code)].line2, line2);
}

}  // namespace core
