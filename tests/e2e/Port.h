// Port.h: the tests' end of the emulator's pseudo-terminal, opened and set up the way
// Tidewell's serial layer does it (exclusive, raw, 2400 baud 8O1) and put back on close.
#pragma once

#include "TestFrames.h"

#include <termios.h>

#include <chrono>
#include <string>

namespace e2e {

class Port {
public:
    explicit Port(const std::string& path);  // throws std::runtime_error
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    void send(const Bytes& bytes);

    // Like the host's read: returns when `count` bytes are in, the line hangs up, or
    // `within` has passed, with whatever arrived by then.
    Bytes receive(std::size_t count, std::chrono::milliseconds within);

    // Everything that arrives until the line has been quiet for `quiet`.
    Bytes drain(std::chrono::milliseconds quiet);

    // True once a read has seen the line hang up.
    bool hungUp() const { return hungUp_; }

private:
    int fd_ = -1;
    bool hungUp_ = false;
    termios saved_{};  // as found at open, put back at close
};

}  // namespace e2e
