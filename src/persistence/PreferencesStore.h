#pragma once
// The per-user preferences: sections of named boolean, integer and string values, kept by
// QSettings for "Hallvex"/"Tidewell" (~/.config/Hallvex/Tidewell.conf on Linux, the
// registry key HKCU\Software\Hallvex\Tidewell on Windows). A section is a group of that
// store; the unnamed section "" is its top level.

#include "device/CStdStr.h"

#include <QSettings>
#include <QString>

class PreferencesStore {
public:
    PreferencesStore();
    PreferencesStore(const PreferencesStore&) = delete;
    PreferencesStore& operator=(const PreferencesStore&) = delete;

    // Each read returns defaultValue when the key is absent (or, for an integer, is not one).
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    CStdStr ReadString(const QString& section, const QString& key,
                       const CStdStr& defaultValue) const;

    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteString(const QString& section, const QString& key, const CStdStr& value);

    // Writes what is pending now, rather than when the store is destroyed. Returns the
    // message to show when the store could not be written, or an empty text.
    CStdStr Flush();

private:
    QSettings settings_;
};
