#include "FakeDiveComputer.h"

#include <algorithm>

namespace fake {

namespace {
constexpr std::uint8_t Read = 0x05;
constexpr std::uint8_t Write = 0x06;
constexpr std::uint8_t WriteEnable = 0x07;
constexpr std::uint8_t WriteEnableKey = 0xA5;
constexpr std::size_t Header = 4;
constexpr unsigned MaxBlock = 32;

bool ChecksumHolds(const Bytes& frame)
{
    std::uint8_t x = 0;
    for (auto b : frame)
        x ^= b;
    return x == 0;
}
}  // namespace

FakeDiveComputer::FakeDiveComputer(FakeSerial& port)
{
    port.SetResponder([this](const Bytes& frame) { return Respond(frame); });
}

std::vector<Piece> FakeDiveComputer::Respond(const Bytes& frame)
{
    ++requests_;
    if (onRequest)
        onRequest(frame);
    if (Hits(silent_))
        return {};
    Bytes payload = Serve(frame);
    if (payload.empty())
        return {};
    if (Hits(badEcho_) && payload.size() >= Header)
        payload[3] ^= 0xFF;
    for (const auto& [nth, byte] : badHeader_) {
        if ((nth == 0 || nth == requests_) && byte < payload.size())
            payload[byte] ^= 0x10;
    }
    Bytes answer = WithChecksum(payload);
    if (Hits(badChecksum_))
        answer.back() ^= 0xFF;
    return {Piece{0, answer}};
}

Bytes FakeDiveComputer::Serve(const Bytes& frame)
{
    if (frame.size() < 3 || !ChecksumHolds(frame))
        return {};
    if (frame[0] == WriteEnable) {
        if (frame.size() != 3 || frame[1] != WriteEnableKey)
            return {};
        writeEnabled_ = true;
        return {WriteEnable, WriteEnableKey};
    }
    if (frame.size() < Header + 1)
        return {};
    const std::size_t address = std::size_t{frame[1]} << 8 | frame[2];
    const unsigned n = frame[3];
    if (n < 1 || n > MaxBlock || address + n > MemorySize)
        return {};
    const Bytes header(frame.begin(), frame.begin() + Header);

    if (frame[0] == Read && frame.size() == Header + 1) {
        writeEnabled_ = false;
        Bytes payload = header;
        payload.insert(payload.end(), memory.begin() + address, memory.begin() + address + n);
        return payload;
    }
    if (frame[0] == Write && frame.size() == Header + n + 1 && writeEnabled_) {
        if (!Hits(notKept_))
            std::copy(frame.begin() + Header, frame.begin() + Header + n, memory.begin() + address);
        return header;
    }
    return {};
}

}  // namespace fake
