// Save and Open: the settings shown, kept in a settings file.
#include <QFileInfo>

#include "persistence/SettingsFile.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

namespace {

// The status pane keeps the short text of the outcome; the reason goes into a box, since a
// file that a person takes for saved, or for opened, must not go wrong unnoticed.
void ShowReason(QWidget* window, const QString& caption, const QString& text)
{
    Modal::Current().Message(window, text, caption, QMessageBox::Ok, QMessageBox::Critical);
}

}  // namespace

void TForm1::SaveButtonClick()
{
    const QString name = Modal::Current().SaveFileName(this, QString::fromStdWString(LastSaveFile));
    if (name.isEmpty())
        return;
    LastSaveFile = name.toStdWString();
    ShowStatus(QStringLiteral("Saving To File"));
    GatherSettings();
    QString why;
    if (SaveSettingsFile(name, versionInfo, CurrentSettings, &why) != SaveOutcome::Saved) {
        const QString status = QString::fromStdWString(StatusText(SaveOutcome::SaveFailed));
        ShowStatus(status);
        ShowReason(this, status, QStringLiteral("Cannot write %1: %2.").arg(name, why));
        return;
    }
    ShowStatus(tr("The settings were saved to %1.").arg(QFileInfo(name).fileName()));
    NameInTitle(name);
    UpdateUi(UiFileSaved);
}

void TForm1::OpenButtonClick()
{
    if (IsBusy() || !MaySaveChanges(tr("opening a settings file"), [this] { OpenButtonClick(); }))
        return;
    const QString name = Modal::Current().OpenFileName(this, QString::fromStdWString(LastOpenFile));
    if (name.isEmpty()) {
        UpdateUi(UiFileOpenFailed);
        return;
    }
    OpenFile(name);
}

void TForm1::OpenFile(const QString& name)
{
    LastOpenFile = name.toStdWString();
    ShowStatus(QStringLiteral("Loading From File"));
    QString why;
    const OpenOutcome outcome = OpenSettingsFile(name, versionInfo, CurrentSettings, &why);
    if (outcome != OpenOutcome::Opened) {
        UpdateUi(UiFileOpenFailed);
        const QString status = QString::fromStdWString(StatusText(outcome));
        ShowStatus(status);
        if (!why.isEmpty())
            ShowReason(this, status, QStringLiteral("Cannot read %1: %2.").arg(name, why));
        else if (outcome == OpenOutcome::IncompatibleFileType)
            ShowReason(this, status,
                       tr("%1 is not a Tidewell settings file. Nothing was changed.").arg(name));
        else
            ShowReason(this, status,
                       tr("%1 ends before all the settings. Nothing was changed.").arg(name));
        return;
    }
    settingsOrigin = CurrentSettings;
    DisplaySettings();
    ShowStatus(QStringLiteral("Ready"));
    NameInTitle(name);
    UpdateUi(UiFileOpened);
}
