// PseudoTerminal.cpp: creation of the pseudo-terminal pair.
#include "PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>
#include <system_error>

namespace emulator {

namespace {

[[noreturn]] void fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal()
{
    master_.reset(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!master_.valid())
        fail("posix_openpt");
    if (::fcntl(master_.get(), F_SETFD, FD_CLOEXEC) != 0)
        fail("fcntl");
    if (::grantpt(master_.get()) != 0)
        fail("grantpt");
    if (::unlockpt(master_.get()) != 0)
        fail("unlockpt");
    const char* name = ::ptsname(master_.get());
    if (name == nullptr)
        fail("ptsname");
    slavePath_ = name;

    slave_.reset(::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.valid())
        fail("open slave");
    // Raw until a host sets its own line: a cooked terminal would echo the requests back
    // and translate bytes such as 0x0D.
    termios tio{};
    if (::tcgetattr(slave_.get(), &tio) != 0)
        fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_.get(), TCSANOW, &tio) != 0)
        fail("tcsetattr");

    const int flags = ::fcntl(master_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master_.get(), F_SETFL, flags | O_NONBLOCK) != 0)
        fail("fcntl");
}

void PseudoTerminal::hangUp()
{
    master_.reset();
    slave_.reset();
}

}  // namespace emulator
