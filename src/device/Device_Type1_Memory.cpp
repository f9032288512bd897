// The memory protocol of the Type1 dive computer: read, write and write-enable requests,
// and the splitting of longer ranges into 32-byte blocks.

#include <cstring>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"

namespace kAPI {

namespace {
constexpr int HeaderLength = 4;       // command, address high, address low, length
constexpr int WriteAnswerLength = 5;  // the echoed header and its checksum
constexpr int WriteEnableAnswerLength = 3;

// Runs `block` over [address, address + length) in pieces of at most MaxBlock bytes.
// A range of one block is one request; a longer one tests for a cancel request after
// each full block, not after the shorter rest.
template <typename Byte, typename Block>
void InBlocks(const Device& device, std::uint32_t address, int length, Byte* buffer, Block block)
{
    constexpr int MaxBlock = Device_Type1_Control::MaxBlock;
    if (length <= MaxBlock) {
        block(address, length, buffer);
        return;
    }
    for (int i = 0; i < length / MaxBlock; ++i) {
        block(address, MaxBlock, buffer);
        address += MaxBlock;
        buffer += MaxBlock;
        if (device.CancelRequested())
            throw MakeUserCancel();
    }
    if (length % MaxBlock != 0)
        block(address, length % MaxBlock, buffer);
}
}  // namespace

void Device_Type1_Control::PutHeader(std::uint8_t command, std::uint32_t address, int n)
{
    sendBuffer[0] = command;
    sendBuffer[1] = static_cast<std::uint8_t>(address >> 8);
    sendBuffer[2] = static_cast<std::uint8_t>(address);
    sendBuffer[3] = static_cast<std::uint8_t>(n);
}

void Device_Type1_Control::CheckEcho(int count) const
{
    // The dive computer answers with the request's header: an answer that names another
    // command or address is not the answer to this request, even when its checksum holds.
    if (std::memcmp(receiveBuffer.get(), sendBuffer.get(), count) != 0)
        throw CommError(ErrorFromCode(ErrBadCommandEcho));
}

void Device_Type1_Control::ReadBlock(std::uint32_t address, int n, std::uint8_t* destination,
                                     bool withProgress)
{
    ops.Sleep(BlockPause);
    PurgeTransmit();
    PutHeader(CmdRead, address, n);
    Exchange(HeaderLength, HeaderLength + n + 1);
    CheckEcho(HeaderLength);
    std::memcpy(destination, receiveBuffer.get() + HeaderLength, n);
    if (withProgress) {
        progress.current += n;
        progress.Update();
    }
}

void Device_Type1_Control::WriteBlock(std::uint32_t address, int n, const std::uint8_t* source,
                                      bool withProgress)
{
    ops.Sleep(BlockPause);
    PutHeader(CmdWrite, address, n);
    std::memcpy(sendBuffer.get() + HeaderLength, source, n);
    Exchange(HeaderLength + n, WriteAnswerLength);
    // The echoed length byte says how many bytes the dive computer took.
    if (receiveBuffer[3] != n)
        throw CommError(L"Write: Data returned did not match sent", ErrDataMismatch);
    CheckEcho(HeaderLength - 1);
    PurgeTransmit();
    if (withProgress) {
        progress.current += n;
        progress.Update();
    }
}

void Device_Type1_Control::CheckRange(std::uint32_t address, int length) const
{
    // Computed wide, so that an address near the top of the unsigned range cannot wrap
    // round into the valid range.
    const std::uint64_t end = std::uint64_t{address} + static_cast<std::uint64_t>(length);
    if (end > std::uint64_t{MaxAddress} + 1)
        throw MemoryRangeError(ErrorFromCode(ErrAddressOutOfRange));
}

int Device_Type1_Control::Read(std::uint32_t address, int length, std::uint8_t* buffer,
                               bool withProgress)
{
    if (length < 1 || buffer == nullptr)
        throw BadInstruction(ErrorFromCode(ErrBadReadParameter));
    CheckRange(address, length);
    InBlocks(*this, address, length, buffer,
             [&](std::uint32_t a, int n, std::uint8_t* to) { ReadBlock(a, n, to, withProgress); });
    return length;
}

int Device_Type1_Control::Write(std::uint32_t address, int length, const std::uint8_t* buffer,
                                bool withProgress)
{
    PurgeTransmit();
    if (length < 1 || buffer == nullptr)
        throw BadInstruction(ErrorFromCode(ErrBadWriteParameter));
    CheckRange(address, length);

    ops.Sleep(WriteEnablePause);
    sendBuffer[0] = CmdWriteEnable;
    sendBuffer[1] = WriteEnableKey;
    Exchange(2, WriteEnableAnswerLength);  // once for all the blocks that follow

    InBlocks(*this, address, length, buffer, [&](std::uint32_t a, int n, const std::uint8_t* from) {
        WriteBlock(a, n, from, withProgress);
    });
    return length;
}

std::uint8_t Device_Type1_Control::ReadByte(std::uint32_t address, bool withProgress)
{
    if (address > MaxAddress)
        throw MemoryRangeError(ErrorFromCode(ErrAddressOutOfRange));
    std::uint8_t byte = 0;
    ReadBlock(address, 1, &byte, withProgress);
    return byte;
}

void Device_Type1_Control::ReadIdentity(std::uint8_t* buffer, int length)
{
    if (length >= 2 && buffer != nullptr)
        ReadBlock(0x24, 2, buffer, false);
}

int Device_Type1_Control::RawExchange(int sendLength, const std::uint8_t* request, int answerLength,
                                      std::uint8_t* answer)
{
    // The request must fit the send buffer together with its checksum.
    if (sendLength > 0 && static_cast<std::size_t>(sendLength) + 1 > sendBufferSize)
        throw CriticalError(ErrorFromCode(ErrBufferOverrun));
    if (sendLength > 0 && request == nullptr)
        throw BadInstruction(ErrorFromCode(ErrBadWriteParameter));
    if (sendLength > 0)
        std::memcpy(sendBuffer.get(), request, sendLength);
    Exchange(sendLength, answerLength);
    if (answer != nullptr && answerLength > 0)
        std::memcpy(answer, receiveBuffer.get(), answerLength);
    return answerLength;
}

}  // namespace kAPI
