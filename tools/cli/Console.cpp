#include "Console.h"

#include "Failure.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool OnTerminal()
{
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal;
}

QString current;  // the step on the progress line; empty when there is none

void Draw(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

[[noreturn]] void CannotWriteOutput(int error)
{
    throw Failure{ExitFileIo, QStringLiteral("cannot write the output: %1")
                                  .arg(QString::fromLocal8Bit(std::strerror(error)))};
}

}  // namespace

void PrintLine(const QString& line)
{
    errno = 0;
    if (std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout) == EOF)
        CannotWriteOutput(errno);
}

void FinishOutput()
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (!flushed || std::ferror(stdout))
        CannotWriteOutput(error != 0 ? error : EIO);
}

void PrintError(const QString& message)
{
    std::fflush(stdout);
    std::fputs(
        (QStringLiteral("tidewell-cli: ") + message + QLatin1Char('\n')).toUtf8().constData(),
        stderr);
}

ProgressLine::ProgressLine(const QString& what)
{
    if (!OnTerminal())
        return;
    current = what;
    Draw(QLatin1Char('\r') + current + QStringLiteral("..."));
}

ProgressLine::~ProgressLine()
{
    if (!OnTerminal() || current.isEmpty())
        return;
    current.clear();
    Draw(QStringLiteral("\n"));
}

void ProgressLine::Percent(int percent)
{
    if (!OnTerminal() || current.isEmpty())
        return;
    Draw(QStringLiteral("\r%1... %2%").arg(current).arg(percent, 3));
}
