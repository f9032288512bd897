#pragma once
// Line settings, time-outs and queue status of a serial port, with the field names of
// the Win32 serial interface, so that the channel reads like its algorithm on every
// platform. Each platform layer translates them to its own calls.

#include <cstdint>

namespace kAPI {

struct DCB {
    std::uint32_t DCBlength;
    std::uint32_t BaudRate;
    std::uint32_t fBinary : 1;
    std::uint32_t fParity : 1;  // check parity on input
    std::uint32_t fOutxCtsFlow : 1;
    std::uint32_t fOutxDsrFlow : 1;
    std::uint32_t fDtrControl : 2;
    std::uint32_t fDsrSensitivity : 1;
    std::uint32_t fTXContinueOnXoff : 1;
    std::uint32_t fOutX : 1;
    std::uint32_t fInX : 1;
    std::uint32_t fErrorChar : 1;
    std::uint32_t fNull : 1;
    std::uint32_t fRtsControl : 2;
    std::uint32_t fAbortOnError : 1;
    std::uint32_t fDummy2 : 17;
    std::uint16_t wReserved;
    std::uint16_t XonLim;
    std::uint16_t XoffLim;
    std::uint8_t ByteSize;
    std::uint8_t Parity;
    std::uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    std::uint16_t wReserved1;
};
static_assert(sizeof(DCB) == 28, "DCB keeps the size the channel records in DCBlength");

struct COMMTIMEOUTS {
    std::uint32_t ReadIntervalTimeout;
    std::uint32_t ReadTotalTimeoutMultiplier;
    std::uint32_t ReadTotalTimeoutConstant;
    std::uint32_t WriteTotalTimeoutMultiplier;
    std::uint32_t WriteTotalTimeoutConstant;
};

struct COMSTAT {
    std::uint32_t fCtsHold : 1;
    std::uint32_t fDsrHold : 1;
    std::uint32_t fRlsdHold : 1;
    std::uint32_t fXoffHold : 1;
    std::uint32_t fXoffSent : 1;
    std::uint32_t fEof : 1;
    std::uint32_t fTxim : 1;
    std::uint32_t fReserved : 25;
    std::uint32_t cbInQue;
    std::uint32_t cbOutQue;
};

// Parity
constexpr std::uint8_t NOPARITY = 0;
constexpr std::uint8_t ODDPARITY = 1;
constexpr std::uint8_t EVENPARITY = 2;
constexpr std::uint8_t MARKPARITY = 3;
constexpr std::uint8_t SPACEPARITY = 4;
// Stop bits
constexpr std::uint8_t ONESTOPBIT = 0;
constexpr std::uint8_t ONE5STOPBITS = 1;
constexpr std::uint8_t TWOSTOPBITS = 2;
// fDtrControl, fRtsControl
constexpr std::uint32_t DTR_CONTROL_DISABLE = 0;
constexpr std::uint32_t DTR_CONTROL_ENABLE = 1;
constexpr std::uint32_t DTR_CONTROL_HANDSHAKE = 2;
constexpr std::uint32_t RTS_CONTROL_DISABLE = 0;
constexpr std::uint32_t RTS_CONTROL_ENABLE = 1;
constexpr std::uint32_t RTS_CONTROL_HANDSHAKE = 2;
constexpr std::uint32_t RTS_CONTROL_TOGGLE = 3;
// Events
constexpr std::uint32_t EV_TXEMPTY = 0x0004;
// EscapeCommFunction
constexpr std::uint32_t SETRTS = 3;
constexpr std::uint32_t CLRRTS = 4;
constexpr std::uint32_t SETDTR = 5;
constexpr std::uint32_t CLRDTR = 6;
// PurgeComm
constexpr std::uint32_t PURGE_TXABORT = 0x0001;
constexpr std::uint32_t PURGE_RXABORT = 0x0002;
constexpr std::uint32_t PURGE_TXCLEAR = 0x0004;
constexpr std::uint32_t PURGE_RXCLEAR = 0x0008;

}  // namespace kAPI
