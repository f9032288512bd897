#pragma once
// The command line of the window program: tidewell [--help] [--version] [FILE]. A FILE
// is opened at start as Open does; --help and --version answer on standard output and
// end the program before any window or display is needed.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

class VersionInformation;

class TCommandLine {
public:
    // `arguments` as the program got them, its own name first. Parsing needs no
    // application object.
    explicit TCommandLine(const QStringList& arguments);

    bool AsksForHelp() const { return parser.isSet(help); }
    bool AsksForVersion() const { return parser.isSet(version); }
    // Why the line is not understood, or "" when it is.
    const QString& Error() const { return error; }
    // The settings file to open at start as an absolute path, or "" for none.
    QString File() const;

    // The usage names the program as it was started, which takes the application object.
    QString HelpText() const { return parser.helpText(); }

private:
    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;
    QString error;
};

// "tidewell VERSION" and the copyright line, from the program's version block; "tidewell
// Unknown" when there is none.
QString VersionText(const VersionInformation& info);

// Answers --help and --version on standard output with an application object that needs
// no display, and returns the exit status; nothing when the window is to start.
std::optional<int> AnswerWithoutWindow(int argc, char** argv);
