#pragma once
// What the file and preference tests of the main window share: making the window as the
// program does, reading its controls, and settings files built byte by byte.

#include <QByteArray>
#include <QLabel>
#include <QMap>
#include <QString>

#include <memory>

#include "device/DEVICE_DATA.h"
#include "window/Main.h"

// The test program's own path as the first command-line item: it carries the version
// block, so the window's file header is valid.
QString OwnCommandLine();

// A new main window, shown (so the preferences are restored) and exposed.
std::unique_ptr<TForm1> ShowWindow(const QString& commandLine = OwnCommandLine(),
                                   PortLister listPorts = EnumerateSerialPorts);

template <typename T>
T* Child(const QObject& window, const char* name)
{
    return window.findChild<T*>(QLatin1String(name));
}

QString StatusOf(const TForm1& window);

// Every named edit's text and every named check box's and radio item's state on the two
// settings pages: what the person sees.
QMap<QString, QString> ShownSettings(const TForm1& window);

// Shows the page that holds `widget`, then clicks it.
void ClickOnItsPage(TForm1& window, QWidget* widget);

// The 113 record bytes that a settings file holds, in file order.
QByteArray BodyOf(const DEVICE_DATA& record);

// A settings file: N, `header` as UTF-16LE code units and one zero byte, then `body`.
QByteArray SettingsFileBytes(const QString& header, const QByteArray& body);
// The header the test program's version block gives.
extern const QString kOwnHeader;

// Two records that every control can show exactly, different in every shown field.
DEVICE_DATA SampleRecord(int variant);

QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);
