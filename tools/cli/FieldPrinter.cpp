#include "FieldPrinter.h"

#include "device/AnsiText.h"
#include "device/ModelTable.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using namespace DeviceData;

QString Choice(const QStringList& items, unsigned code)
{
    if (code < static_cast<unsigned>(items.size()))
        return items.at(static_cast<int>(code));
    return QStringLiteral("none (%1)").arg(code);
}

QString HoursAndMinutes(std::uint16_t minutes)
{
    return QStringLiteral("%1:%2")
        .arg(HoursOf(minutes))
        .arg(MinutesOf(minutes), 2, 10, QLatin1Char('0'));
}

QString PersonalText(const DEVICE_DATA& record)
{
    const char* text = reinterpret_cast<const char*>(record.personalText);
    const std::string bytes(text, strnlen(text, sizeof record.personalText));
    return QString::fromStdWString(AnsiText::ToWide(bytes));
}

QJsonValue Number(std::uint32_t value)
{
    return QJsonValue(static_cast<qint64>(value));
}

}  // namespace

std::vector<Field> FieldsOf(const DEVICE_DATA& r)
{
    const bool lightOn = r.light & 0x80;
    return {
        {QStringLiteral("model"), QStringLiteral("Model"),
         QString::fromStdWString(ModelNameOf(r.modelCode))},
        {QStringLiteral("serialNumber"), QStringLiteral("Serial number"),
         Number(SerialNumberOf(r))},
        {QStringLiteral("id"), QStringLiteral("ID #"), Number(r.modelCode)},
        {QStringLiteral("version"), QStringLiteral("Version #"), Number(r.firmwareVersion)},
        {QStringLiteral("personalText"), QStringLiteral("Personal data"), PersonalText(r)},
        {QStringLiteral("diveTime"), QStringLiteral("Dive time"), HoursAndMinutes(r.diveTime)},
        {QStringLiteral("totalDives"), QStringLiteral("Total dives"), Number(r.totalDives)},
        {QStringLiteral("maxDepth"), QStringLiteral("Max depth"), Number(DepthToShown(r.maxDepth))},
        {QStringLiteral("sampleRate"), QStringLiteral("Sample rate"), Number(r.sampleRate)},
        {QStringLiteral("computerMode"), QStringLiteral("Computer mode"),
         Choice({QStringLiteral("Air"), QStringLiteral("Nitrox"), QStringLiteral("Gauge")},
                r.diveMode)},
        {QStringLiteral("altitude"), QStringLiteral("Altitude"),
         Choice({QStringLiteral("A0"), QStringLiteral("A1"), QStringLiteral("A2")},
                r.personalAltitude & 0x03u)},
        {QStringLiteral("personal"), QStringLiteral("Personal"),
         Choice({QStringLiteral("P0"), QStringLiteral("P1"), QStringLiteral("P2")},
                (r.personalAltitude & 0x0Cu) >> 2)},
        {QStringLiteral("light"), QStringLiteral("Light"), lightOn},
        {QStringLiteral("lightTime"), QStringLiteral("Light time"), Number(r.light & 0x7Fu)},
        {QStringLiteral("units"), QStringLiteral("Units"),
         Choice({QStringLiteral("Imperial"), QStringLiteral("Metric")}, r.units)},
        {QStringLiteral("clock"), QStringLiteral("Clock type"),
         r.clock12Hour != 0 ? QStringLiteral("12 hour") : QStringLiteral("24 hour")},
        {QStringLiteral("depthAlarm"), QStringLiteral("Depth alarm"), bool(r.alarmFlags & 0x02)},
        {QStringLiteral("depthAlarmDepth"), QStringLiteral("Depth alarm depth"),
         Number(DepthToShown(r.depthAlarm))},
        {QStringLiteral("timeAlarm"), QStringLiteral("Time alarm"), bool(r.alarmFlags & 0x01)},
        {QStringLiteral("timeAlarmMinutes"), QStringLiteral("Time alarm minutes"),
         Number(r.timeAlarm)},
        {QStringLiteral("freeDiveMaxDepth"), QStringLiteral("Free dive max depth"),
         Number(DepthToShown(r.freeDiveMaxDepth))},
        {QStringLiteral("freeDiveTime"), QStringLiteral("Free dive time"),
         HoursAndMinutes(r.freeDiveTime)},
    };
}

QString FieldsAsText(const std::vector<Field>& fields)
{
    int width = 0;
    for (const Field& field : fields)
        width = std::max(width, static_cast<int>(field.label.size()) + 1);
    QStringList lines;
    for (const Field& field : fields) {
        const QJsonValue& v = field.value;
        const QString value = v.isBool()
                                  ? (v.toBool() ? QStringLiteral("on") : QStringLiteral("off"))
                              : v.isString() ? v.toString()
                                             : QString::number(v.toInteger());
        lines << (field.label + QLatin1Char(':')).leftJustified(width + 1) + value;
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray FieldsAsJson(const std::vector<Field>& fields)
{
    QJsonObject object;
    for (const Field& field : fields)
        object.insert(field.key, field.value);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}
