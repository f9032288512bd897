#pragma once
// The command line of tidewell-cli: one command and its arguments.

#include <QString>
#include <QStringList>

struct Arguments {
    enum class Command { Help, Ports, Detect, Load, Store, Show };

    Command command = Command::Help;
    QString port;        // detect, load, store
    QString file;        // load, store, show
    QString backup;      // store --backup; empty when not asked for
    bool all = false;    // store --all
    bool verify = true;  // store, unless --no-verify
    bool json = false;   // show --json
};

// `arguments` as QCoreApplication::arguments() gives them, the program first. Throws a
// Failure with ExitUsage for a command line that does not fit.
Arguments ParseArguments(const QStringList& arguments);

// The text of --help: commands, options and exit codes.
extern const char* const kUsage;
