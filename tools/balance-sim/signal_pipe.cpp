#include "signal_pipe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int writeFd = -1;

extern "C" void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already says "stop"; losing this byte changes nothing.
    [[maybe_unused]] const auto n = ::write(writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

bool SignalPipe::install() {
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    for (int fd : fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    readFd = fds[0];
    writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0)
        return false;
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}
