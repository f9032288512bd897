// EmulatorProcess.h: a real tidewell-emulator process for a test, with its own runtime
// directory, its standard input on a pipe and its output captured.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// A fresh directory under TMPDIR (/tmp when unset), removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class EmulatorProcess {
public:
    // Starts the emulator with `args`. With `ownRuntimeDir` XDG_RUNTIME_DIR is a new
    // temporary directory, otherwise it is unset. A `tmpDir` given is its TMPDIR.
    explicit EmulatorProcess(const std::vector<std::string>& args, bool ownRuntimeDir = true,
                             const std::string& tmpDir = std::string());
    ~EmulatorProcess();  // kills the process if it still runs
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    // The first line of standard output; empty when the process ended without one.
    const std::string& slavePath();

    // Where an emulator announced as `name` puts its link.
    std::string announcement(const std::string& name) const;

    void signal(int sig);
    void closeInput();
    // Exit status once the process has ended (128 + signal number when killed by one).
    int wait();
    bool running();
    // What it wrote after its first line, and to standard error; complete once it has ended.
    std::string restOfOutput();
    std::string errors();

private:
    TempDir runtime_;
    bool ownRuntimeDir_;
    std::string tmpDir_;
    pid_t pid_ = -1;
    int status_ = -1;
    int input_ = -1, output_ = -1, errors_ = -1;
    bool firstLineRead_ = false;
    std::string slavePath_;
};

}  // namespace e2e
