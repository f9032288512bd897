#pragma once
// What a dive computer held before a store, kept as settings files: one folder per dive
// computer, <backups>/<model>-<serial number>/, and in it one file per store named by its
// date and time, 2026-12-10-143012.kvx (a second one in the same second gets -2, -3, ...).
// The newest Kept of each dive computer stay; files of other names are never touched.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "device/DEVICE_DATA.h"

class VersionInformation;

class SettingsBackups {
public:
    static constexpr int Kept = 20;

    // The user's own data folder: ~/.local/share/Hallvex/Tidewell/backups on Linux.
    static QString DefaultFolder();

    explicit SettingsBackups(const QString& folder = DefaultFolder());

    // Keeps `held`, what the dive computer it names holds, as the newest of its backups,
    // made at `when`, and returns the file's path; then removes the oldest beyond Kept.
    // Throws std::runtime_error with the reason when the file cannot be written; an
    // existing file is never replaced.
    QString Save(const DEVICE_DATA& held, const VersionInformation& info,
                 const QDateTime& when) const;

    // The folder of the dive computer that `record` names by model and serial number.
    QString FolderOf(const DEVICE_DATA& record) const;
    // Its backups, oldest first.
    QStringList Of(const DEVICE_DATA& record) const;

private:
    QString folder_;
};
