#pragma once
// What tidewell-cli says: results on standard output, messages and progress on standard
// error. Progress is drawn only when standard error is a terminal, so that logs of scripts
// stay clean.

#include <QString>

// Throws Failure ExitFileIo when standard output cannot take the line (a full disk, a
// closed pipe's end): a result that went nowhere is no success.
void PrintLine(const QString& line);
// Hands what is still buffered to standard output; throws as PrintLine does when it, or
// an earlier line, could not be written.
void FinishOutput();
void PrintError(const QString& message);  // prefixed with "tidewell-cli: "

// One step of work shown as "what... NN%" on one terminal line, ended when the step ends
// (also when it fails, so that an error message starts on a line of its own).
class ProgressLine {
public:
    explicit ProgressLine(const QString& what);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The device's progress callback: the percentage of the step in hand.
    static void Percent(int percent);
};
