// Line.h: the dive computer's transmit side: answers queued with their send times.
//
// Paced, every byte takes 11 bit times at 2400 baud (start, 8 data, parity, stop bits) and
// the send times are reckoned from fixed points, so a long transfer does not drift. An
// answer never starts before its request could have arrived at that speed either.
#pragma once

#include "FaultPlan.h"

#include <deque>
#include <optional>

namespace emulator {

class Line {
public:
    Line(int fd, bool paced) : fd_(fd), paced_(paced) {}

    // Line time of `bytes` bytes at 2400 baud.
    static Clock::duration byteTime(std::size_t bytes);

    // Queues an answer to a request of `requestBytes` bytes whose first byte came in at
    // `requestStart`; `now` is the moment the request was complete.
    void send(const Delivery& delivery, Clock::time_point requestStart, std::size_t requestBytes,
              Clock::time_point now);

    // The send time of the next queued byte.
    std::optional<Clock::time_point> nextDue() const;

    // Writes every byte that is due. Returns false when a hang-up is due: the line is to
    // be closed. Bytes the host side has no room for are lost, as on a real line.
    bool flush(Clock::time_point now);

private:
    struct Chunk {
        Clock::time_point due;
        Bytes bytes;
        bool hangUp = false;
    };

    void queue(const Bytes& bytes, Clock::time_point start);

    int fd_;
    bool paced_;
    std::deque<Chunk> chunks_;
    Clock::time_point free_;  // when the last queued byte has left
};

}  // namespace emulator
