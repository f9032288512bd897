// RequestParser.cpp: framing of host requests by command byte and length.
#include "RequestParser.h"

namespace emulator {

namespace {

bool startsRequest(std::uint8_t byte)
{
    return byte == kCmdRead || byte == kCmdWrite || byte == kCmdWriteEnable;
}

// Frame size once enough of the header is known, 0 before that.
std::size_t frameSize(const Bytes& pending)
{
    switch (pending[0]) {
        case kCmdRead:
            return 5;
        case kCmdWriteEnable:
            return 3;
        default:
            return pending.size() >= 4 ? 4 + std::size_t{pending[3]} + 1 : 0;
    }
}

// False once a byte that fixes the frame's shape has an impossible value.
bool plausible(const Bytes& pending)
{
    if (pending[0] == kCmdWriteEnable && pending.size() >= 2)
        return pending[1] == kWriteEnableKey;
    if (pending[0] == kCmdWrite && pending.size() >= 4)
        return pending[3] >= 1 && pending[3] <= kMaxBlock;
    return true;
}

}  // namespace

Bytes Request::data() const
{
    if (kind != Kind::Write)
        return {};
    return Bytes(frame.begin() + 4, frame.end() - 1);
}

std::optional<Request> RequestParser::push(std::uint8_t byte, Clock::time_point now)
{
    expire(now);
    if (pending_.empty()) {
        if (!startsRequest(byte))
            return std::nullopt;
        started_ = now;
    }
    pending_.push_back(byte);
    lastByte_ = now;
    if (!plausible(pending_))
        return dropLeadingByte(now);
    const std::size_t size = frameSize(pending_);
    if (size == 0 || pending_.size() < size)
        return std::nullopt;
    return complete();
}

std::optional<Clock::time_point> RequestParser::deadline() const
{
    if (pending_.empty())
        return std::nullopt;
    return lastByte_ + kIdleLimit;
}

void RequestParser::expire(Clock::time_point now)
{
    if (!pending_.empty() && now >= lastByte_ + kIdleLimit)
        pending_.clear();
}

// The command byte did not start a request after all: look for one in the bytes after it.
// At most three bytes are looked at again, so at most one request (a write enable) can
// come out of them.
std::optional<Request> RequestParser::dropLeadingByte(Clock::time_point now)
{
    const Bytes rest(pending_.begin() + 1, pending_.end());
    pending_.clear();
    std::optional<Request> found;
    for (std::uint8_t b : rest) {
        if (auto request = push(b, now))
            found = std::move(request);
    }
    return found;
}

std::optional<Request> RequestParser::complete()
{
    Bytes frame;
    frame.swap(pending_);
    if (checksumOf(frame.begin(), frame.end() - 1) != frame.back())
        return std::nullopt;

    Request request;
    request.started = started_;
    switch (frame[0]) {
        case kCmdRead:
            request.kind = Request::Kind::Read;
            break;
        case kCmdWrite:
            request.kind = Request::Kind::Write;
            break;
        default:
            request.kind = Request::Kind::WriteEnable;
            break;
    }
    if (request.kind != Request::Kind::WriteEnable) {
        request.address = static_cast<std::uint16_t>(frame[1] << 8 | frame[2]);
        request.length = frame[3];
    }
    request.frame = std::move(frame);
    return request;
}

}  // namespace emulator
