#pragma once
// What the tests of the main window share: a process set up like a user's session but
// with its own folders (preferences, runtime folder for port announcements), lookup of
// the form's controls by component name, and pseudo-terminals to stand for serial ports.

#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

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

// The folders of the test process, standing for a user's home: the preferences store
// (~/.config), the runtime folder in which emulators announce their ports.
class Session {
public:
    Session()
    {
        qputenv("XDG_CONFIG_HOME",
                QDir(root_.path()).filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", QDir(root_.path()).filePath(QStringLiteral("data")).toLocal8Bit());
        const QString runtime = QDir(root_.path()).filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Where emulators announce their ports.
    static QString AnnouncementFolder()
    {
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/tidewell/ports");
    }

private:
    QTemporaryDir root_;
};

}  // namespace WindowTesting

// main() of a window test: its own session folders, the application object of the
// program, numbers in the C locale.
#define TIDEWELL_WINDOW_TEST_MAIN(TestClass)                                 \
    int main(int argc, char** argv)                                          \
    {                                                                        \
        WindowTesting::Session session;                                      \
        TApplication app(argc, argv);                                        \
        QApplication::setApplicationDisplayName(QStringLiteral("Tidewell")); \
        QLocale::setDefault(QLocale::c());                                   \
        TestClass test;                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                           \
        return QTest::qExec(&test, argc, argv);                              \
    }
