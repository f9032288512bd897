#include "persistence/PreferencesStore.h"

namespace {

QString Path(const QString& section, const QString& key)
{
    return section.isEmpty() ? key : section + QLatin1Char('/') + key;
}

}  // namespace

PreferencesStore::PreferencesStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Hallvex"),
                QStringLiteral("Tidewell"))
{
}

bool PreferencesStore::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return settings_.value(Path(section, key), defaultValue).toBool();
}

int PreferencesStore::ReadInteger(const QString& section, const QString& key,
                                  int defaultValue) const
{
    bool isNumber = false;
    const int value = settings_.value(Path(section, key), defaultValue).toInt(&isNumber);
    return isNumber ? value : defaultValue;
}

CStdStr PreferencesStore::ReadString(const QString& section, const QString& key,
                                     const CStdStr& defaultValue) const
{
    return settings_.value(Path(section, key), QString::fromStdWString(defaultValue))
        .toString()
        .toStdWString();
}

void PreferencesStore::WriteBool(const QString& section, const QString& key, bool value)
{
    settings_.setValue(Path(section, key), value);
}

void PreferencesStore::WriteInteger(const QString& section, const QString& key, int value)
{
    settings_.setValue(Path(section, key), value);
}

void PreferencesStore::WriteString(const QString& section, const QString& key, const CStdStr& value)
{
    settings_.setValue(Path(section, key), QString::fromStdWString(value));
}

CStdStr PreferencesStore::Flush()
{
    settings_.sync();
    switch (settings_.status()) {
        case QSettings::NoError:
            return CStdStr();
        case QSettings::AccessError:
            return (QStringLiteral("Cannot write the preferences to ") + settings_.fileName())
                .toStdWString();
        case QSettings::FormatError:
            break;
    }
    return (QStringLiteral("The preferences in ") + settings_.fileName() +
            QStringLiteral(" cannot be read"))
        .toStdWString();
}
