// StopSignals.h: turns SIGINT, SIGTERM and SIGHUP into a readable descriptor, so that the
// event loop notices them wherever it waits. One instance per process.
#pragma once

#include "UniqueFd.h"

namespace emulator {

class StopSignals {
public:
    StopSignals();  // throws std::system_error
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int fd() const { return read_.get(); }  // readable once a stop signal came

private:
    UniqueFd read_;
    UniqueFd write_;
};

}  // namespace emulator
