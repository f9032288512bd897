#pragma once
// Save and Open through the main window's buttons and the scripted dialogs.

#include <QObject>
#include <QTemporaryDir>

#include <memory>

class ScriptedModal;
class TForm1;

class FileCommandsTest : public QObject {
    Q_OBJECT

public:
    FileCommandsTest();
    ~FileCommandsTest() override;

private slots:
    void init();
    void cleanup();

    void saveThenOpenGivesTheSameSettings();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();
    void cancelKeepsTheStatus_data();
    void cancelKeepsTheStatus();
    void failedSaveLeavesTheOldFile_data();
    void failedSaveLeavesTheOldFile();
    void onlyRegularFilesAreOpenedOrReplaced_data();
    void onlyRegularFilesAreOpenedOrReplaced();
    void undoEndsAtAnOpen();
    void filesWorkWhenThePortsCannotBeListed();

private:
    QString Path(const QString& name) const;
    // Writes a settings file of SampleRecord(variant) and returns its path.
    QString SampleFile(int variant);
    void OpenFile(const QString& path);
    void SaveFile(const QString& path);

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<ScriptedModal> modal;
    std::unique_ptr<TForm1> window;
};
