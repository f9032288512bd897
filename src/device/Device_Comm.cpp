#include "device/Device_Comm.h"

#include "device/Errors.h"

namespace kAPI {

namespace {

// The error of an open step that failed, with the system's reason kept.
template <typename Failure>
Failure OpenFailure(Failure failure, const SerialOps& ops)
{
    failure.systemError = ops.LastError();
    return failure;
}

}  // namespace

Device_Comm::Device_Comm(const ChannelSettings& settings, SerialOps& serialOps)
    : ops(serialOps),
      portHandle(CCloseHandle{&serialOps}),
      sendBufferSize(settings.sendBufferSize),
      receiveBufferSize(settings.receiveBufferSize),
      sendBuffer(new std::uint8_t[settings.sendBufferSize]()),
      receiveBuffer(new std::uint8_t[settings.receiveBufferSize]())
{
    state.DCBlength = sizeof(DCB);
    savedState.DCBlength = sizeof(DCB);

    if (settings.portPath == nullptr)
        throw CriticalError(L"No Comm Port Specified", ErrCritical);

    portHandle.reset(ops.CreateFile(settings.portPath));
    if (!portHandle.valid())
        throw OpenFailure(CommError(L"Comm Port Not Found", ErrCantOpenPort), ops);

    const Handle h = portHandle.get();
    if (!ops.GetCommState(h, savedState) || !ops.GetCommTimeouts(h, savedTimeouts)) {
        const CommError failure =
            OpenFailure(CommError(L"Invalid Port Specified", ErrCantOpenPort), ops);
        portHandle.Close();
        throw failure;
    }

    if (!ops.GetCommState(h, state))
        FailSetup(false);
    // The read only proves that the line answers. Every field is set from nothing, so that
    // whatever a program ended half-way left in the port does not carry over.
    state = DCB{};
    state.DCBlength = sizeof(DCB);
    state.fBinary = 1;
    state.fParity = 0;  // a damaged answer shows up as a checksum failure instead
    state.fOutxCtsFlow = 0;
    state.fOutxDsrFlow = 0;
    state.fDsrSensitivity = 0;
    state.fTXContinueOnXoff = 0;
    state.fOutX = 0;
    state.fInX = 0;
    state.fErrorChar = 0;
    state.fNull = 0;
    state.fRtsControl = RTS_CONTROL_DISABLE;  // RTS only moves around a transmission
    state.XonLim = 2048;
    state.XoffLim = 512;
    state.ByteSize = 8;
    state.StopBits = ONESTOPBIT;
    state.XonChar = 0x11;
    state.XoffChar = 0x13;
    state.ErrorChar = 0;
    state.EofChar = 0;
    state.EvtChar = 0;
    state.BaudRate = settings.baudRate;
    state.fDtrControl = settings.dtrControl;
    state.fAbortOnError = settings.abortOnError;
    state.Parity = settings.parity;
    if (!ops.SetCommState(h, state))
        FailSetup(false);

    if (!ops.GetCommTimeouts(h, timeouts))
        FailSetup(false);
    timeouts.ReadIntervalTimeout = settings.readIntervalTimeout;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = settings.readTotalTimeoutConstant;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = WriteTotalTimeout;
    if (!ops.SetCommTimeouts(h, timeouts))
        FailSetup(true);

    ops.GetCommMask(h, savedEventMask);
    if (!ops.SetCommMask(h, EV_TXEMPTY))
        FailSetup(true);

    if (!ops.SetupComm(h, InputQueueSize, OutputQueueSize))
        FailSetup(true);

    isOpen = true;
    try {
        SetDTR(true);
    } catch (...) {
        Close();  // no port is left open behind a failed open
        throw;
    }
}

void Device_Comm::FailSetup(bool restoreState)
{
    if (restoreState)
        ops.SetCommState(portHandle.get(), savedState);
    portHandle.Close();
    throw CriticalError(L"Error Setting Comm Port", ErrCritical);
}

Device_Comm::~Device_Comm()
{
    Close();
}

void Device_Comm::Close()
{
    if (!isOpen)
        return;
    const Handle h = portHandle.get();
    ops.SetCommMask(h, savedEventMask);
    ops.SetCommTimeouts(h, savedTimeouts);
    ops.SetCommState(h, savedState);
    portHandle.Close();
    isOpen = false;
}

void Device_Comm::SetDTR(bool on)
{
    if (!ops.EscapeCommFunction(portHandle.get(), on ? SETDTR : CLRDTR))
        throw UnknownError(L"SetDTR");
}

bool Device_Comm::PurgeTransmit()
{
    return ops.PurgeComm(portHandle.get(), PURGE_TXABORT);
}

}  // namespace kAPI
