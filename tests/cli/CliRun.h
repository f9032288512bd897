#pragma once
// Running tidewell-cli as a separate process, as a script would.

#include <QProcess>
#include <QString>
#include <QStringList>

struct CliResult {
    int code = -1;  // the exit status; -1 when it crashed or never ended
    QString out;
    QString err;
};

// Runs tidewell-cli with `arguments` and XDG_RUNTIME_DIR set to `runtimeDir`, so that it
// sees the emulators announced there and no others. With `outputFile` its standard output
// goes there (/dev/full: a full disk), and `out` stays empty.
CliResult RunCli(const QStringList& arguments, const QString& runtimeDir,
                 const QString& outputFile = QString());

// tidewell-cli as a person runs it, with standard error on a terminal so that it draws its
// progress: for acting half-way through a transfer.
class RunningCli {
public:
    RunningCli(const QStringList& arguments, const QString& runtimeDir);
    ~RunningCli();
    RunningCli(const RunningCli&) = delete;
    RunningCli& operator=(const RunningCli&) = delete;

    // Waits until the progress line shows `step` at `percent` per cent or more; false when
    // the program ends first.
    bool WaitForProgress(const QString& step, int percent);
    void Signal(int number);
    // Waits for the end; `err` is what the terminal showed, without carriage returns.
    CliResult Finish();

private:
    // Reads what the terminal shows; false once the program has closed it or stays quiet.
    bool ReadTerminal();

    QProcess process_;
    int terminal_ = -1;  // our side of the pseudo-terminal
    QString shown_;
};
