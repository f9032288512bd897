// BuiltInImage.cpp: the memory a fresh emulator starts with when it is given no file.
//
// Settings of a plausible, well-used Kelvor "Quessa". Bytes the settings do not interpret,
// and the memory beyond them, hold a pattern of their address (low byte XOR high byte), so
// that a block read from or written to the wrong place shows. 16-bit values are stored most
// significant byte first, as the dive computer keeps them.
#include "MemoryImage.h"

#include <algorithm>
#include <cstring>

namespace emulator {

namespace {

struct Setting {
    std::uint16_t address;
    Bytes bytes;
};

Bytes word(std::uint16_t value)
{
    return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)};
}

Bytes text(const char* s, std::size_t width)
{
    Bytes b(width, 0);
    std::memcpy(b.data(), s, std::min(width, std::strlen(s)));
    return b;
}

}  // namespace

MemoryImage MemoryImage::builtIn()
{
    MemoryImage image;
    for (std::size_t a = 0; a < kMemorySize; ++a) {
        image.bytes_[a] = static_cast<std::uint8_t>((a & 0xFF) ^ (a >> 8));
    }
    const Setting settings[] = {
        {0x1E, word(4928)},                           // greatest depth 38.5 m, x 128
        {0x20, word(7523)},                           // dive time 125 h 23 min
        {0x22, word(312)},                            // 312 dives
        {0x24, {0x0B}},                               // model code: Quessa
        {0x25, {0x21}},                               // firmware version 33
        {0x26, {3, 14, 15, 92}},                      // serial number 3141592
        {0x2C, text("If found: call 555-0199", 28)},  // personal text, NUL padded
        {0x53, {20}},                                 // sample rate 20 s
        {0x54, {0x09}},                               // altitude A1, personal P2
        {0x5C, word(1568)},                           // free-dive greatest depth 12.25 m
        {0x5E, word(263)},                            // free-dive time 4 h 23 min
        {0x61, {1}},                                  // 12-hour clock
        {0x62, {1}},                                  // metric
        {0x63, {1}},                                  // nitrox
        {0x64, {0x80 | 31}},                          // light on, 31 s
        {0x65, {0x03}},                               // time and depth alarms on
        {0x66, word(50)},                             // time alarm 50 min
        {0x68, word(5120)},                           // depth alarm 40 m
    };
    for (const Setting& s : settings)
        image.write(s.address, s.bytes);
    return image;
}

}  // namespace emulator
