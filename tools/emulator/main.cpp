// main.cpp: tidewell-emulator, a Type1 dive computer on a pseudo-terminal.
//
// One event loop: bytes from the host go through the request parser to the dive computer,
// its answers through the fault plan onto the line, until a stop signal, the end of
// standard input or a planned hang-up.
#include "Announcement.h"
#include "DiveComputer.h"
#include "Line.h"
#include "Options.h"
#include "PseudoTerminal.h"
#include "RequestParser.h"
#include "StopSignals.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>

namespace emulator {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

timespec until(std::optional<Clock::time_point> deadline, Clock::time_point now) {
    const auto wait = std::max(Clock::duration::zero(), *deadline - now);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

std::optional<Clock::time_point> earliest(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

class Emulator {
public:
    Emulator(const Options& options, DiveComputer& device, PseudoTerminal& pty)
        : faults_(options.faults), device_(device), pty_(pty), line_(pty.master(), options.pace) {}

    void run(const StopSignals& signals) {
        bool watchInput = true;
        for (;;) {
            Clock::time_point now = Clock::now();
            if (!line_.flush(now)) {
                std::cerr << "tidewell-emulator: hung up the line as asked\n";
                pty_.hangUp();
                return;
            }
            parser_.expire(now);

            pollfd fds[3] = {{signals.fd(), POLLIN, 0}, {pty_.master(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
            const auto deadline = earliest(line_.nextDue(), parser_.deadline());
            const timespec timeout = deadline ? until(deadline, now) : timespec{};
            const int ready = ::ppoll(fds, watchInput ? 3 : 2, deadline ? &timeout : nullptr, nullptr);
            if (ready < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "ppoll");
            if (ready <= 0) continue;

            if (fds[0].revents != 0) return;
            if (fds[1].revents != 0) receive(Clock::now());
            if (watchInput && fds[2].revents != 0) {
                char buf[256];
                const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
                if (n == 0) return;
                // Unreadable input (a background job on a terminal, say) is not its end.
                if (n < 0 && errno != EINTR && errno != EAGAIN) watchInput = false;
            }
        }
    }

private:
    void receive(Clock::time_point now) {
        std::uint8_t buf[512];
        for (;;) {
            const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) return;
            if (n <= 0) throw std::system_error(n < 0 ? errno : EIO, std::generic_category(), "read");
            for (ssize_t i = 0; i < n; ++i) {
                if (auto request = parser_.push(buf[i], now)) serve(*request, now);
            }
        }
    }

    void serve(const Request& request, Clock::time_point now) {
        auto answer = device_.answer(request);
        if (!answer) return;
        ++answers_;
        line_.send(faults_.deliver(answers_, std::move(*answer)), request.started, request.frame.size(), now);
    }

    const FaultPlan& faults_;
    DiveComputer& device_;
    PseudoTerminal& pty_;
    Line line_;
    RequestParser parser_;
    unsigned long answers_ = 0;
};

MemoryImage initialImage(const Options& options) {
    if (!options.image) return MemoryImage::builtIn();
    if (auto image = MemoryImage::load(*options.image)) return *image;
    // A new file starts from the built-in image and exists from the start on.
    MemoryImage image = MemoryImage::builtIn();
    image.save(*options.image);
    return image;
}

DiveComputer::Persist persistTo(const std::optional<std::string>& path) {
    if (!path) return [](const MemoryImage&) { return true; };
    return [file = *path](const MemoryImage& image) {
        try {
            image.save(file);
            return true;
        } catch (const std::exception& e) {
            std::cerr << "tidewell-emulator: write refused: " << e.what() << '\n';
            return false;
        }
    };
}

int run(int argc, const char* const argv[]) {
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "tidewell-emulator: " << e.what() << "\n\n" << kUsage;
        return kExitUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    // Whoever reads our output may go away first; that must not stop us before we clean up.
    ::signal(SIGPIPE, SIG_IGN);
    try {
        StopSignals signals;
        DiveComputer device(initialImage(options), persistTo(options.image));
        PseudoTerminal pty;
        Announcement announcement(options.name, pty.slavePath());
        std::cout << pty.slavePath() << std::endl;
        Emulator(options, device, pty).run(signals);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tidewell-emulator: " << e.what() << '\n';
        return kExitFailure;
    }
}

} // namespace
} // namespace emulator

int main(int argc, char* argv[]) { return emulator::run(argc, argv); }
