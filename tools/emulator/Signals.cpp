// Signals.cpp: the self-pipe behind the signals.
#include "Signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace emulator {

namespace {

int g_writeEnd = -1;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGUSR1};
constexpr char kStop = 1;
constexpr char kSwap = 2;

void onSignal(int signal)
{
    const int saved = errno;
    const char byte = signal == SIGUSR1 ? kSwap : kStop;
    // A full pipe already says that something came; nothing more to do then.
    [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

Signals::Signals()
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

Signals::~Signals()
{
    for (int s : kSignals)
        ::signal(s, SIG_DFL);
    g_writeEnd = -1;
}

Signals::Arrived Signals::take() const
{
    Arrived arrived;
    char bytes[64];
    for (;;) {
        const ssize_t n = ::read(read_.get(), bytes, sizeof bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return arrived;
        for (ssize_t i = 0; i < n; ++i) {
            if (bytes[i] == kSwap)
                ++arrived.swaps;
            else
                arrived.stop = true;
        }
    }
}

}  // namespace emulator
