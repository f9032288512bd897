#include "device/CommModel1.h"

#include "device/Errors.h"

namespace kAPI {

namespace {
ChannelSettings LinkSettings(const wchar_t* portPath)
{
    ChannelSettings s{};
    s.portPath = portPath;
    s.baudRate = CommModel1::BaudRate;
    s.dtrControl = DTR_CONTROL_ENABLE;
    s.abortOnError = 0;
    s.parity = ODDPARITY;
    s.readIntervalTimeout = 0;
    s.readTotalTimeoutConstant = CommModel1::ReadTotalTimeout;
    s.sendBufferSize = CommModel1::BufferSize;
    s.receiveBufferSize = CommModel1::BufferSize;
    return s;
}
}  // namespace

CommModel1::CommModel1(const wchar_t* portPath, SerialOps& serialOps)
    : Device_Comm(LinkSettings(portPath), serialOps)
{
}

void CommModel1::SetTransmit(int mode)
{
    ops.ClearCommError(portHandle.get(), commErrors, comStat);
    if (mode == 1) {
        SetRTS(true);
        ops.Sleep(RtsSettleTime);
    } else if (mode == 0) {
        SetRTS(false);
    }
    transmitting = mode != 0;
}

void CommModel1::SetRTS(bool on)
{
    if (!ops.EscapeCommFunction(portHandle.get(), on ? SETRTS : CLRRTS))
        throw UnknownError(L"SetRTS");
}

void CommModel1::Talk(int n)
{
    if (n > 0 && static_cast<std::size_t>(n) + 1 > sendBufferSize)
        throw CriticalError(ErrorFromCode(ErrBufferOverrun));
    const std::uint8_t c = Checksum(sendBuffer.get(), n);
    const Handle h = portHandle.get();
    ops.ClearCommError(h, commErrors, comStat);
    // Whatever is still waiting in the input queue is the late tail of an earlier
    // answer or line noise; left there it would be read as the start of this answer
    // and every later answer would be out of step.
    ops.PurgeComm(h, PURGE_RXCLEAR);
    sendBuffer[n] = c;
    eventMask = EV_TXEMPTY;
    SetTransmit(1);

    std::uint32_t written = 0;
    const std::uint32_t frameLength = static_cast<std::uint32_t>(n) + 1;
    if (!ops.WriteFile(h, sendBuffer.get(), frameLength, written)) {
        SetTransmit(0);
        throw CommError(L"Talk: Write Serial Port", ErrWrite);
    }
    if (!ops.WaitCommEvent(h, eventMask)) {
        SetTransmit(0);
        throw CommError(L"Talk: Write Serial Timed Out", ErrTimedOut);
    }
    if (written != frameLength) {
        SetTransmit(0);
        throw CommError(L"Talk: Data Send", ErrWrite);
    }
    ops.Sleep(AfterSendTime);
    SetTransmit(0);
}

void CommModel1::Listen(int m)
{
    if (transmitting)
        SetTransmit(0);
    if (m <= 0)
        return;
    if (static_cast<std::size_t>(m) > receiveBufferSize)
        throw CriticalError(ErrorFromCode(ErrBufferOverrun));

    const Handle h = portHandle.get();
    const std::uint32_t wanted = static_cast<std::uint32_t>(m);
    std::uint32_t got = 0;
    if (!ops.ReadFile(h, receiveBuffer.get(), wanted, got))
        throw CommError(L"Listen: Serial Port Read", ErrRead);
    if (got == 0)
        throw CommError(L"Listen: Serial Port Timed Out", ErrTimedOut);
    if (got < wanted) {
        std::uint32_t rest = 0;
        if (!ops.ReadFile(h, receiveBuffer.get() + got, wanted - got, rest))
            throw CommError(L"Listen: Partial Data Read", ErrRead);
        got += rest;
    }
    if (got != wanted)
        throw CommError(L"Listen: Partial Read Time Out ", ErrTimedOut);
    if (VerifyChecksum(receiveBuffer.get(), m - 1) != 0)
        throw CommError(L"Listen: Bad Checksum ", ErrChecksum);
}

void CommModel1::Exchange(int sendLength, int answerLength)
{
    Talk(sendLength);
    Listen(answerLength);
}

std::uint8_t CommModel1::Checksum(const std::uint8_t* bytes, int length)
{
    if (length < 1)
        throw CriticalError(L"Attempt to checksum Null buffer", ErrCritical);
    std::uint8_t x = 0;
    for (int i = 0; i < length; ++i)
        x ^= bytes[i];
    return x;
}

int CommModel1::VerifyChecksum(const std::uint8_t* bytes, int position)
{
    try {
        return Checksum(bytes, position) == bytes[position] ? 0 : 1;
    } catch (const CriticalError&) {
        return -1;
    }
}

}  // namespace kAPI
