// EventLoop.cpp: one ppoll loop over the stop signals, the terminal and standard input,
// woken in time for the next byte due on the line and for giving up a partial request.
#include "EventLoop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <system_error>
#include <utility>

namespace emulator {

namespace {

timespec until(Clock::time_point deadline, Clock::time_point now)
{
    const auto wait = std::max(Clock::duration::zero(), deadline - now);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

std::optional<Clock::time_point> earliest(std::optional<Clock::time_point> a,
                                          std::optional<Clock::time_point> b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

}  // namespace

void EventLoop::run(const Signals& signals)
{
    bool watchInput = true;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (!line_.flush(now)) {
            std::cerr << "tidewell-emulator: hung up the line as asked\n";
            pty_.hangUp();
            return;
        }
        parser_.expire(now);

        pollfd fds[3] = {
            {signals.fd(), POLLIN, 0}, {pty_.master(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const auto deadline = earliest(line_.nextDue(), parser_.deadline());
        const timespec timeout = deadline ? until(*deadline, now) : timespec{};
        const int ready = ::ppoll(fds, watchInput ? 3 : 2, deadline ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "ppoll");
        // A signal's handler has run before ppoll returned, even when ppoll saw only the
        // terminal: so a swap asked for before a request always comes before serving it.
        const Signals::Arrived arrived = signals.take();
        if (arrived.stop)
            return;
        swap(arrived.swaps);
        if (ready <= 0)
            continue;

        if (fds[1].revents != 0)
            receive(Clock::now());
        if (watchInput && fds[2].revents != 0) {
            char buf[256];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n == 0)
                return;
            // Unreadable input (a background job on a terminal, say) is not its end.
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                watchInput = false;
        }
    }
}

void EventLoop::swap(unsigned times)
{
    if (times == 0)
        return;
    if (!waiting_) {
        std::cerr << "tidewell-emulator: no --second-image to swap to; SIGUSR1 ignored\n";
        return;
    }
    if (times % 2 == 0)
        return;
    std::swap(device_, waiting_);
    secondOnLine_ = !secondOnLine_;
    std::cerr << "tidewell-emulator: now serving the " << (secondOnLine_ ? "second" : "first")
              << " image\n";
}

void EventLoop::receive(Clock::time_point now)
{
    std::uint8_t buf[512];
    for (;;) {
        const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0)
            throw std::system_error(n < 0 ? errno : EIO, std::generic_category(), "read");
        for (ssize_t i = 0; i < n; ++i) {
            if (auto request = parser_.push(buf[i], now))
                serve(*request, now);
        }
    }
}

void EventLoop::serve(const Request& request, Clock::time_point now)
{
    // A request that is not answered takes no number.
    const unsigned long number = answers_ + 1;
    auto answer = device_->answer(request, faults_.misbehaviour(number));
    if (!answer)
        return;
    answers_ = number;
    line_.send(faults_.deliver(answers_, std::move(*answer)), request.started, request.frame.size(),
               now);
}

}  // namespace emulator
