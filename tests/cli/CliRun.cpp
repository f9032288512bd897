#include "CliRun.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace {
// A store is the longest command, about twelve seconds on the emulator's timing; this is
// only reached when something hangs.
constexpr int kPatienceMs = 120000;
}  // namespace

CliResult RunCli(const QStringList& arguments, const QString& runtimeDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(TIDEWELL_CLI), arguments);
    CliResult result;
    if (!cli.waitForFinished(kPatienceMs)) {
        cli.kill();
        cli.waitForFinished();
    }
    if (cli.exitStatus() == QProcess::NormalExit && cli.error() != QProcess::FailedToStart)
        result.code = cli.exitCode();
    result.out = QString::fromUtf8(cli.readAllStandardOutput());
    result.err = QString::fromUtf8(cli.readAllStandardError());
    return result;
}
