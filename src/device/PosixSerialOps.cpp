#include "device/PosixSerialOps.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kAPI {

namespace {

using Clock = std::chrono::steady_clock;

// Per thread, as Win32 keeps its last error.
thread_local int lastError = 0;

// Keeps the system's error of a failed open step; returns what a failed step returns.
template <typename Result>
Result OpenStepFailed(Result result, int error = errno)
{
    lastError = error;
    return result;
}

std::string Utf8Path(const wchar_t* path)
{
    std::string out;
    for (; *path; ++path) {
        auto c = static_cast<std::uint32_t>(*path);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct BaudSpeed {
    std::uint32_t baud;
    speed_t speed;
};

constexpr BaudSpeed kSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

std::uint32_t BaudOf(speed_t speed)
{
    for (const auto& s : kSpeeds)
        if (s.speed == speed)
            return s.baud;
    return 0;
}

bool SpeedOf(std::uint32_t baud, speed_t& speed)
{
    for (const auto& s : kSpeeds)
        if (s.baud == baud) {
            speed = s.speed;
            return true;
        }
    return false;
}

// The control characters the link sets; the others have no effect on a raw line.
constexpr int kControlChars[] = {VMIN, VTIME, VSTART, VSTOP};

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until `fd` is ready for `events` or the deadline passes. Returns 1 when ready,
// 0 on time-out, -1 when the line failed or hung up.
int WaitReady(int fd, short events, bool hasDeadline, Clock::time_point deadline)
{
    for (;;) {
        int timeout = hasDeadline ? RemainingMs(deadline) : -1;
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            return 0;
        // A hung-up terminal also reports itself readable, yet every read there returns
        // 0 bytes at once: taking that for "ready" would spin until the end of time.
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
            return -1;
        return 1;
    }
}

// True when the line holds the settings `wanted`, as far as it can hold them: a
// pseudo-terminal (a line without modem-control lines) keeps no parity bit at all.
bool Holds(int fd, const termios& wanted, bool modemLines)
{
    termios now{};
    if (::tcgetattr(fd, &now) != 0)
        return false;
    tcflag_t line = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD;
    if (!modemLines)
        line &= ~PARENB;
    return now.c_iflag == wanted.c_iflag && now.c_oflag == wanted.c_oflag &&
           now.c_lflag == wanted.c_lflag && (now.c_cflag & line) == (wanted.c_cflag & line) &&
           cfgetispeed(&now) == cfgetispeed(&wanted) && cfgetospeed(&now) == cfgetospeed(&wanted) &&
           std::all_of(std::begin(kControlChars), std::end(kControlChars),
                       [&](int c) { return now.c_cc[c] == wanted.c_cc[c]; });
}

}  // namespace

SerialOps& PlatformSerialOps()
{
    static PosixSerialOps ops;
    return ops;
}

bool PosixSerialOps::Find(Handle h, Port& port)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(static_cast<int>(h));
    if (it == ports_.end())
        return false;
    port = it->second;
    return true;
}

Handle PosixSerialOps::CreateFile(const wchar_t* path)
{
    if (path == nullptr)
        return InvalidHandle;
    int fd = ::open(Utf8Path(path).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return OpenStepFailed(InvalidHandle);
    // flock holds for root as well, where TIOCEXCL does not.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const Handle failed = OpenStepFailed(InvalidHandle);
        ::close(fd);
        return failed;
    }
    Port port;
    port.isTerminal = ::tcgetattr(fd, &port.original) == 0;
    if (port.isTerminal) {
        int modem = 0;
        if (::ioctl(fd, TIOCMGET, &modem) == 0) {
            port.modemLines = true;
            port.originalModem = modem & (TIOCM_DTR | TIOCM_RTS);
        }
        // A pseudo-terminal stays open in the program at its other end, and so would the
        // exclusive flag of a holder that was killed: everyone but root would find the port
        // busy until that program ends. There the flock, which dies with its holder, is
        // the guard.
        if (port.modemLines)
            port.exclusive = ::ioctl(fd, TIOCEXCL) == 0;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ports_[fd] = port;
    return fd;
}

bool PosixSerialOps::GetCommState(Handle h, DCB& d)
{
    Port port;
    termios t{};
    const int fd = static_cast<int>(h);
    if (!Find(h, port))
        return OpenStepFailed(false, EBADF);
    if (::tcgetattr(fd, &t) != 0)
        return OpenStepFailed(false);  // ENOTTY: not a serial port
    d = DCB{};
    d.DCBlength = sizeof(DCB);
    d.BaudRate = BaudOf(cfgetospeed(&t));
    d.fBinary = 1;
    d.fParity = (t.c_iflag & INPCK) ? 1 : 0;
    d.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
    d.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    d.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    switch (t.c_cflag & CSIZE) {
        case CS5:
            d.ByteSize = 5;
            break;
        case CS6:
            d.ByteSize = 6;
            break;
        case CS7:
            d.ByteSize = 7;
            break;
        default:
            d.ByteSize = 8;
            break;
    }
    if (!(t.c_cflag & PARENB))
        d.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    d.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    d.XonChar = static_cast<char>(t.c_cc[VSTART]);
    d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    int modem = 0;
    if (port.modemLines && ::ioctl(fd, TIOCMGET, &modem) == 0) {
        d.fDtrControl = (modem & TIOCM_DTR) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        d.fRtsControl = (modem & TIOCM_RTS) ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    }
    return true;
}

bool PosixSerialOps::SetModemLine(int fd, int line, bool on)
{
    return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool PosixSerialOps::SetCommState(Handle h, const DCB& d)
{
    Port port;
    const int fd = static_cast<int>(h);
    speed_t speed;
    if (!Find(h, port) || !SpeedOf(d.BaudRate, speed))
        return false;

    // Made from nothing rather than from what the line holds, so that nothing a killed
    // program left there carries over: raw bytes both ways, no echo, no line editing, no
    // translation of any byte.
    termios t{};
    if (d.fParity)
        t.c_iflag |= INPCK;
    if (d.fOutX)
        t.c_iflag |= IXON;
    if (d.fInX)
        t.c_iflag |= IXOFF;
    t.c_cflag = CLOCAL | CREAD;
    switch (d.ByteSize) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            return false;
    }
    switch (d.Parity) {
        case NOPARITY:
            break;
        case ODDPARITY:
            t.c_cflag |= PARENB | PARODD;
            break;
        case EVENPARITY:
            t.c_cflag |= PARENB;
            break;
        case MARKPARITY:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case SPACEPARITY:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            return false;
    }
    if (d.StopBits == TWOSTOPBITS)
        t.c_cflag |= CSTOPB;
    if (d.fOutxCtsFlow || d.fRtsControl == RTS_CONTROL_HANDSHAKE)
        t.c_cflag |= CRTSCTS;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = static_cast<cc_t>(d.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(d.XoffChar);
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0)
        return false;
    // What tcsetattr returns says too little: the C library fails a change that the line
    // took in part when nothing else changed, and passes it when anything did. What the
    // line holds afterwards is the answer.
    ::tcsetattr(fd, TCSANOW, &t);
    if (!Holds(fd, t, port.modemLines))
        return false;

    if (port.modemLines) {
        if (d.fDtrControl == DTR_CONTROL_ENABLE || d.fDtrControl == DTR_CONTROL_DISABLE) {
            if (!SetModemLine(fd, TIOCM_DTR, d.fDtrControl == DTR_CONTROL_ENABLE))
                return false;
        }
        if (d.fRtsControl != RTS_CONTROL_HANDSHAKE) {
            if (!SetModemLine(fd, TIOCM_RTS, d.fRtsControl == RTS_CONTROL_ENABLE))
                return false;
        }
    }
    return true;
}

bool PosixSerialOps::GetCommTimeouts(Handle h, COMMTIMEOUTS& timeouts)
{
    Port port;
    if (!Find(h, port))
        return OpenStepFailed(false, EBADF);
    if (!port.isTerminal)
        return OpenStepFailed(false, ENOTTY);
    timeouts = port.timeouts;
    return true;
}

bool PosixSerialOps::SetCommTimeouts(Handle h, const COMMTIMEOUTS& timeouts)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(static_cast<int>(h));
    if (it == ports_.end() || !it->second.isTerminal)
        return false;
    it->second.timeouts = timeouts;
    return true;
}

bool PosixSerialOps::GetCommMask(Handle h, std::uint32_t& mask)
{
    Port port;
    if (!Find(h, port) || !port.isTerminal)
        return false;
    mask = port.eventMask;
    return true;
}

bool PosixSerialOps::SetCommMask(Handle h, std::uint32_t mask)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(static_cast<int>(h));
    if (it == ports_.end() || !it->second.isTerminal)
        return false;
    it->second.eventMask = mask;
    return true;
}

