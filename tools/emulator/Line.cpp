// Line.cpp: scheduling and writing of answer bytes.
#include "Line.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace emulator {

Clock::duration Line::byteTime(std::size_t bytes)
{
    // 11 bits at 2400 baud, computed whole for each count so that rounding never adds up.
    const auto ns = static_cast<std::int64_t>(bytes) * 11 * 1'000'000'000 / 2400;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns));
}

void Line::send(const Delivery& delivery, Clock::time_point requestStart, std::size_t requestBytes,
                Clock::time_point now)
{
    Clock::time_point start = paced_ ? requestStart + byteTime(requestBytes) : now;
    start = std::max(start, free_);
    for (std::size_t i = 0; i < delivery.pieces.size(); ++i) {
        if (i > 0)
            start = free_ + kSplitPause;
        queue(delivery.pieces[i], start);
    }
    if (delivery.hangUp)
        chunks_.push_back({free_ + kHangUpDelay, {}, true});
}

void Line::queue(const Bytes& bytes, Clock::time_point start)
{
    if (!paced_) {
        chunks_.push_back({start, bytes});
        free_ = start;
        return;
    }
    // A byte is due when its stop bit ends.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        chunks_.push_back({start + byteTime(i + 1), {bytes[i]}});
    }
    free_ = start + byteTime(bytes.size());
}

std::optional<Clock::time_point> Line::nextDue() const
{
    if (chunks_.empty())
        return std::nullopt;
    return chunks_.front().due;
}

bool Line::flush(Clock::time_point now)
{
    Bytes out;
    bool hangUp = false;
    while (!chunks_.empty() && chunks_.front().due <= now && !hangUp) {
        out.insert(out.end(), chunks_.front().bytes.begin(), chunks_.front().bytes.end());
        hangUp = chunks_.front().hangUp;
        chunks_.pop_front();
    }
    if (!out.empty()) {
        ssize_t n;
        do {
            n = ::write(fd_, out.data(), out.size());
        } while (n < 0 && errno == EINTR);
    }
    return !hangUp;
}

}  // namespace emulator
