#include "platform/linux/termios_serial_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform {
namespace {

speed_t speedOf(int baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 230400:
            return B230400;
        default:
            return B115200;
    }
}

}  // namespace

TermiosSerialPort::~TermiosSerialPort() {
    close();
}

void TermiosSerialPort::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TermiosSerialPort::open(const std::string& device) {
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return fd_ >= 0;
}

bool TermiosSerialPort::configure(const SerialSettings& settings) {
    termios options{};
    options.c_iflag = IGNPAR;
    options.c_oflag = 0;
    options.c_cflag =
        CS8 | CLOCAL | CREAD | (settings.hangUpOnClose ? HUPCL : 0) | (settings.twoStopBits ? CSTOPB : 0);
    options.c_lflag = 0;
    options.c_cc[VMIN] = 1;
    options.c_cc[VTIME] = 5;
    speed_t speed = speedOf(settings.baud);
    ::tcflush(fd_, TCIFLUSH);
    if (::cfsetispeed(&options, speed) != 0 || ::cfsetospeed(&options, speed) != 0) return false;
    return ::tcsetattr(fd_, TCSANOW, &options) == 0;
}

int TermiosSerialPort::bytesAvailable() {
    int count = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0) return 0;
    return count;
}

int TermiosSerialPort::readByte(uint8_t& byte) {
    return static_cast<int>(::read(fd_, &byte, 1));
}

int TermiosSerialPort::readSome(std::span<uint8_t> into) {
    return static_cast<int>(::read(fd_, into.data(), into.size()));
}

bool TermiosSerialPort::setReadTimeout(std::chrono::milliseconds timeout) {
    termios options{};
    if (::tcgetattr(fd_, &options) != 0) return false;
    // VTIME counts tenths of a second, at most 255 of them.
    const auto tenths = std::clamp<std::chrono::milliseconds::rep>(timeout.count() / 100, 0, 255);
    options.c_lflag &= static_cast<tcflag_t>(~ICANON);
    options.c_cc[VMIN] = 0;
    options.c_cc[VTIME] = static_cast<cc_t>(tenths);
    return ::tcsetattr(fd_, TCSANOW, &options) == 0;
}

bool TermiosSerialPort::writeAll(std::span<const uint8_t> data) {
    if (fd_ < 0) return false;
    while (!data.empty()) {
        ssize_t written = ::write(fd_, data.data(), data.size());
        if (written > 0) {
            data = data.subspan(static_cast<size_t>(written));
            continue;
        }
        // A short pause and again, as the line drains; a dead device gives up.
        if (written < 0 && errno != EINTR && errno != EAGAIN) return false;
        ::usleep(1000);
    }
    return true;
}

bool TermiosSerialPort::flushInput() {
    return ::tcflush(fd_, TCIFLUSH) == 0;
}

}  // namespace platform
