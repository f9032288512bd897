// StopSignals.cpp: the self-pipe behind the stop signals.
#include "StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace emulator {

namespace {

int g_writeEnd = -1;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already says "stop"; nothing more to do then.
    [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals()
{
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    read_.reset(fds[0]);
    write_.reset(fds[1]);
    for (int fd : fds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    g_writeEnd = write_.get();

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : kSignals)
        ::sigaction(s, &sa, nullptr);
}

StopSignals::~StopSignals()
{
    for (int s : kSignals)
        ::signal(s, SIG_DFL);
    g_writeEnd = -1;
}

}  // namespace emulator
