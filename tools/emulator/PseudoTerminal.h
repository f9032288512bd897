// PseudoTerminal.h: the emulator's end of a pseudo-terminal whose slave plays the serial port.
#pragma once

#include "UniqueFd.h"

#include <string>

namespace emulator {

class PseudoTerminal {
public:
    // Creates the pair, slave in raw mode. Throws std::system_error.
    PseudoTerminal();

    int master() const { return master_.get(); }  // non-blocking
    const std::string& slavePath() const { return slavePath_; }

    // Closes both ends: the host sees the line hang up.
    void hangUp();

private:
    UniqueFd master_;
    // Held open, never read, for the emulator's whole life: without it the master would
    // see a hang-up each time a host closes the port.
    UniqueFd slave_;
    std::string slavePath_;
};

}  // namespace emulator
