#pragma once
// What the tests of the main window share: lookup of the form's controls by component
// name, where emulators announce their ports, and pseudo-terminals to stand for serial
// ports.

#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QRadioButton>
#include <QtTest>

#include "OwnFolders.h"
#include "PseudoTerminal.h"
#include "window/Application.h"
#include "window/Externals.h"
#include "window/Main.h"

namespace WindowTesting {

// The control or action of `window` with component name `name`; the test stops at once
// when there is none.
template <typename T>
T* Find(const QObject* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// Item `index` of the radio group box `group`.
inline QRadioButton* RadioItem(const QObject* window, const QString& group, int index)
{
    return Find<QRadioButton>(window, group + QStringLiteral("Item%1").arg(index));
}

// The selected item of the radio group box `group`, -1 when none is.
inline int RadioIndex(const QObject* window, const QString& group)
{
    for (int i = 0;; ++i) {
        auto* item = window->findChild<QRadioButton*>(group + QStringLiteral("Item%1").arg(i));
        if (!item)
            return -1;
        if (item->isChecked())
            return i;
    }
}

inline int GlyphOf(const QObject* window, const QString& button)
{
    return Find<QAbstractButton>(window, button)->property("glyphIndex").toInt();
}

// Where emulators announce their ports: the runtime folder is the test's own.
inline QString AnnouncementFolder()
{
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/tidewell/ports");
}

}  // namespace WindowTesting

// main() of a window test: in the test's own folders (OwnFolders.h), the application
// object of the program, numbers in the C locale.
#define TIDEWELL_WINDOW_TEST_MAIN(TestClass)                                 \
    int main(int argc, char** argv)                                          \
    {                                                                        \
        if (!RunsInOwnFolders())                                             \
            return 1;                                                        \
        TApplication app(argc, argv);                                        \
        QApplication::setApplicationDisplayName(QStringLiteral("Tidewell")); \
        QLocale::setDefault(QLocale::c());                                   \
        TestClass test;                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                           \
        return QTest::qExec(&test, argc, argv);                              \
    }
