// The window tests' main: the preferences and the emulator announcements live in fresh
// folders, set before anything reads them, so that no test sees the person's own.
#include <QTemporaryDir>
#include <QtTest>

#include "FileCommandsTest.h"
#include "PreferencesWindowTest.h"
#include "window/Application.h"

int main(int argc, char** argv)
{
    QTemporaryDir config;
    QTemporaryDir runtime;
    if (!config.isValid() || !runtime.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    TApplication app(argc, argv);
    FileCommandsTest files;
    PreferencesWindowTest preferences;
    int failures = QTest::qExec(&files, argc, argv);
    failures += QTest::qExec(&preferences, argc, argv);
    return failures;
}
