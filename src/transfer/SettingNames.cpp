#include "transfer/SettingNames.h"

#include <QCoreApplication>

namespace {

struct Span {
    std::uint32_t first;
    std::uint32_t last;
    const char* name;
};

// Dive computer addresses, as the settings record maps them.
constexpr Span kSpans[] = {
    {0x1E, 0x1F, QT_TRANSLATE_NOOP("SettingNames", "Max Depth")},
    {0x20, 0x21, QT_TRANSLATE_NOOP("SettingNames", "Dive Time")},
    {0x22, 0x23, QT_TRANSLATE_NOOP("SettingNames", "Total Dives")},
    {0x24, 0x24, QT_TRANSLATE_NOOP("SettingNames", "ID #")},
    {0x25, 0x25, QT_TRANSLATE_NOOP("SettingNames", "Version #")},
    {0x26, 0x29, QT_TRANSLATE_NOOP("SettingNames", "Serial Number")},
    {0x2C, 0x48, QT_TRANSLATE_NOOP("SettingNames", "Personal Data")},
    {0x53, 0x53, QT_TRANSLATE_NOOP("SettingNames", "Sample Rate")},
    {0x54, 0x54, QT_TRANSLATE_NOOP("SettingNames", "Personal Setting and Altitude")},
    {0x5C, 0x5D, QT_TRANSLATE_NOOP("SettingNames", "Free Dive Depth")},
    {0x5E, 0x5F, QT_TRANSLATE_NOOP("SettingNames", "Free Dive Time")},
    {0x61, 0x61, QT_TRANSLATE_NOOP("SettingNames", "Clock")},
    {0x62, 0x62, QT_TRANSLATE_NOOP("SettingNames", "Units")},
    {0x63, 0x63, QT_TRANSLATE_NOOP("SettingNames", "Dive Mode")},
    {0x64, 0x64, QT_TRANSLATE_NOOP("SettingNames", "Light")},
    {0x65, 0x65, QT_TRANSLATE_NOOP("SettingNames", "Dive Alarms")},
    {0x66, 0x67, QT_TRANSLATE_NOOP("SettingNames", "Time Alarm")},
    {0x68, 0x69, QT_TRANSLATE_NOOP("SettingNames", "Depth Alarm")},
};

}  // namespace

QString SettingNames::At(std::uint32_t address)
{
    for (const Span& span : kSpans)
        if (address >= span.first && address <= span.last)
            return QCoreApplication::translate("SettingNames", span.name);
    return QString();
}
