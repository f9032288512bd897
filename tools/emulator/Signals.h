// Signals.h: turns the signals the emulator heeds into bytes on a pipe, so that the event
// loop notices them wherever it waits: SIGINT, SIGTERM and SIGHUP stop it, SIGUSR1 swaps
// the dive computer on the line. One instance per process.
#pragma once

#include "UniqueFd.h"

namespace emulator {

class Signals {
public:
    Signals();  // throws std::system_error
    ~Signals();
    Signals(const Signals&) = delete;
    Signals& operator=(const Signals&) = delete;

    int fd() const { return read_.get(); }  // readable once a signal came

    struct Arrived {
        bool stop = false;
        unsigned swaps = 0;
    };
    // The signals that came since the last call; never waits.
    Arrived take() const;

private:
    UniqueFd read_;
    UniqueFd write_;
};

}  // namespace emulator
