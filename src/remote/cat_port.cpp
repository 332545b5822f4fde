#include "remote/cat_port.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/linux/cat_serial.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace remote {
namespace {

constexpr size_t kAnswerBytes = 5;

// The first five bytes of the answer, or fewer when the port fell silent for a second.
std::string readAnswer(int fd, const std::string& path) {
    std::array<char, 200> received{};
    size_t count = 0;
    while (count < kAnswerBytes) {
        const ssize_t read = ::read(fd, &received[count], 1);
        if (read <= 0) break;
        ++count;
        platform::logInfo("Received %d \"%s\" %s", static_cast<int>(count), received.data(), path.c_str());
    }
    platform::logInfo("Received \"%s\" %s", received.data(), path.c_str());
    return std::string(received.data(), count);
}

// The port's descriptor when it answered as the transceiver, else -1 (closed).
int probe(const std::string& path, const std::string& device) {
    const int fd = platform::openCatPort(device);
    if (fd < 0) {
        platform::logError("Cannot open %s, error %d -%s", path.c_str(), errno, std::strerror(errno));
        return -1;
    }
    platform::logInfo("Opened  %s", path.c_str());
    platform::trace("Opened %s---------------------------------------------\n", path.c_str());
    if (!platform::configureCatPort(fd)) {
        platform::logError("Cannot set %s, error %d -%s", path.c_str(), errno, std::strerror(errno));
        ::close(fd);
        return -1;
    }
    platform::logInfo("Set %s", path.c_str());
    platform::trace("set %s---------------------------------------------\n", path.c_str());
    platform::logInfo("Send \"DT;\" %s", path.c_str());
    const bool sent = ::write(fd, "DT;", 3) == 3;
    platform::logInfo("Sent \"DT;\" %s", path.c_str());
    platform::trace("sent %s---------------------------------------------\n", path.c_str());
    if (sent && platform::setCatReadTimeout(fd, 10) && readAnswer(fd, path) == "DT001") {
        platform::trace("received DT001; %s---------------------------------------------\n", path.c_str());
        return fd;
    }
    ::close(fd);
    platform::logInfo("Cannot connect QOR using %s", path.c_str());
    return -1;
}

}  // namespace

std::vector<std::string> catCandidates(core::Works& works) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(works.platform->root().resolve("/dev"), error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("ttyUSB")) paths.push_back("/dev/" + name);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

int VerifyCAT(core::Works& works) {
    platform::trace("CAT serial search...\n");
    const std::vector<std::string> candidates = catCandidates(works);
    if (candidates.empty()) {
        platform::trace("No CAT serial port found");
        return -1;
    }
    const std::string catPort = works.setup->text(works.setup->CatPort);
    for (auto path = candidates.rbegin(); path != candidates.rend(); ++path) {
        const int fd = probe(*path, works.platform->root().resolve(*path));
        if (fd >= 0) {
            works.catFD = fd;
            platform::trace("CAT serial found:  %s---------------------------------------------\n",
                            path->c_str());
            return 0;
        }
        works.platform->clock().sleepFor(std::chrono::milliseconds(2));
    }
    platform::logError("Unable to open device %s", catPort.c_str());
    platform::trace("CAT: Unable to open device %s\n", catPort.c_str());
    return -1;
}

}  // namespace remote
