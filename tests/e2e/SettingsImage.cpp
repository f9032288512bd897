// SettingsImage.cpp: the memory map of the settings, byte by byte.
#include "SettingsImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace e2e {

namespace {

// The two stretches of memory the settings occupy, and where each starts in the record.
// 0x48-0x49 lie between them and are never transferred.
struct Stretch {
    std::uint16_t address;
    std::uint16_t length;
    std::size_t offset;
};
constexpr Stretch kStretches[] = {{0x00, 0x48, 16}, {0x4A, 0x27, 101}};

// Addresses of the most significant bytes of the seven 16-bit values.
constexpr std::uint16_t kWords[] = {0x1E, 0x20, 0x22, 0x5C, 0x5E, 0x66, 0x68};

std::size_t offsetOf(std::uint16_t address)
{
    for (const Stretch& s : kStretches) {
        if (address >= s.address && address < s.address + s.length)
            return s.offset + (address - s.address);
    }
    throw std::out_of_range("address outside the settings");
}

std::uint8_t* bytesOf(DEVICE_DATA& record)
{
    return reinterpret_cast<std::uint8_t*>(&record);
}
const std::uint8_t* bytesOf(const DEVICE_DATA& record)
{
    return reinterpret_cast<const std::uint8_t*>(&record);
}

}  // namespace

DEVICE_DATA afterLoad(DEVICE_DATA record, const Bytes& image)
{
    for (const Stretch& s : kStretches) {
        for (std::uint16_t i = 0; i < s.length; ++i)
            bytesOf(record)[s.offset + i] = image.at(s.address + i);
    }
    for (std::uint16_t a : kWords) {
        const std::uint16_t value = static_cast<std::uint16_t>(image.at(a) << 8 | image.at(a + 1));
        std::memcpy(bytesOf(record) + offsetOf(a), &value, 2);
    }
    return record;
}

Bytes afterStore(Bytes image, const DEVICE_DATA& record)
{
    for (const Stretch& s : kStretches) {
        for (std::uint16_t i = 0; i < s.length; ++i)
            image.at(s.address + i) = bytesOf(record)[s.offset + i];
    }
    for (std::uint16_t a : kWords) {
        std::uint16_t value;
        std::memcpy(&value, bytesOf(record) + offsetOf(a), 2);
        image.at(a) = static_cast<std::uint8_t>(value >> 8);
        image.at(a + 1) = static_cast<std::uint8_t>(value);
    }
    return image;
}

std::string differences(const Bytes& actual, const Bytes& expected)
{
    std::string text;
    if (actual.size() != expected.size()) {
        text =
            std::to_string(actual.size()) + " bytes, not " + std::to_string(expected.size()) + "; ";
    }
    char line[48];
    for (std::size_t a = 0; a < std::min(actual.size(), expected.size()); ++a) {
        if (actual[a] == expected[a])
            continue;
        std::snprintf(line, sizeof line, "0x%04zX: %02X, not %02X; ", a, actual[a], expected[a]);
        text += line;
    }
    return text;
}

}  // namespace e2e
