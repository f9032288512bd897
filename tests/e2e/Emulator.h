// Emulator.h: a tidewell-emulator for driving Tidewell's own device layer against it: its
// own runtime directory, announcement name and image file, the port path it serves, and a
// clean stop at the end.
#pragma once

#include "EmulatorProcess.h"
#include "TestFrames.h"

#include <string>
#include <vector>

namespace e2e {

class Emulator {
public:
    // Starts the emulator on a fresh image file (the built-in image) with `flags` (faults,
    // --pace) added. Throws std::runtime_error when it does not come up.
    Emulator(const std::string& name, const std::vector<std::string>& flags = {});
    // Ends its input and waits for it to go (it may have gone already, after a hang-up).
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // The pseudo-terminal, as the device layer takes a port path.
    const std::wstring& portPath() const { return portPath_; }

    // The image file as it is now: the emulator saves it after every write it answers.
    Bytes image() const;

private:
    TempDir dir_;
    std::string imageFile_;
    EmulatorProcess process_;
    std::wstring portPath_;
};

}  // namespace e2e
