#include "RunningEmulator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <QFile>

extern char** environ;

namespace {

// Long enough for a sanitizer build on a busy machine; only reached when something is
// wrong.
constexpr int kPatienceMs = 20000;
const QString kImageFile = QStringLiteral("image.bin");

// The first line `fd` carries, read within the patience; empty when none came.
QString FirstLine(int fd)
{
    QByteArray line;
    pollfd ready{fd, POLLIN, 0};
    char c;
    while (::poll(&ready, 1, kPatienceMs) > 0 && ::read(fd, &c, 1) == 1) {
        if (c == '\n')
            return QString::fromLocal8Bit(line);
        line += c;
    }
    return QString();
}

// Reaps `pid` within the patience; false when it is still running.
bool Reaped(pid_t pid)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

RunningEmulator::RunningEmulator(const QString& name, const QStringList& options, Announce where,
                                 const QByteArray& image)
    : name_(name)
{
    if (!image.isEmpty()) {
        QFile file(folder_.filePath(kImageFile));
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            return;
    }
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);

    const QStringList args =
        QStringList{QStringLiteral(TIDEWELL_EMULATOR), QStringLiteral("--name"), name,
                    QStringLiteral("--image"), folder_.filePath(kImageFile)} +
        options;
    std::vector<QByteArray> bytes;
    for (const QString& arg : args)
        bytes.push_back(QFile::encodeName(arg));
    std::vector<char*> argv;
    for (QByteArray& arg : bytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (where == Announce::InRuntimeFolder || std::strncmp(*entry, "XDG_RUNTIME_DIR=", 16) != 0)
            envp.push_back(*entry);
    envp.push_back(nullptr);

    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    if (pid_ > 0)
        terminal_ = FirstLine(out[0]);
    ::close(out[0]);
}

RunningEmulator::~RunningEmulator()
{
    if (pid_ > 0 && !Stop()) {
        ::kill(pid_, SIGKILL);
        Reaped(pid_);
    }
}

bool RunningEmulator::Stop()
{
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
    if (pid_ <= 0)
        return true;
    if (!Reaped(pid_))
        return false;
    pid_ = -1;
    return true;
}

QByteArray RunningEmulator::Image() const
{
    QFile file(folder_.filePath(kImageFile));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool RunningEmulator::Swap() const
{
    return pid_ > 0 && ::kill(pid_, SIGUSR1) == 0;
}
