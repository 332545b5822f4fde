#include "platform/run_root.h"

namespace platform {

RunRoot::RunRoot(std::string directory) : directory_(std::move(directory)) {
    while (directory_.size() > 1 && directory_.back() == '/') directory_.pop_back();
}

std::string RunRoot::resolve(std::string_view absolutePath) const {
    if (directory_.empty() || absolutePath.empty() || absolutePath.front() != '/')
        return std::string(absolutePath);
    std::string path = directory_;
    path.append(absolutePath);
    return path;
}

}  // namespace platform
