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

}  // namespace

DiveComputer::DiveComputer(MemoryImage image, Persist persist)
    : image_(std::move(image)), persist_(std::move(persist))
{
}

std::optional<Bytes> DiveComputer::answer(const Request& request)
{
    switch (request.kind) {
        case Request::Kind::Read:
            return read(request);
        case Request::Kind::Write:
            return write(request);
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

std::optional<Bytes> DiveComputer::read(const Request& request)
{
    writeEnabled_ = false;
    if (!servable(image_, request))
        return std::nullopt;
    Bytes answer(request.frame.begin(), request.frame.begin() + 4);
    const Bytes data = image_.read(request.address, request.length);
    answer.insert(answer.end(), data.begin(), data.end());
    seal(answer);
    return answer;
}

std::optional<Bytes> DiveComputer::write(const Request& request)
{
    if (!writeEnabled_ || !servable(image_, request))
        return std::nullopt;
    const Bytes before = image_.read(request.address, request.length);
    image_.write(request.address, request.data());
    if (!persist_(image_)) {
        image_.write(request.address, before);
        return std::nullopt;
    }
    Bytes answer(request.frame.begin(), request.frame.begin() + 4);
    seal(answer);
    return answer;
}

}  // namespace emulator
