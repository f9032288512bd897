#pragma once
// How tidewell-cli ends: each kind of failure has an exit status of its own, so that a script
// can tell a missing cable from a damaged file.

#include <QString>

enum ExitCode : int {
    ExitOk = 0,
    ExitOtherFailure = 1,
    ExitUsage = 2,        // bad command line
    ExitMissingPort = 3,  // no such port, or it will not open
    ExitNoDevice = 4,     // the port opens, but no dive computer answers
    ExitTransfer = 5,     // a load or store broke off
    ExitBadFile = 6,      // a foreign or damaged settings file
    ExitFileIo = 7,       // a file cannot be read or written
};

// Thrown by the commands; main prints the message and ends with the code.
struct Failure {
    ExitCode code;
    QString message;
};
