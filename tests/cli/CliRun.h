#pragma once
// Running tidewell-cli as a separate process, as a script would.

#include <QString>
#include <QStringList>

struct CliResult {
    int code = -1;  // the exit status; -1 when it crashed or never ended
    QString out;
    QString err;
};

// Runs tidewell-cli with `arguments` and XDG_RUNTIME_DIR set to `runtimeDir`, so that it
// sees the emulators announced there and no others.
CliResult RunCli(const QStringList& arguments, const QString& runtimeDir);
