#include "app/StartWindow.h"

#include <QApplication>
#include <QMetaObject>

#include "window/Main.h"

void NameTheApplication()
{
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewell"));
    // Matches the desktop entry, which gives the window its icon and name in the shell.
    QGuiApplication::setDesktopFileName(QStringLiteral(TIDEWELL_APP_ID));
}

void ShowStartWindow(TForm1& form, const QString& file)
{
    form.show();
    if (file.isEmpty())
        return;
    // From the message loop, like a command the person gives: the window is up behind any
    // error box, and what the open throws reaches the application's error box.
    QMetaObject::invokeMethod(
        &form, [&form, file] { form.OpenFile(file); }, Qt::QueuedConnection);
}