bool PosixSerialOps::SetupComm(Handle h, std::uint32_t, std::uint32_t)
{
    // The kernel sizes its own queues; there is nothing to ask for.
    Port port;
    return Find(h, port) && port.isTerminal;
}

bool PosixSerialOps::EscapeCommFunction(Handle h, std::uint32_t function)
{
    Port port;
    if (!Find(h, port))
        return false;
    if (function != SETDTR && function != CLRDTR && function != SETRTS && function != CLRRTS)
        return false;
    if (!port.modemLines)
        return true;  // a line without modem-control lines (a pty) has nothing to move
    const int line = (function == SETDTR || function == CLRDTR) ? TIOCM_DTR : TIOCM_RTS;
    return SetModemLine(static_cast<int>(h), line, function == SETDTR || function == SETRTS);
}

bool PosixSerialOps::PurgeComm(Handle h, std::uint32_t flags)
{
    Port port;
    if (!Find(h, port))
        return false;
    const int fd = static_cast<int>(h);
    bool ok = true;
    if (flags & (PURGE_TXABORT | PURGE_TXCLEAR))
        ok = ::tcflush(fd, TCOFLUSH) == 0 && ok;
    if (flags & (PURGE_RXABORT | PURGE_RXCLEAR))
        ok = ::tcflush(fd, TCIFLUSH) == 0 && ok;
    return ok;
}

