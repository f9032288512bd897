#include "SettingsFiles.h"

#include "Failure.h"

#include "persistence/FileTarget.h"
#include "persistence/SettingsFile.h"
#include "platform/VersionInformation.h"

#include <QCoreApplication>

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

QString CannotWrite(const QString& path, const QString& why)
{
    return QStringLiteral("cannot write %1: %2 (%3)")
        .arg(path, why, QString::fromStdWString(StatusText(SaveOutcome::SaveFailed)));
}

}  // namespace

DEVICE_DATA ReadSettingsFrom(const QString& path)
{
    const VersionInformation& info = ProgramVersion();
    DEVICE_DATA record{};
    QString why;
    const OpenOutcome outcome = OpenSettingsFile(path, info, record, &why);
    switch (outcome) {
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
    if (!why.isEmpty())
        throw Failure{ExitFileIo,
                      QStringLiteral("cannot read %1: %2 (%3)").arg(path, why, Status(outcome))};
    throw Failure{ExitBadFile, QStringLiteral("%1 ends before its %2 bytes of settings (%3)")
                                   .arg(path)
                                   .arg(SettingsFile::BodySize)
                                   .arg(Status(OpenOutcome::ReadFailure))};
}

void RefuseUnwritable(const QString& path)
{
    const QString why = FileTarget::WhyNotWritable(path);
    if (!why.isEmpty())
        throw Failure{ExitFileIo, CannotWrite(path, why)};
}

void WriteSettingsTo(const QString& path, const DEVICE_DATA& record)
{
    QString why;
    if (SaveSettingsFile(path, ProgramVersion(), record, &why) != SaveOutcome::Saved)
        throw Failure{ExitFileIo, CannotWrite(path, why)};
}
