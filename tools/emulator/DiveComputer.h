// DiveComputer.h: answers memory requests on a memory image as a Type1 dive computer does.
#pragma once

#include "MemoryImage.h"
#include "RequestParser.h"

#include <functional>

namespace emulator {

// Faults of the dive computer itself, in serving the request behind one answer.
struct Misbehaviour {
    bool otherAddress = false;  // a read is answered for an address 256 bytes away
    bool forgetWrite = false;   // a write is acknowledged but its bytes are not kept
};

class DiveComputer {
public:
    // Called after every write with the image as it now is; false when the image could
    // not be kept, which undoes the write.
    using Persist = std::function<bool(const MemoryImage&)>;

    DiveComputer(MemoryImage image, Persist persist);

    // The answer to `request`, or nothing when the dive computer stays silent: a write
    // that no write enable allowed, an address range outside the memory, a write that
    // could not be kept. `fault` applies where it fits the request's kind.
    std::optional<Bytes> answer(const Request& request, Misbehaviour fault = {});

    const MemoryImage& image() const { return image_; }

private:
    std::optional<Bytes> read(const Request& request, bool otherAddress);
    std::optional<Bytes> write(const Request& request, bool forget);

    MemoryImage image_;
    Persist persist_;
    bool writeEnabled_ = false;
};

}  // namespace emulator
