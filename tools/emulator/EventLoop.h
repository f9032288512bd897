// EventLoop.h: the emulator at work. Bytes from the host go through the request parser to
// the dive computer, its answers through the fault plan onto the line, until a stop
// signal, the end of standard input or a planned hang-up.
#pragma once

#include "DiveComputer.h"
#include "FaultPlan.h"
#include "Line.h"
#include "PseudoTerminal.h"
#include "RequestParser.h"
#include "StopSignals.h"

namespace emulator {

class EventLoop {
public:
    EventLoop(const FaultPlan& faults, DiveComputer& device, PseudoTerminal& pty, bool paced)
        : faults_(faults), device_(device), pty_(pty), line_(pty.master(), paced)
    {
    }

    // Returns when it is time to stop; throws std::system_error when the terminal fails.
    void run(const StopSignals& signals);

private:
    void receive(Clock::time_point now);
    void serve(const Request& request, Clock::time_point now);

    const FaultPlan& faults_;
    DiveComputer& device_;
    PseudoTerminal& pty_;
    Line line_;
    RequestParser parser_;
    unsigned long answers_ = 0;
};

}  // namespace emulator
