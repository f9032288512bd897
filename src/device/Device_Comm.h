#pragma once
// The serial channel to the dive computer's interface cable. Constructing it opens the
// port, remembers the port's settings as found and applies the link settings; Close or
// destruction puts the remembered settings back and closes the port. Sending and
// receiving belong to the framed exchange built on top of it.

#include <cstddef>
#include <cstdint>
#include <memory>

#include <boost/noncopyable.hpp>

#include "device/CHandle.h"
#include "device/SerialOps.h"
#include "device/SerialTypes.h"

namespace kAPI {

struct ChannelSettings {
    const wchar_t* portPath;  // null: no port chosen
    std::uint32_t baudRate;
    std::uint32_t dtrControl;
    std::uint32_t abortOnError;
    std::uint8_t parity;
    std::uint32_t readIntervalTimeout;
    std::uint32_t readTotalTimeoutConstant;
    std::size_t sendBufferSize;
    std::size_t receiveBufferSize;
};

class Device_Comm : boost::noncopyable {
public:
    virtual void SetTransmit(int mode) = 0;
    virtual void Talk(int length) = 0;
    virtual void Listen(int length) = 0;
    virtual ~Device_Comm();
    // Restores the port's settings and closes it; does nothing when already closed.
    virtual void Close();
    virtual void Exchange(int sendLength, int answerLength) = 0;

    void SetDTR(bool on);
    // Discards output not yet sent; the input queue is left alone.
    bool PurgeTransmit();
    Handle PortHandle() const { return portHandle.get(); }
    bool IsOpen() const { return isOpen; }

    static constexpr std::uint32_t InputQueueSize = 32640;
    static constexpr std::uint32_t OutputQueueSize = 1280;
    static constexpr std::uint32_t WriteTotalTimeout = 1000;

protected:
    Device_Comm(const ChannelSettings& settings, SerialOps& ops);

    SerialOps& ops;
    CHandle portHandle;
    bool isOpen = false;
    std::uint32_t savedEventMask = 0;
    DCB state{};
    DCB savedState{};
    COMMTIMEOUTS timeouts{};
    COMMTIMEOUTS savedTimeouts{};
    COMSTAT comStat{};
    std::uint32_t commErrors = 0;
    std::uint32_t eventMask = EV_TXEMPTY;
    std::size_t sendBufferSize;
    std::size_t receiveBufferSize;
    std::unique_ptr<std::uint8_t[]> sendBuffer;
    std::unique_ptr<std::uint8_t[]> receiveBuffer;

private:
    [[noreturn]] void FailSetup(bool restoreState);
};

}  // namespace kAPI
