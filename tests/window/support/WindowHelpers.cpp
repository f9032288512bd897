#include "support/WindowHelpers.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

#include <cstring>
#include <stdexcept>
#include <utility>

const QString kOwnHeader = QStringLiteral("Hallvex Inv.Tidewell");

QString OwnCommandLine()
{
    return QLatin1Char('"') + QCoreApplication::applicationFilePath() + QLatin1Char('"');
}

std::unique_ptr<TForm1> ShowWindow(const QString& commandLine, PortLister listPorts)
{
    auto window = std::make_unique<TForm1>(commandLine, nullptr, std::move(listPorts));
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        throw std::runtime_error("the main window was never exposed");
    return window;
}

QString StatusOf(const TForm1& window)
{
    return Child<QLabel>(window, "StatusBar1")->text();
}

QMap<QString, QString> ShownSettings(const TForm1& window)
{
    QMap<QString, QString> shown;
    for (const char* page : {"StandardPage", "ExtendedPage"}) {
        const QWidget* holder = Child<QWidget>(window, page);
        for (const QLineEdit* edit : holder->findChildren<QLineEdit*>())
            if (!edit->objectName().isEmpty())
                shown.insert(edit->objectName(), edit->text());
        for (const QAbstractButton* button : holder->findChildren<QAbstractButton*>())
            if (!button->objectName().isEmpty() && button->isCheckable())
                shown.insert(button->objectName(), button->isChecked() ? QStringLiteral("checked")
                                                                       : QStringLiteral("clear"));
    }
    return shown;
}

void ClickOnItsPage(TForm1& window, QWidget* widget)
{
    auto* pages = Child<QTabWidget>(window, "PageControl1");
    for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(widget))
            pages->setCurrentIndex(i);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

QByteArray BodyOf(const DEVICE_DATA& record)
{
    const char* bytes = reinterpret_cast<const char*>(DeviceData::Bytes(record));
    return QByteArray(bytes + 16, 74) + QByteArray(bytes + 101, 39);
}

QByteArray SettingsFileBytes(const QString& header, const QByteArray& body)
{
    const int n = 2 * header.size() + 1;
    QByteArray file;
    file.append(static_cast<char>(n & 0xFF)).append(static_cast<char>(n >> 8));
    for (const QChar unit : header)
        file.append(static_cast<char>(unit.unicode() & 0xFF))
            .append(static_cast<char>(unit.unicode() >> 8));
    file.append('\0');
    return file + body;
}

DEVICE_DATA SampleRecord(int variant)
{
    DEVICE_DATA r{};
    std::uint8_t* bytes = DeviceData::Bytes(r);
    // Bytes that no control shows carry a pattern, so that losing them shows.
    for (std::size_t i = 16; i < DeviceData::RecordSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + variant);
    const bool first = variant == 1;
    r.maxDepth = (first ? 25 : 61) * 128;
    r.diveTime = first ? 125 * 60 + 7 : 3 * 60 + 41;
    r.totalDives = first ? 300 : 12;
    r.modelCode = first ? 0x0B : 0x20;
    r.firmwareVersion = first ? 33 : 7;
    DeviceData::SetSerialNumber(r, first ? 1234567 : 7654321);
    std::memset(r.personalText, 0, sizeof r.personalText);
    std::strcpy(reinterpret_cast<char*>(r.personalText), first ? "Reef 7" : "Call 555-0101");
    r.textEnd = 0;
    r.sampleRate = first ? 30 : 10;
    r.personalAltitude = first ? 0x06 : 0x09;  // P1 A2, P2 A1
    r.freeDiveMaxDepth = (first ? 10 : 4) * 128;
    r.freeDiveTime = first ? 75 : 20;
    r.clock12Hour = first ? 1 : 0;
    r.units = first ? 1 : 0;
    r.diveMode = first ? 2 : 1;
    r.light = first ? 0x80 | 45 : 12;
    r.alarmFlags = first ? 0x03 : 0x01;
    r.timeAlarm = first ? 55 : 90;
    r.depthAlarm = (first ? 30 : 18) * 128;
    return r;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}
