// DiveComputer.h: answers memory requests on a memory image as a Type1 dive computer does.
#pragma once

#include "MemoryImage.h"
#include "RequestParser.h"

#include <functional>

namespace emulator {

class DiveComputer {
public:
    // Called after every write with the image as it now is; false when the image could
    // not be kept, which undoes the write.
    using Persist = std::function<bool(const MemoryImage&)>;

    DiveComputer(MemoryImage image, Persist persist);

    // The answer to `request`, or nothing when the dive computer stays silent: a write
    // that no write enable allowed, an address range outside the memory, a write that
    // could not be kept.
    std::optional<Bytes> answer(const Request& request);

    const MemoryImage& image() const { return image_; }

private:
    std::optional<Bytes> read(const Request& request);
    std::optional<Bytes> write(const Request& request);

    MemoryImage image_;
    Persist persist_;
    bool writeEnabled_ = false;
};

}  // namespace emulator
