#include "sim/amp/emulator_pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace sim {
namespace fs = std::filesystem;

namespace {

std::string withErrno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

PtyLink::~PtyLink() {
    if (!linkPath_.empty()) {
        std::error_code ec;
        if (fs::read_symlink(linkPath_, ec) == slavePath_) fs::remove(linkPath_, ec);
    }
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyLink::open(const std::string& linkPath, std::string& error) {
    auto fail = [&](std::string reason) {
        error = std::move(reason);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail(withErrno("posix_openpt"));
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail(withErrno("grantpt/unlockpt"));
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail(withErrno("ptsname"));
    slavePath_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
        return fail(withErrno("O_NONBLOCK"));
    // Raw both ways: no echo of the replies, no line editing of the frames.
    termios raw{};
    if (::tcgetattr(master_, &raw) != 0) return fail(withErrno("tcgetattr"));
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B115200);
    ::cfsetospeed(&raw, B115200);
    if (::tcsetattr(master_, TCSANOW, &raw) != 0) return fail(withErrno("tcsetattr"));
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail(withErrno(name));

    std::error_code ec;
    fs::create_directories(fs::path(linkPath).parent_path(), ec);
    fs::file_status status = fs::symlink_status(linkPath, ec);
    if (fs::is_symlink(status)) {
        fs::remove(linkPath, ec);
    } else if (fs::exists(status)) {
        return fail(linkPath + " exists and is not a link");
    }
    fs::create_symlink(slavePath_, linkPath, ec);
    if (ec) return fail(linkPath + ": " + ec.message());
    linkPath_ = linkPath;
    return true;
}

}  // namespace sim
