#include "persistence/SettingsBackups.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include "device/ModelTable.h"
#include "persistence/SettingsFile.h"

namespace {

// A backup's name: when it was written, in UTC ("Z"), and its number in the order of
// writing, 2026-12-10-143012Z-21.kvx. Backups of earlier versions were named by local
// time, 2026-12-10-143012.kvx, and from the second of a second -2, -3, ...: they are
// older than every numbered one.
const QString kStampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

const QRegularExpression& BackupName()
{
    static const QRegularExpression name(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}-\\d{6})(?:Z-([1-9]\\d{0,17})|-(\\d{1,9}))?\\.kvx$"));
    return name;
}

// Where a backup stands in the order of writing. A clock that went back (travel, the end
// of summer time) does not move it: its number does not come from the clock.
struct WriteOrder {
    qint64 number = 0;  // 0: named by local time, before backups were numbered
    QString stamp;
    qint64 sameSecond = 0;

    bool operator<(const WriteOrder& other) const
    {
        return std::tie(number, stamp, sameSecond) <
               std::tie(other.number, other.stamp, other.sameSecond);
    }
};

[[noreturn]] void CannotWrite(const QString& path, const QString& reason)
{
    throw std::runtime_error(
        QStringLiteral("Cannot write the backup %1: %2.").arg(path, reason).toStdString());
}

// The backups in `folder`, oldest by writing first.
std::vector<std::pair<WriteOrder, QString>> Backups(const QDir& folder)
{
    std::vector<std::pair<WriteOrder, QString>> found;
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = BackupName().match(name);
        if (match.hasMatch())
            found.push_back({{match.captured(2).toLongLong(), match.captured(1),
                              match.captured(3).toLongLong()},
                             folder.filePath(name)});
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

QString SettingsBackups::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Hallvex/Tidewell/backups");
}

SettingsBackups::SettingsBackups(const QString& folder) : folder_(folder)
{
}

QString SettingsBackups::FolderOf(const DEVICE_DATA& record) const
{
    // An unknown model keeps its code, so that two of them are not taken for one.
    QString model = QString::fromStdWString(DeviceData::ModelNameOf(record.modelCode));
    if (model == QStringLiteral("Unknown"))
        model += QString::number(record.modelCode);
    return QDir(folder_).filePath(
        QStringLiteral("%1-%2").arg(model).arg(DeviceData::SerialNumberOf(record)));
}

QStringList SettingsBackups::Of(const DEVICE_DATA& record) const
{
    QStringList paths;
    for (const auto& backup : Backups(QDir(FolderOf(record))))
        paths << backup.second;
    return paths;
}

QString SettingsBackups::Save(const DEVICE_DATA& held, const VersionInformation& info,
                              const QDateTime& when) const
{
    const QString folder = FolderOf(held);
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error)
        CannotWrite(folder, QString::fromLocal8Bit(error.message().c_str()));

    const auto before = Backups(QDir(folder));
    qint64 number = before.empty() ? 1 : before.back().first.number + 1;
    const QString stamp = when.toUTC().toString(kStampFormat);
    QString path;
    for (;; ++number) {
        path = QDir(folder).filePath(QStringLiteral("%1Z-%2.kvx").arg(stamp).arg(number));
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            break;
    }

    QString why;
    if (SaveSettingsFile(path, info, held, &why) != SaveOutcome::Saved)
        CannotWrite(path, why);

    // The oldest by writing go; the one just written stays whatever its stamp says.
    QStringList older = Of(held);
    older.removeAll(path);
    for (qsizetype i = 0; i + Kept - 1 < older.size(); ++i)
        QFile::remove(older[i]);  // one left over is no harm: the new backup is written
    return path;
}
