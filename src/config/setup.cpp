#include "config/setup.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

#include "config/setup_file.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {
namespace {

// Several threads save the setup. One save at a time, and never in the middle
// of a read, so a save never writes a record that a read has half filled.
std::mutex& setupFileMutex() {
    static std::mutex mutex;
    return mutex;
}

// The caller holds setupFileMutex.
bool saveSetup(core::AmpRecord& works) {
    return works.platform->files().save(kSetupPath, formatSetup(works));
}

// mkstemp draws the six random characters; the file it makes on the way is
// removed at once.
std::string newPassphrase(core::AmpRecord& works) {
    constexpr const char* kTemplate = "AXXXXXX";
    std::string path = works.platform->root().resolve(std::string("/tmp/") + kTemplate);
    std::string passphrase = kTemplate;
    int fd = ::mkstemp(path.data());
    if (fd < 0) {
        platform::logError("can't make a passphrase in %s error %d", path.c_str(), errno);
    } else {
        ::close(fd);
        ::unlink(path.c_str());
        passphrase = path.substr(path.size() - passphrase.size());
    }
    platform::trace("%s\n", platform::maskedSecret(passphrase).c_str());
    return passphrase;
}

void limitTemperature(std::atomic<float>& threshold, int32_t allowed) {
    float value = threshold;
    if (value < 20.0f) value = 20.0f;
    if (value > static_cast<float>(allowed)) value = static_cast<float>(allowed);
    threshold = value;
}

}  // namespace

void initSetup(core::AmpRecord& works) {
    core::InitGlobalVar(works);
    resetSetupRecord(*works.setup);
}

void readSetup(core::AmpRecord& works) {
    std::lock_guard lock(setupFileMutex());
    initSetup(works);
    std::optional<std::string> text = works.platform->files().read(kSetupPath);
    if (!text) {
        platform::trace("Init Setup! ");
        saveSetup(works);  // a failed save is logged by the file store
        platform::logError("can't open %s", kSetupPath);
        return;
    }
    parseSetup(*text, works);
    VerifyTemperature(works);
    logSetup(works);
}

bool writeSetup(core::AmpRecord& works) {
    std::lock_guard lock(setupFileMutex());
    return saveSetup(works);
}

void VerifyTemperature(core::AmpRecord& works) {
    limitTemperature(works.MaxTemperature, works.MaxTempAllowed);
    limitTemperature(works.MaxTemperature2, works.MaxTempAllowed2);
}

void resetSetupDefaults(core::AmpRecord& works) {
    core::InitGlobalVar(works);
    initSetup(works);
    works.Passphrase.set(newPassphrase(works));
    writeSetup(works);
    readSetup(works);
    VerifyTemperature(works);
    for (int code : {core::err::Temp1Cooled, core::err::Temp1Alarm, core::err::Temp2Cooled,
                     core::err::Temp2Alarm, core::err::Temp1Warning, core::err::Temp2Warning})
        core::DeleteErrore(works, code);
}

}  // namespace config
