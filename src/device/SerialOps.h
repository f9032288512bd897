#pragma once
// The platform's serial port operations, one per row of what the channel needs. All are
// synchronous. Each returns false on failure, like the Win32 calls they are named after.

#include <cstdint>

#include "device/SerialTypes.h"

namespace kAPI {

using Handle = std::intptr_t;
constexpr Handle InvalidHandle = -1;

class SerialOps {
public:
    virtual ~SerialOps() = default;

    // Opens an existing device path for reading and writing, exclusively.
    // Returns InvalidHandle on failure.
    virtual Handle CreateFile(const wchar_t* path) = 0;
    virtual bool GetCommState(Handle h, DCB& state) = 0;
    virtual bool SetCommState(Handle h, const DCB& state) = 0;
    virtual bool GetCommTimeouts(Handle h, COMMTIMEOUTS& timeouts) = 0;
    virtual bool SetCommTimeouts(Handle h, const COMMTIMEOUTS& timeouts) = 0;
    virtual bool GetCommMask(Handle h, std::uint32_t& mask) = 0;
    virtual bool SetCommMask(Handle h, std::uint32_t mask) = 0;
    virtual bool SetupComm(Handle h, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    // SETDTR, CLRDTR, SETRTS, CLRRTS.
    virtual bool EscapeCommFunction(Handle h, std::uint32_t function) = 0;
    virtual bool PurgeComm(Handle h, std::uint32_t flags) = 0;
    virtual bool ClearCommError(Handle h, std::uint32_t& errors, COMSTAT& status) = 0;
    // Returns after all bytes are written or the write time-out has passed.
    virtual bool WriteFile(Handle h, const std::uint8_t* data, std::uint32_t length,
                           std::uint32_t& written) = 0;
    // Blocks until an enabled event happens; here only "transmitter empty" is used.
    virtual bool WaitCommEvent(Handle h, std::uint32_t& events) = 0;
    // Returns when `length` bytes have arrived or the read time-out has passed;
    // fewer bytes, even none, is a success.
    virtual bool ReadFile(Handle h, std::uint8_t* data, std::uint32_t length,
                          std::uint32_t& read) = 0;
    virtual bool CloseHandle(Handle h) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // The system's error number behind the last CreateFile, GetCommState or GetCommTimeouts
    // that failed on the calling thread, as Win32 keeps its last error; 0 when it gave none.
    // It tells why a port would not open without anyone opening it a second time to look.
    virtual int LastError() const = 0;
};

// The serial operations of the platform the program runs on.
SerialOps& PlatformSerialOps();

}  // namespace kAPI
