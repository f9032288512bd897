#pragma once
// Window tests clear the preferences they find and announce ports in the runtime folder,
// so they run only in the folders that tests/support/hermetic-run makes for each test
// (CTest runs every test that way), never in a person's own.

#include <QtGlobal>

inline bool RunsInOwnFolders()
{
    if (qEnvironmentVariableIsSet("TIDEWELL_TEST_SCRATCH"))
        return true;
    qCritical(
        "this test needs folders of its own: run it with ctest, or through "
        "tests/support/hermetic-run");
    return false;
}