bool PosixSerialOps::ClearCommError(Handle h, std::uint32_t& errors, COMSTAT& status)
{
    Port port;
    if (!Find(h, port) || !port.isTerminal)
        return false;
    const int fd = static_cast<int>(h);
    errors = 0;
    status = COMSTAT{};
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) == 0)
        status.cbInQue = static_cast<std::uint32_t>(n);
    n = 0;
    if (::ioctl(fd, TIOCOUTQ, &n) == 0)
        status.cbOutQue = static_cast<std::uint32_t>(n);
    return true;
}

bool PosixSerialOps::WriteFile(Handle h, const std::uint8_t* data, std::uint32_t length,
                               std::uint32_t& written)
{
    written = 0;
    Port port;
    if (!Find(h, port))
        return false;
    const int fd = static_cast<int>(h);
    const std::uint32_t total = port.timeouts.WriteTotalTimeoutMultiplier * length +
                                port.timeouts.WriteTotalTimeoutConstant;
    const bool hasDeadline = total != 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(total);
    while (written < length) {
        ssize_t r = ::write(fd, data + written, length - written);
        if (r > 0) {
            written += static_cast<std::uint32_t>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        int ready = WaitReady(fd, POLLOUT, hasDeadline, deadline);
        if (ready < 0)
            return false;
        if (ready == 0)
            return true;  // time-out: the caller sees the short count
    }
    return true;
}

bool PosixSerialOps::WaitCommEvent(Handle h, std::uint32_t& events)
{
    Port port;
    if (!Find(h, port) || !(port.eventMask & EV_TXEMPTY))
        return false;
    const int fd = static_cast<int>(h);
    // Wait for the driver's queue to empty with a limit, so that a stuck adapter fails
    // the request instead of hanging the program; then let tcdrain wait out the last
    // byte in the transmitter.
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        termios t{};
        std::uint32_t baud = ::tcgetattr(fd, &t) == 0 ? BaudOf(cfgetospeed(&t)) : 0;
        if (baud == 0)
            baud = 2400;
        const auto lineTime = std::chrono::milliseconds(queued * 11 * 1000 / baud);
        const auto deadline = Clock::now() + lineTime +
                              std::chrono::milliseconds(port.timeouts.WriteTotalTimeoutConstant);
        while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
            if (Clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (::tcdrain(fd) != 0)
        return false;
    events = EV_TXEMPTY;
    return true;
}

bool PosixSerialOps::ReadFile(Handle h, std::uint8_t* data, std::uint32_t length,
                              std::uint32_t& read)
{
    read = 0;
    Port port;
    if (!Find(h, port))
        return false;
    const int fd = static_cast<int>(h);
    const COMMTIMEOUTS& to = port.timeouts;
    const std::uint32_t total =
        to.ReadTotalTimeoutMultiplier * length + to.ReadTotalTimeoutConstant;
    const bool returnAtOnce = to.ReadIntervalTimeout == 0xFFFFFFFFu && total == 0;
    const bool hasDeadline = total != 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(total);
    while (read < length) {
        ssize_t r = ::read(fd, data + read, length - read);
        if (r > 0) {
            read += static_cast<std::uint32_t>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR)
            return false;  // EIO: the other end of the line is gone
        if (returnAtOnce)
            return true;
        int ready = WaitReady(fd, POLLIN, hasDeadline, deadline);
        if (ready < 0)
            return false;
        if (ready == 0)
            return true;
    }
    return true;
}

bool PosixSerialOps::CloseHandle(Handle h)
{
    Port port;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = ports_.find(static_cast<int>(h));
        if (it == ports_.end())
            return false;
        port = it->second;
        ports_.erase(it);
    }
    const int fd = static_cast<int>(h);
    if (port.isTerminal) {
        ::tcsetattr(fd, TCSANOW, &port.original);
        if (port.modemLines) {
            SetModemLine(fd, TIOCM_DTR, port.originalModem & TIOCM_DTR);
            SetModemLine(fd, TIOCM_RTS, port.originalModem & TIOCM_RTS);
        }
        // Otherwise the next open by another user would find the port busy for as long
        // as anyone else (an emulator, say) keeps it open.
        if (port.exclusive)
            ::ioctl(fd, TIOCNXCL);
    }
    ::flock(fd, LOCK_UN);
    return ::close(fd) == 0;
}

void PosixSerialOps::Sleep(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int PosixSerialOps::LastError() const
{
    return lastError;
}

}  // namespace kAPI
