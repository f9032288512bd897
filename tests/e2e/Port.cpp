// Port.cpp: plain POSIX I/O on the slave side of the pseudo-terminal.
#include "Port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace e2e {

Port::Port(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        throw std::runtime_error("open " + path + ": " + std::strerror(errno));
    termios tio{};
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd_, TIOCEXCL) != 0 ||
        ::tcgetattr(fd_, &saved_) != 0) {
        const int error = errno;
        ::close(fd_);
        throw std::runtime_error("set up " + path + ": " + std::strerror(error));
    }
    tio = saved_;
    ::cfmakeraw(&tio);
    tio.c_cflag |= PARENB | PARODD | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B2400);
    ::cfsetospeed(&tio, B2400);
    ::tcsetattr(fd_, TCSANOW, &tio);
}

Port::~Port()
{
    ::tcsetattr(fd_, TCSANOW, &saved_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

void Port::send(const Bytes& bytes)
{
    if (::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error(std::string("write: ") + std::strerror(errno));
    }
}

Bytes Port::receive(std::size_t count, std::chrono::milliseconds within)
{
    const auto end = std::chrono::steady_clock::now() + within;
    Bytes got;
    while (got.size() < count && !hungUp_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - got.size()));
        if (n > 0) {
            got.insert(got.end(), buf, buf + n);
        } else if (n == 0 || errno == EIO) {
            hungUp_ = true;
        }
    }
    return got;
}

Bytes Port::drain(std::chrono::milliseconds quiet)
{
    Bytes all;
    for (;;) {
        const Bytes more = receive(4096, quiet);
        if (more.empty())
            return all;
        all.insert(all.end(), more.begin(), more.end());
    }
}

}  // namespace e2e
