// Options.h: the emulator's command line.
#pragma once

#include "FaultPlan.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace emulator {

struct Options {
    std::optional<std::string> image;        // --image FILE
    std::optional<std::string> secondImage;  // --second-image FILE
    std::string name = "emulator";           // --name NAME
    bool pace = false;                       // --pace
    bool help = false;                       // --help
    FaultPlan faults;                        // --silent, --drop N, ...
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws UsageError naming the first bad argument.
Options parseOptions(int argc, const char* const argv[]);

extern const char* const kUsage;

}  // namespace emulator
