// Frames.h: the byte-level vocabulary of the Type1 link as the dive computer sees it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace emulator {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kCmdRead = 0x05;
constexpr std::uint8_t kCmdWrite = 0x06;
constexpr std::uint8_t kCmdWriteEnable = 0x07;
constexpr std::uint8_t kWriteEnableKey = 0xA5;

constexpr std::size_t kMaxBlock = 32;      // data bytes in one read or write request
constexpr std::size_t kMemorySize = 8192;  // addresses 0x0000 to 0x1FFF

// Every frame ends with the exclusive OR of the bytes before it.
inline std::uint8_t checksumOf(Bytes::const_iterator first, Bytes::const_iterator last)
{
    std::uint8_t x = 0;
    for (; first != last; ++first)
        x ^= *first;
    return x;
}

// Appends the checksum of everything in `frame` so far.
inline void seal(Bytes& frame)
{
    frame.push_back(checksumOf(frame.begin(), frame.end()));
}

}  // namespace emulator
