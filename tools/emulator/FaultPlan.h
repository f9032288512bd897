// FaultPlan.h: which answers to disturb, and how, for tests of the host's error handling.
//
// Answers are numbered from 1 over the emulator's whole life, across host connections.
// Most faults only touch what goes back on the line, after the request has taken effect;
// the dive computer's own misbehaviour changes how the request is served.
#pragma once

#include "DiveComputer.h"
#include "Frames.h"

#include <map>
#include <set>
#include <utility>

namespace emulator {

// How one answer goes out: its pieces, kSplitPause apart, and whether the line is
// hung up kHangUpDelay after the last of them.
struct Delivery {
    std::vector<Bytes> pieces;
    bool hangUp = false;
};

// Longer than the host's 1800 ms read time-out, so that each piece needs a read of its own,
// and short enough that the second piece comes within the host's second read.
constexpr std::chrono::milliseconds kSplitPause{2500};
// Time for a host that is still reading to take the first half before the line goes.
constexpr std::chrono::milliseconds kHangUpDelay{500};

enum class Fault { Drop, BadChecksum, WrongEcho, Noise, HangUp, WrongAddress, AckOnly };

class FaultPlan {
public:
    void silence() { silent_ = true; }
    void add(Fault fault, unsigned long answer) { faults_.insert({fault, answer}); }
    void split(unsigned long answer, unsigned long pieces) { splits_[answer] = pieces; }

    // How the dive computer serves the request that would get the `number`th answer.
    Misbehaviour misbehaviour(unsigned long number) const
    {
        return {has(Fault::WrongAddress, number), has(Fault::AckOnly, number)};
    }

    // Shapes the `number`th answer for the line.
    Delivery deliver(unsigned long number, Bytes answer) const;

private:
    bool has(Fault fault, unsigned long number) const { return faults_.count({fault, number}) > 0; }

    bool silent_ = false;
    std::set<std::pair<Fault, unsigned long>> faults_;
    std::map<unsigned long, unsigned long> splits_;
};

}  // namespace emulator
