#pragma once
// The preferences as the main window reads them at its first showing and writes them when
// it closes, across restarts of the window within the test.

#include <QObject>

#include <memory>

namespace e2e {
class EmulatorProcess;
}
class ScriptedModal;
class TForm1;

class PreferencesWindowTest : public QObject {
    Q_OBJECT

public:
    PreferencesWindowTest();
    ~PreferencesWindowTest() override;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void firstRunDefaults_data();
    void firstRunDefaults();
    void choicesSurviveARestart();
    void storedValuesComeBackAndAreKept();
    void typedPortPathComesBack();
    void maximizedSurvivesARestart();
    void keepConnectionOpenArmsNothingUntilAsked_data();
    void keepConnectionOpenArmsNothingUntilAsked();

private:
    // Announces a port named `name` as the emulator does, pointing at `target`.
    void AnnouncePort(const QString& name, const QString& target);
    // Closes the window as the person does, which writes the preferences, and destroys it.
    void CloseWindow();

    std::unique_ptr<e2e::EmulatorProcess> emulator;  // a dive computer to connect to
    QString emulatorPort;
    std::unique_ptr<ScriptedModal> modal;
    std::unique_ptr<TForm1> window;
};
