#include "persistence/SettingsBackups.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>
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

const QString kStampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

// A backup's name: its stamp and, from the second of a second, its number.
const QRegularExpression& BackupName()
{
    static const QRegularExpression name(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}-\\d{6})(?:-(\\d+))?\\.kvx$"));
    return name;
}

[[noreturn]] void CannotWrite(const QString& path, const QString& reason)
{
    throw std::runtime_error(
        QStringLiteral("Cannot write the backup %1: %2.").arg(path, reason).toStdString());
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
    std::vector<std::pair<std::pair<QString, int>, QString>> found;
    const QDir folder(FolderOf(record));
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = BackupName().match(name);
        if (match.hasMatch())
            found.push_back({{match.captured(1), match.captured(2).toInt()}, name});
    }
    std::sort(found.begin(), found.end());
    QStringList paths;
    for (const auto& backup : found)
        paths << folder.filePath(backup.second);
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

    const QString stamp = when.toString(kStampFormat);
    QString path = QDir(folder).filePath(stamp + QStringLiteral(".kvx"));
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1-%2.kvx").arg(stamp).arg(n));

    QString why;
    if (SaveSettingsFile(path, info, held, &why) != SaveOutcome::Saved)
        CannotWrite(path, why);

    const QStringList all = Of(held);
    for (qsizetype i = 0; i + Kept < all.size(); ++i)
        QFile::remove(all[i]);  // one left over is no harm: the new backup is written
    return path;
}
