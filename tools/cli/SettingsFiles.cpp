#include "SettingsFiles.h"

#include "Failure.h"

#include "persistence/SettingsFile.h"
#include "platform/VersionInformation.h"

#include <QCoreApplication>
#include <QFile>

namespace {

// The file header names the program through its version information, read from this
// program's own file as the window reads it from its own.
const VersionInformation& ProgramVersion()
{
    static VersionInformation info;
    if (!info.Valid()) {
        info.SetFileName(QCoreApplication::applicationFilePath().toStdWString());
        if (!info.Read())
            throw Failure{ExitOtherFailure,
                          QStringLiteral("the version information of %1 cannot be read (Info Not "
                                         "Available)")
                              .arg(QCoreApplication::applicationFilePath())};
    }
    return info;
}

QString Status(OpenOutcome outcome)
{
    return QString::fromStdWString(StatusText(outcome));
}

}  // namespace

DEVICE_DATA ReadSettingsFrom(const QString& path)
{
    const VersionInformation& info = ProgramVersion();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{ExitFileIo,
                      QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    DEVICE_DATA record{};
    switch (const OpenOutcome outcome = ReadSettingsFile(file, info, record)) {
        case OpenOutcome::Opened:
            return record;
        case OpenOutcome::IncompatibleFileType:
            throw Failure{ExitBadFile,
                          QStringLiteral("%1 is no Tidewell settings file, or its header "
                                         "is damaged (%2)")
                              .arg(path, Status(outcome))};
        case OpenOutcome::FileNotOpen:
        case OpenOutcome::ReadFailure:
            break;
    }
    throw Failure{ExitBadFile, QStringLiteral("%1 ends before its %2 bytes of settings (%3)")
                                   .arg(path)
                                   .arg(SettingsFile::BodySize)
                                   .arg(Status(OpenOutcome::ReadFailure))};
}

void WriteSettingsTo(const QString& path, const DEVICE_DATA& record)
{
    if (SaveSettingsFile(path, ProgramVersion(), record) != SaveOutcome::Saved)
        throw Failure{ExitFileIo,
                      QStringLiteral("cannot write %1 (%2)")
                          .arg(path, QString::fromStdWString(StatusText(SaveOutcome::SaveFailed)))};
}
