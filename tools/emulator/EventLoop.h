// EventLoop.h: the emulator at work. Bytes from the host go through the request parser to
// the dive computer, its answers through the fault plan onto the line, until a stop
// signal, the end of standard input or a planned hang-up. With a second dive computer,
// SIGUSR1 puts the other one on the line, as if the cable had been moved to it.
#pragma once

#include "DiveComputer.h"
#include "FaultPlan.h"
#include "Line.h"
#include "PseudoTerminal.h"
#include "RequestParser.h"
#include "Signals.h"

namespace emulator {

class EventLoop {
public:
    // `second`, when given, waits off the line until the first swap.
    EventLoop(const FaultPlan& faults, DiveComputer& device, DiveComputer* second,
              PseudoTerminal& pty, bool paced)
        : faults_(faults), device_(&device), waiting_(second), pty_(pty), line_(pty.master(), paced)
    {
    }

    // Returns when it is time to stop; throws std::system_error when the terminal fails.
    void run(const Signals& signals);

private:
    void swap(unsigned times);
    void receive(Clock::time_point now);
    void serve(const Request& request, Clock::time_point now);

    const FaultPlan& faults_;
    DiveComputer* device_;   // the one on the line
    DiveComputer* waiting_;  // the other one; null without a second image
    bool secondOnLine_ = false;
    PseudoTerminal& pty_;
    Line line_;
    RequestParser parser_;
    unsigned long answers_ = 0;
};

}  // namespace emulator
