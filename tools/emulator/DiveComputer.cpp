// DiveComputer.cpp: read, write and write-enable answers with their echoed headers.
#include "DiveComputer.h"

#include <utility>

namespace emulator {

namespace {

bool servable(const MemoryImage& image, const Request& request)
{
    return request.length >= 1 && request.length <= kMaxBlock &&
           image.contains(request.address, request.length);
}

// 256 bytes below `address`, or above it near the bottom: a range that fits the memory
// still fits it there.
std::size_t elsewhere(std::size_t address)
{
    constexpr std::size_t kDistance = 0x100;
    return address >= kDistance ? address - kDistance : address + kDistance;
}

}  // namespace

DiveComputer::DiveComputer(MemoryImage image, Persist persist)
    : image_(std::move(image)), persist_(std::move(persist))
{
}

std::optional<Bytes> DiveComputer::answer(const Request& request, Misbehaviour fault)
{
    switch (request.kind) {
        case Request::Kind::Read:
            return read(request, fault.otherAddress);
        case Request::Kind::Write:
            return write(request, fault.forgetWrite);
        case Request::Kind::WriteEnable:
            break;
    }
    // One write enable opens a whole write sequence: the host sends it once and then its
    // range in blocks of up to 32 bytes, so every write that follows must be taken until
    // the host turns to reading or starts the next sequence with a new enable.
    writeEnabled_ = true;
    Bytes answer(request.frame.begin(), request.frame.begin() + 2);
    seal(answer);
    return answer;
}

std::optional<Bytes> DiveComputer::read(const Request& request, bool otherAddress)
{
    writeEnabled_ = false;
    if (!servable(image_, request))
        return std::nullopt;
    Bytes answer(request.frame.begin(), request.frame.begin() + 4);
    std::size_t address = request.address;
    if (otherAddress) {
        address = elsewhere(address);
        answer[1] = static_cast<std::uint8_t>(address >> 8);
        answer[2] = static_cast<std::uint8_t>(address);
    }
    const Bytes data = image_.read(address, request.length);
    answer.insert(answer.end(), data.begin(), data.end());
    seal(answer);
    return answer;
}

std::optional<Bytes> DiveComputer::write(const Request& request, bool forget)
{
    if (!writeEnabled_ || !servable(image_, request))
        return std::nullopt;
    Bytes answer(request.frame.begin(), request.frame.begin() + 4);
    seal(answer);
    if (forget)
        return answer;
    const Bytes before = image_.read(request.address, request.length);
    image_.write(request.address, request.data());
    if (!persist_(image_)) {
        image_.write(request.address, before);
        return std::nullopt;
    }
    return answer;
}

}  // namespace emulator
