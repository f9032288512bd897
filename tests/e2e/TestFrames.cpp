// TestFrames.cpp: frame builders for the end-to-end tests.
#include "TestFrames.h"

#include <cstdio>

namespace e2e {

Bytes sealed(Bytes frame)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : frame)
        x ^= b;
    frame.push_back(x);
    return frame;
}

static Bytes header(std::uint8_t command, std::uint16_t address, std::size_t length)
{
    return {command, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
            static_cast<std::uint8_t>(length)};
}

Bytes readRequest(std::uint16_t address, std::uint8_t length)
{
    return sealed(header(0x05, address, length));
}
Bytes writeRequest(std::uint16_t address, const Bytes& data)
{
    return sealed(header(0x06, address, data.size()) + data);
}
Bytes enableRequest()
{
    return sealed({0x07, 0xA5});
}

Bytes readAnswer(std::uint16_t address, const Bytes& data)
{
    return sealed(header(0x05, address, data.size()) + data);
}
Bytes writeAnswer(std::uint16_t address, std::uint8_t length)
{
    return sealed(header(0x06, address, length));
}
Bytes enableAnswer()
{
    return {0x07, 0xA5, 0xA2};
}

std::uint8_t fill(std::uint16_t address)
{
    return static_cast<std::uint8_t>((address & 0xFF) ^ (address >> 8));
}

Bytes fillFrom(std::uint16_t address, std::size_t length)
{
    Bytes b;
    for (std::size_t i = 0; i < length; ++i)
        b.push_back(fill(static_cast<std::uint16_t>(address + i)));
    return b;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string hex(const Bytes& bytes)
{
    std::string s;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        s += buf;
    }
    return s.empty() ? "(nothing)" : s.substr(0, s.size() - 1);
}

}  // namespace e2e
