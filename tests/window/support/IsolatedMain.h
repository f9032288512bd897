#pragma once
// The entry point of a window test: in the test's own folders (OwnFolders.h), it runs the
// test object under the real program's application object, whose error box goes through
// Modal.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include "OwnFolders.h"

#include "persistence/SettingsBackups.h"
#include "window/Application.h"
#include "window/Externals.h"

#if defined(__SANITIZE_THREAD__)
// Qt is not built for ThreadSanitizer. Its paint engine fills spans on a thread pool of
// its own and hands the work back through futexes that the sanitizer cannot see, so
// memory Qt allocates on one thread and frees on another looks like a race. Calls made
// from inside such uninstrumented libraries are not judged; our own code still is.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}
#endif

// For a test's init(): the process-wide objects are meant to live through one window
// only, so each test starts from what a new process would have: no preferences, an
// all-zero settings record and no backups.
inline void ForgetEarlierTests()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Hallvex"),
              QStringLiteral("Tidewell"))
        .clear();
    CurrentSettings = DEVICE_DATA{};
    QDir(SettingsBackups::DefaultFolder()).removeRecursively();
    QFile::remove(SettingsBackups::DefaultFolder());  // a test may have put a file there
}

#define TIDEWELL_ISOLATED_MAIN(TestObject)                                   \
    int main(int argc, char** argv)                                          \
    {                                                                        \
        if (!RunsInOwnFolders())                                             \
            return 1;                                                        \
        TApplication app(argc, argv);                                        \
        QApplication::setApplicationDisplayName(QStringLiteral("Tidewell")); \
        TestObject test;                                                     \
        return QTest::qExec(&test, argc, argv);                              \
    }
