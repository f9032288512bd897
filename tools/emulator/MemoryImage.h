// MemoryImage.h: the dive computer's 8192 bytes of memory, and their file on disk.
#pragma once

#include "Frames.h"

#include <array>
#include <optional>
#include <string>

namespace emulator {

class MemoryImage {
public:
    MemoryImage();  // all zero

    // Plausible settings of a Kelvor "Quessa" (see BuiltInImage.cpp).
    static MemoryImage builtIn();

    // Reads an image file of exactly 8192 bytes. Returns nothing when the file does not
    // exist; throws std::runtime_error for any other problem.
    static std::optional<MemoryImage> load(const std::string& path);

    // Replaces `path` atomically: readers see the old image or the new one, never a mix.
    // Throws std::runtime_error.
    void save(const std::string& path) const;

    bool contains(std::size_t address, std::size_t length) const
    {
        return address <= kMemorySize && length <= kMemorySize - address;
    }
    // Both require contains(address, length).
    Bytes read(std::size_t address, std::size_t length) const;
    void write(std::size_t address, const Bytes& data);

private:
    std::array<std::uint8_t, kMemorySize> bytes_{};
};

}  // namespace emulator
