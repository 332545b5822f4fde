#include "platform/file_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/log.h"

namespace platform {
namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void syncFolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<std::string> FileStore::read(std::string_view path) const {
    std::ifstream file(root_.resolve(path), std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileStore::remountReadWrite() {
    if (system_.remountSettingsReadWrite() != 0) {
        logErrorAndTrace("can't mount rw /opt/set/ error %d", errno);
        return false;
    }
    return true;
}

int FileStore::remountReadOnly() {
    int status = system_.remountSettingsReadOnly();
    if (status != 0) logErrorAndTrace("can't mount ro /opt/set/ error %d", errno);
    return status;
}

bool FileStore::replace(const std::string& target, std::string_view contents) {
    std::string temporary = target + ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        logError("can't open %s for writing error %d", target.c_str(), errno);
        return false;
    }
    bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    int writeErrno = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        writeErrno = errno;
    }
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        logError("can't write %s error %d", target.c_str(), written ? errno : writeErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolderOf(target);
    return true;
}

bool FileStore::addToEnd(const std::string& target, std::string_view header, std::string_view text) {
    int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool created = fd >= 0;
    if (!created && errno == EEXIST) fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        logError("can't open %s for appending error %d", target.c_str(), errno);
        return false;
    }
    bool written = (!created || writeAll(fd, header)) && writeAll(fd, text) && ::fsync(fd) == 0;
    int writeErrno = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        writeErrno = errno;
    }
    if (!written) {
        logError("can't write %s error %d", target.c_str(), writeErrno);
        return false;
    }
    if (created) syncFolderOf(target);
    return true;
}

bool FileStore::save(std::string_view path, std::string_view contents) {
    std::lock_guard lock(saveMutex_);
    if (!remountReadWrite()) return false;
    bool saved = replace(root_.resolve(path), contents);
    remountReadOnly();
    return saved;
}

bool FileStore::remove(std::string_view path) {
    Removal removal = removeReportingSteps(path);
    if (removal.error != 0) logError("can't delete %s error %d", root_.resolve(path).c_str(), removal.error);
    return removal.windowOpened && removal.error == 0;
}

FileStore::Removal FileStore::removeReportingSteps(std::string_view path) {
    std::lock_guard lock(saveMutex_);
    Removal removal;
    removal.windowOpened = remountReadWrite();
    if (!removal.windowOpened) return removal;
    if (::unlink(root_.resolve(path).c_str()) != 0 && errno != ENOENT) removal.error = errno;
    removal.readOnlyStatus = remountReadOnly();
    return removal;
}

bool FileStore::append(std::string_view path, std::string_view header, std::string_view text) {
    std::lock_guard lock(saveMutex_);
    if (!remountReadWrite()) return false;
    bool appended = addToEnd(root_.resolve(path), header, text);
    remountReadOnly();
    return appended;
}

}  // namespace platform
