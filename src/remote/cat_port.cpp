#include "remote/cat_port.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace remote {
namespace {

constexpr size_t kAnswerBytes = 5;

// The first five bytes of the answer, or fewer when the port fell silent for a second.
std::string readAnswer(platform::SerialPort& port, const std::string& path) {
    std::array<char, 200> received{};
    size_t count = 0;
    while (count < kAnswerBytes) {
        uint8_t byte = 0;
        if (port.readByte(byte) <= 0) break;
        received[count++] = static_cast<char>(byte);
        platform::logInfo("Received %d \"%s\" %s", static_cast<int>(count), received.data(), path.c_str());
    }
    platform::logInfo("Received \"%s\" %s", received.data(), path.c_str());
    return std::string(received.data(), count);
}

// The port when it answered as the transceiver, else null (closed).
std::unique_ptr<platform::SerialPort> probe(core::Works& works, const std::string& path) {
    std::unique_ptr<platform::SerialPort> port = works.platform->serialPort();
    if (!port->open(works.platform->root().resolve(path))) {
        platform::logError("Cannot open %s, error %d -%s", path.c_str(), errno, std::strerror(errno));
        return nullptr;
    }
    platform::logInfo("Opened  %s", path.c_str());
    platform::trace("Opened %s---------------------------------------------\n", path.c_str());
    if (!port->configure({.baud = 115200, .twoStopBits = false, .hangUpOnClose = false})) {
        platform::logError("Cannot set %s, error %d -%s", path.c_str(), errno, std::strerror(errno));
        return nullptr;
    }
    platform::logInfo("Set %s", path.c_str());
    platform::trace("set %s---------------------------------------------\n", path.c_str());
    platform::logInfo("Send \"DT;\" %s", path.c_str());
    const bool sent = port->writeText("DT;");
    platform::logInfo("Sent \"DT;\" %s", path.c_str());
    platform::trace("sent %s---------------------------------------------\n", path.c_str());
    if (sent && port->setReadTimeout(std::chrono::seconds(1)) && readAnswer(*port, path) == "DT001") {
        platform::trace("received DT001; %s---------------------------------------------\n", path.c_str());
        return port;
    }
    platform::logInfo("Cannot connect QOR using %s", path.c_str());
    return nullptr;
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
        if (std::shared_ptr<platform::SerialPort> port = probe(works, *path)) {
            works.catFD = port->fd();
            works.catPort = std::move(port);
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
