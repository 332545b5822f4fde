#include "platform/linux/cat_serial.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

int openCatPort(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
}

bool configureCatPort(int fd) {
    termios attributes{};
    attributes.c_iflag = IGNPAR;
    attributes.c_oflag = 0;
    attributes.c_cflag = CS8 | CREAD | CLOCAL;
    attributes.c_lflag = 0;
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    if (::cfsetispeed(&attributes, B115200) != 0 || ::cfsetospeed(&attributes, B115200) != 0) return false;
    if (::tcflush(fd, TCIFLUSH) != 0) return false;
    return ::tcsetattr(fd, TCSANOW, &attributes) == 0;
}

bool setCatReadTimeout(int fd, int deciseconds) {
    termios attributes{};
    if (::tcgetattr(fd, &attributes) != 0) return false;
    attributes.c_lflag &= static_cast<tcflag_t>(~ICANON);
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = static_cast<cc_t>(deciseconds);
    return ::tcsetattr(fd, TCSANOW, &attributes) == 0;
}

bool flushCatInput(int fd) {
    return ::tcflush(fd, TCIFLUSH) == 0;
}

int catBytesWaiting(int fd) {
    int waiting = 0;
    return ::ioctl(fd, FIONREAD, &waiting) == 0 ? waiting : 0;
}

}  // namespace platform
