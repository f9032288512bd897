#pragma once
// Request/answer link over the serial channel. A request is the caller's bytes plus one
// XOR checksum byte, sent with RTS raised; an answer has a length the caller knows and
// ends in the XOR of the bytes before it.

#include <cstdint>

#include "device/Device_Comm.h"

namespace kAPI {

class CommModel1 : public Device_Comm {
public:
    static constexpr std::size_t BufferSize = 40;
    static constexpr std::uint32_t BaudRate = 2400;
    static constexpr std::uint32_t ReadTotalTimeout = 1800;
    static constexpr std::uint32_t RtsSettleTime = 16;
    static constexpr std::uint32_t AfterSendTime = 100;

    explicit CommModel1(const wchar_t* portPath, SerialOps& ops = PlatformSerialOps());

    // 1: RTS high and a settling pause; 0: RTS low. Clears line errors first.
    void SetTransmit(int mode) override;
    void Talk(int length) override;
    void Listen(int length) override;
    ~CommModel1() override = default;
    void Exchange(int sendLength, int answerLength) override;

    void SetRTS(bool on);

    // XOR of `length` bytes; throws for a length below 1.
    static std::uint8_t Checksum(const std::uint8_t* bytes, int length);
    // 0 when bytes[position] is the checksum of the bytes before it; nonzero otherwise,
    // -1 when there is nothing before it.
    static int VerifyChecksum(const std::uint8_t* bytes, int position);

protected:
    bool transmitting = false;
};

}  // namespace kAPI
