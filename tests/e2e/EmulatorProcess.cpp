// EmulatorProcess.cpp: spawning, stopping and watching the emulator.
#include "EmulatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

// Long enough for a sanitizer build on a busy machine; only reached when something is wrong.
constexpr int kPatienceMs = 15000;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Reads `fd` until its end, or until `ms` milliseconds pass without a byte.
std::string readToEnd(int fd, int ms)
{
    std::string text;
    char buf[1024];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, ms) > 0) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

TempDir::TempDir()
{
    std::string pattern = std::filesystem::temp_directory_path() / "tidewell-e2e-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        fail("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

EmulatorProcess::EmulatorProcess(const std::vector<std::string>& args, bool ownRuntimeDir,
                                 const std::string& tmpDir)
    : ownRuntimeDir_(ownRuntimeDir), tmpDir_(tmpDir)
{
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        fail("pipe");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0 &&
            (tmpDir_.empty() || std::strncmp(*e, "TMPDIR=", 7) != 0))
            env.emplace_back(*e);
    }
    if (ownRuntimeDir_)
        env.push_back("XDG_RUNTIME_DIR=" + runtime_.path());
    if (!tmpDir_.empty())
        env.push_back("TMPDIR=" + tmpDir_);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<std::string> argStrings{TIDEWELL_EMULATOR};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const int rc =
        ::posix_spawn(&pid_, TIDEWELL_EMULATOR, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    input_ = in[1];
    output_ = out[0];
    errors_ = err[0];
    if (rc != 0) {
        errno = rc;
        fail("posix_spawn " TIDEWELL_EMULATOR);
    }
}

EmulatorProcess::~EmulatorProcess()
{
    if (running()) {
        ::kill(pid_, SIGKILL);
        wait();
    }
    closeFd(input_);
    closeFd(output_);
    closeFd(errors_);
}

const std::string& EmulatorProcess::slavePath()
{
    if (firstLineRead_)
        return slavePath_;
    firstLineRead_ = true;
    char c;
    pollfd p{output_, POLLIN, 0};
    while (::poll(&p, 1, kPatienceMs) > 0 && ::read(output_, &c, 1) == 1 && c != '\n')
        slavePath_ += c;
    return slavePath_;
}

std::string EmulatorProcess::announcement(const std::string& name) const
{
    const std::string temp =
        tmpDir_.empty() ? std::filesystem::temp_directory_path().string() : tmpDir_;
    const std::string base = ownRuntimeDir_ ? runtime_.path() + "/tidewell"
                                            : temp + "/tidewell-" + std::to_string(::getuid());
    return base + "/ports/" + name;
}

void EmulatorProcess::signal(int sig)
{
    ::kill(pid_, sig);
}

void EmulatorProcess::closeInput()
{
    closeFd(input_);
}

bool EmulatorProcess::running()
{
    if (status_ >= 0)
        return false;
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) != pid_)
        return true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
}

int EmulatorProcess::wait()
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (running() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (running()) {
        ::kill(pid_, SIGKILL);
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
        status_ = 128 + SIGKILL;
    }
    return status_;
}

std::string EmulatorProcess::restOfOutput()
{
    slavePath();
    return readToEnd(output_, running() ? 0 : kPatienceMs);
}

std::string EmulatorProcess::errors()
{
    return readToEnd(errors_, running() ? 0 : kPatienceMs);
}

}  // namespace e2e
