// The file and preference tests' main, in the test's own folders (OwnFolders.h).
#include <QtTest>

#include "FileCommandsTest.h"
#include "OwnFolders.h"
#include "PreferencesWindowTest.h"
#include "window/Application.h"

int main(int argc, char** argv)
{
    if (!RunsInOwnFolders())
        return 1;

    TApplication app(argc, argv);
    FileCommandsTest files;
    PreferencesWindowTest preferences;
    int failures = QTest::qExec(&files, argc, argv);
    failures += QTest::qExec(&preferences, argc, argv);
    return failures;
}
