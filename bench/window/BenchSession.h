#pragma once
// What a window benchmark runs in: preferences, backups and emulator announcements in
// fresh temporary folders, as for the window tests, and the real program's application
// object.

#include <QFile>
#include <QTemporaryDir>

#include "window/Application.h"

class BenchSession {
public:
    BenchSession(int& argc, char** argv) : app_(Isolate(argc), argv) {}
    bool IsValid() const { return config_.isValid() && data_.isValid() && runtime_.isValid(); }

private:
    // The folders exist by now: they are made before the application object.
    int& Isolate(int& argc)
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data_.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        return argc;
    }

    QTemporaryDir config_;
    QTemporaryDir data_;
    QTemporaryDir runtime_;
    TApplication app_;
};
