#include "sim/common/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>

namespace sim {

int stopSignalDescriptor() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &stop, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return ::signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace sim
