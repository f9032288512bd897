#pragma once
// A tidewell-emulator process for a window test. It announces itself under a name of the
// test's choosing in the test's own folders, so the window lists it as
// "NAME : Type1 emulator", and keeps its memory image in a file the test can read.
//
// Spawned rather than forked: the test process has threads by then, and a fork of a
// threaded process is more than ThreadSanitizer will follow.

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class RunningEmulator {
public:
    // Where it announces: in the runtime folder, or as without one, under TMPDIR.
    enum class Announce { InRuntimeFolder, WithoutRuntimeFolder };

    // Starts it with `options` (fault flags, --pace) on the memory `image` (8192 bytes;
    // the built-in image when empty) and waits until it has named its terminal.
    explicit RunningEmulator(const QString& name, const QStringList& options = {},
                             Announce where = Announce::InRuntimeFolder,
                             const QByteArray& image = QByteArray());
    // Stops it if it still runs.
    ~RunningEmulator();
    RunningEmulator(const RunningEmulator&) = delete;
    RunningEmulator& operator=(const RunningEmulator&) = delete;

    // True once it runs and has named its terminal.
    bool IsReady() const { return !terminal_.isEmpty(); }
    // Its entry in the port box.
    QString PortText() const { return name_ + QStringLiteral(" : Type1 emulator"); }
    // The pseudo-terminal the dive computer answers on.
    const QString& Terminal() const { return terminal_; }
    // Ends its standard input, which stops it, and waits until it has gone: the cable is
    // pulled. True when it went.
    bool Stop();
    // The 8192 bytes of its memory as the image file holds them now.
    QByteArray Image() const;
    // Moves the cable to the other dive computer of its --second-image: every request
    // from now on is answered by that one. True when the emulator was told.
    bool Swap() const;

private:
    QString name_;
    QTemporaryDir folder_;
    pid_t pid_ = -1;
    int input_ = -1;
    QString terminal_;
};
