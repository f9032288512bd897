#include "Console.h"

#include <unistd.h>

#include <cstdio>

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

}  // namespace

void PrintLine(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
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
