// Save and Open: the settings shown, kept in a settings file.
#include "persistence/SettingsFile.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

void TForm1::SaveButtonClick()
{
    const QString name = Modal::Current().SaveFileName(this, QString::fromStdWString(LastSaveFile));
    if (name.isEmpty())
        return;
    LastSaveFile = name.toStdWString();
    ShowStatus(QStringLiteral("Saving To File"));
    GatherSettings();
    if (SaveSettingsFile(name, versionInfo, CurrentSettings) != SaveOutcome::Saved) {
        ShowStatus(QString::fromStdWString(StatusText(SaveOutcome::SaveFailed)));
        return;
    }
    ShowStatus(QStringLiteral("Ready"));
    UpdateUi(UiFileSaved);
}

void TForm1::OpenButtonClick()
{
    const QString name = Modal::Current().OpenFileName(this, QString::fromStdWString(LastOpenFile));
    if (name.isEmpty()) {
        UpdateUi(UiFileOpenFailed);
        return;
    }
    LastOpenFile = name.toStdWString();
    ShowStatus(QStringLiteral("Loading From File"));
    const OpenOutcome outcome = OpenSettingsFile(name, versionInfo, CurrentSettings);
    if (outcome != OpenOutcome::Opened) {
        UpdateUi(UiFileOpenFailed);
        ShowStatus(QString::fromStdWString(StatusText(outcome)));
        return;
    }
    DisplaySettings();
    ShowStatus(QStringLiteral("Ready"));
    UpdateUi(UiFileOpened);
}
