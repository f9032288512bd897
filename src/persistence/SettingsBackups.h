#pragma once
// What a dive computer held before a store, kept as settings files: one folder per dive
// computer, <backups>/<model>-<serial number>/, and in it one file per store named by its
// date and time in UTC and its number in the order of writing, 2026-12-10-143012Z-21.kvx.
// The Kept written last of each dive computer stay, whatever the clock said when they
// were written; the local-time names of earlier versions (2026-12-10-143012.kvx,
// 2026-12-10-143012-2.kvx) count as written before all numbered ones. Files of other
// names are never touched.

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
    // made at `when`, and returns the file's path; then removes the oldest by writing
    // beyond Kept, never the one just written.
    // Throws std::runtime_error with the reason when the file cannot be written; an
    // existing file is never replaced.
    QString Save(const DEVICE_DATA& held, const VersionInformation& info,
                 const QDateTime& when) const;

    // The folder of the dive computer that `record` names by model and serial number.
    QString FolderOf(const DEVICE_DATA& record) const;
    // Its backups, oldest by writing first.
    QStringList Of(const DEVICE_DATA& record) const;

private:
    QString folder_;
};
