// RequestParser.h: cuts the undelimited byte stream from the host into requests.
//
// A request is recognised by its command byte (05 read: 5 bytes, 06 write: 4 + n + 1,
// 07 write enable: 3). Bytes that start no request are skipped; a frame whose checksum
// is wrong is dropped whole; a partial frame that idles longer than kIdleLimit is dropped,
// so the parser finds the next request after line noise.
#pragma once

#include "Frames.h"

#include <optional>

namespace emulator {

struct Request {
    enum class Kind { Read, Write, WriteEnable };
    Kind kind = Kind::Read;
    std::uint16_t address = 0;  // read and write
    std::uint8_t length = 0;    // read and write: data bytes, 1 to 32
    Bytes frame;                // the whole request as received, checksum included
    Clock::time_point started;  // arrival of its first byte

    Bytes data() const;  // a write's data bytes
};

class RequestParser {
public:
    static constexpr std::chrono::milliseconds kIdleLimit{300};

    // Takes one byte received at `now`; returns the request it completes, if any.
    std::optional<Request> push(std::uint8_t byte, Clock::time_point now);

    // When a partial request waits for more bytes: the time at which it is given up.
    std::optional<Clock::time_point> deadline() const;

    // Gives up a partial request whose deadline has passed.
    void expire(Clock::time_point now);

private:
    std::optional<Request> dropLeadingByte(Clock::time_point now);
    std::optional<Request> complete();

    Bytes pending_;
    Clock::time_point started_;
    Clock::time_point lastByte_;
};

}  // namespace emulator
