#include "CliRun.h"

#include <QProcessEnvironment>
#include <QRegularExpression>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

namespace {
// A store is the longest command, about twelve seconds on the emulator's timing; this is
// only reached when something hangs.
constexpr int kPatienceMs = 120000;

QProcessEnvironment Environment(const QString& runtimeDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    // The system's reasons in messages, in the words the tests look for.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return environment;
}

int ExitCodeOf(const QProcess& cli)
{
    if (cli.exitStatus() == QProcess::NormalExit && cli.error() != QProcess::FailedToStart)
        return cli.exitCode();
    return -1;
}

}  // namespace

CliResult RunCli(const QStringList& arguments, const QString& runtimeDir, const QString& outputFile)
{
    QProcess cli;
    cli.setProcessEnvironment(Environment(runtimeDir));
    if (!outputFile.isEmpty())
        cli.setStandardOutputFile(outputFile, QIODevice::Append);
    cli.start(QStringLiteral(TIDEWELL_CLI), arguments);
    CliResult result;
    if (!cli.waitForFinished(kPatienceMs)) {
        cli.kill();
        cli.waitForFinished();
    }
    result.code = ExitCodeOf(cli);
    result.out = QString::fromUtf8(cli.readAllStandardOutput());
    result.err = QString::fromUtf8(cli.readAllStandardError());
    return result;
}

RunningCli::RunningCli(const QStringList& arguments, const QString& runtimeDir)
{
    int line = -1;
    if (::openpty(&terminal_, &line, nullptr, nullptr, nullptr) != 0)
        return;
    ::fcntl(terminal_, F_SETFD, FD_CLOEXEC);
    ::fcntl(line, F_SETFD, FD_CLOEXEC);
    process_.setProcessEnvironment(Environment(runtimeDir));
    process_.setChildProcessModifier([line] {
        ::dup2(line, STDERR_FILENO);
        // The signals reach it as they would from a terminal, whatever the test runner
        // blocks or ignores.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int number : {SIGINT, SIGTERM, SIGHUP})
            ::signal(number, SIG_DFL);
    });
    process_.start(QStringLiteral(TIDEWELL_CLI), arguments);
    process_.waitForStarted();
    // From here the program holds the terminal's line alone: once it ends, reads see EIO.
    ::close(line);
}

RunningCli::~RunningCli()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
    if (terminal_ >= 0)
        ::close(terminal_);
}

bool RunningCli::ReadTerminal()
{
    pollfd p{terminal_, POLLIN, 0};
    char buffer[256];
    if (terminal_ < 0 || ::poll(&p, 1, kPatienceMs) <= 0)
        return false;
    const ssize_t n = ::read(terminal_, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    shown_ += QString::fromUtf8(buffer, static_cast<int>(n)).remove(QLatin1Char('\r'));
    return true;
}

bool RunningCli::WaitForProgress(const QString& step, int percent)
{
    const QRegularExpression progress(QRegularExpression::escape(step) +
                                      QStringLiteral("\\.\\.\\.\\s*(\\d+)%"));
    for (;;) {
        for (const auto& match : progress.globalMatch(shown_))
            if (match.captured(1).toInt() >= percent)
                return true;
        if (!ReadTerminal())
            return false;
    }
}

void RunningCli::Signal(int number)
{
    ::kill(static_cast<pid_t>(process_.processId()), number);
}

CliResult RunningCli::Finish()
{
    while (ReadTerminal()) {}
    if (!process_.waitForFinished(kPatienceMs))
        process_.kill();
    process_.waitForFinished();
    CliResult result;
    result.code = ExitCodeOf(process_);
    result.out = QString::fromUtf8(process_.readAllStandardOutput());
    result.err = shown_;
    return result;
}
