#pragma once
// SIGINT, SIGTERM and SIGHUP while a dive computer is in use. Ending the program there and
// then would cut a request in half and leave the port as the transfer had set it; instead
// each of them sets the transfer's cancel byte, so that the transfer ends at the next block
// boundary and the port is put back as it was found.

#include <csignal>
#include <cstdint>

#include "device/Device.h"

class Interruption {
public:
    // While it lives, each of the three signals sets *cancel to 1; a second one of the same
    // kind has its usual effect. A signal that the program was started with ignored stays
    // ignored, as a shell's background job expects.
    explicit Interruption(kAPI::CancelFlag* cancel);
    ~Interruption();  // puts back what the signals did before
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

private:
    struct sigaction previous_[3];
};
