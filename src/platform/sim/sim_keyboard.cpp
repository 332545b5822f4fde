#include "platform/sim/sim_keyboard.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/log.h"

namespace platform {

void createSimKeyboard(const RunRoot& root) {
    const std::filesystem::path path = root.resolve(kSimKeyboardPath);
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST)
        trace("sim: cannot create the keyboard %s: %s\n", path.c_str(), std::strerror(errno));
}

}  // namespace platform
