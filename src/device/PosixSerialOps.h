#pragma once
// Serial operations on a POSIX terminal device (termios).

#include <map>
#include <mutex>

#include <termios.h>

#include "device/SerialOps.h"

namespace kAPI {

class PosixSerialOps : public SerialOps {
public:
    Handle CreateFile(const wchar_t* path) override;
    bool GetCommState(Handle h, DCB& state) override;
    bool SetCommState(Handle h, const DCB& state) override;
    bool GetCommTimeouts(Handle h, COMMTIMEOUTS& timeouts) override;
    bool SetCommTimeouts(Handle h, const COMMTIMEOUTS& timeouts) override;
    bool GetCommMask(Handle h, std::uint32_t& mask) override;
    bool SetCommMask(Handle h, std::uint32_t mask) override;
    bool SetupComm(Handle h, std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool EscapeCommFunction(Handle h, std::uint32_t function) override;
    bool PurgeComm(Handle h, std::uint32_t flags) override;
    bool ClearCommError(Handle h, std::uint32_t& errors, COMSTAT& status) override;
    bool WriteFile(Handle h, const std::uint8_t* data, std::uint32_t length,
                   std::uint32_t& written) override;
    bool WaitCommEvent(Handle h, std::uint32_t& events) override;
    bool ReadFile(Handle h, std::uint8_t* data, std::uint32_t length, std::uint32_t& read) override;
    bool CloseHandle(Handle h) override;
    void Sleep(std::uint32_t milliseconds) override;
    int LastError() const override;

private:
    // What the port was like when it was opened, and what the Win32 model keeps per
    // handle but termios has no place for.
    struct Port {
        bool isTerminal = false;
        termios original{};
        bool exclusive = false;   // TIOCEXCL set by us
        bool modemLines = false;  // the line has DTR and RTS at all (a pty has not)
        int originalModem = 0;    // TIOCM_DTR / TIOCM_RTS as found
        COMMTIMEOUTS timeouts{};
        std::uint32_t eventMask = 0;
    };

    bool Find(Handle h, Port& port);
    bool SetModemLine(int fd, int line, bool on);

    std::mutex mutex_;
    std::map<int, Port> ports_;
};

}  // namespace kAPI
