#pragma once
// The main window: every control of the form, the state machine that decides which
// commands are available, and the handlers of the person's work. Its methods are spread
// over the units Main (life cycle, state machine), Buttoncontrols (the device commands),
// Editors (display, gather, settings editors and undo), Filecontrols (Save and Open),
// Preferences, Menucontrols and Portcontrols.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QMainWindow>
#include <QPixmap>
#include <QStringList>

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"
#include "platform/VersionInformation.h"
#include "window/State.h"
#include "window/UnDo.h"

class PreferencesStore;
class QAction;
class QLabel;
class QProgressBar;
class QTimer;
class QToolButton;
class RadioGroup;
class TAboutForm;
class THelpForm;
class TRefreshThread;

namespace kAPI {
class Device_Type1_Control;
}

namespace Ui {
class TForm1;
}

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // `commandLine` as the operating system reports it; its first item names the
    // program's own file, from which the version information is read.
    explicit TForm1(const QString& commandLine = ProcessCommandLine(), QWidget* parent = nullptr);
    ~TForm1() override;

    // The process's command line as one string, items with blanks in double quotes.
    static QString ProcessCommandLine();

    // Applies an event code to the state and switches the commands it names.
    void UpdateUi(std::uint32_t code);
    void SetChanged(bool changed);
    // Both repaint at once, so they show while the main thread is busy in a transfer.
    void ShowStatus(const QString& text);
    void ShowProgress(int percent);
    void EnableSettingGroups(bool on);

    void DisplaySettings();
    void GatherSettings();

    void PushUndoBytes(std::uint16_t offset, std::uint16_t size, const std::uint8_t* bytes);
    void PushUndoByte(std::uint16_t offset, std::uint8_t value);
    void PushUndoWord(std::uint16_t offset, std::uint16_t value);
    void UndoLastEdit();
    void EnableUndoButton(bool offer);

    void RefreshPortList();

    // Opens the settings file `name` as Open does once the person has chosen it: the same
    // status texts, events and error boxes.
    void OpenFile(const QString& name);

    const State& UiState() const { return state; }
    bool IsChanged() const { return Changed; }
    bool UndoIsEmpty() const { return undo.IsEmpty(); }
    const VersionInformation& Version() const { return versionInfo; }
    const QStringList& PortNames() const { return portNames; }

    static constexpr int KeepAlivePeriod = 30000;
    // Sent by the refresh worker when its keep-alive exchange is done: re-arms the timer.
    void RefreshDoneMessage();

    // Indices into the tool-button image list.
    enum Glyph {
        GlyphExit = 0,
        GlyphHelp = 1,
        GlyphConnected = 2,
        GlyphNotConnected = 3,
        GlyphUndo = 4,
        GlyphLoad = 6,
        GlyphStore = 8,
        GlyphOpen = 10,
        GlyphSave = 12,
    };

public slots:
    void ConnectButtonClick();
    void LoadButtonClick();
    void StoreButtonClick();
    void CommandSendButtonClick();
    void SaveButtonClick();
    void OpenButtonClick();
    void ExitButtonClick();
    void UndoButtonClick();
    void HelpButtonClick();
    void PersonalDataClick();
    void ComSelectDropDown();
    void ComSelectSelect();

    void KeepAliveTick();
    void KeepConnectionOpenClick();
    void RefreshOnConnectClick();
    void AutoSave1Click();
    void About1Click();
    void ShowHelp1Click();
    void EnableByteControls1Click();

    // Editors: each marks the settings changed, saves the old bytes for undo and writes
    // the new value into the record.
    void DiveModelClick();
    void SampleRateBoxClick();
    void LightEnableCheckClick();
    void LiteTimeChange();
    void LiteTimeExit();
    void TotalTimeHoursChange();
    void TotalTimeMinutesChange();
    void TotalTimeExit();
    void TotalDivesEditChange();
    void MaxDepthEditChange();
    void PersonalSettingClick();
    void AltitudeSettingClick();
    void DepthAlarmEnableCheckClick();
    void TimeAlarmEnableCheckClick();
    void DepthAlarmEditChange();
    void TimeAlarmEditChange();
    void UnitsClick();
    void ClockBoxClick();
    void SerialNumberChange();
    void CompIDEditChange();
    void FirmwareEditChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetGlyph(QToolButton* button, int glyph);
    void SetCommand(QToolButton* button, QAction* item, int glyph, bool on);
    void ShowHelp();
    void FormClose();
    void RestorePreferences(const PreferencesStore& store);
    void SavePreferences(PreferencesStore& store);
    void ConnectSignals();
    // The commands' keys and the page keys (Keyboard).
    void SetUpKeyboard();
    // The names, descriptions and label buddies a screen reader speaks (Accessibility).
    void SetUpAccessibility();
    // Runs one settings transfer with the controller claimed and the keep-alive timer's
    // period reset (and the timer held when `holdTimer`). Returns false, with the failure
    // shown, when there is no controller or the transfer fails; what it threw goes to
    // `failure` when given.
    bool Transfer(bool holdTimer, const std::function<void(kAPI::Device_Type1_Control&)>& transfer,
                  const QString& failureStatus, std::uint32_t failureEvent,
                  std::exception_ptr* failure = nullptr);
    // Store's steps: whether to store on `connected`, a dive computer other than the one the
    // settings came from; what the dive computer holds, read for the backup; the box that
    // tells of a store that broke off and names the way back.
    bool StoreOnOtherConfirmed(const DEVICE_DATA& connected);
    bool ReadForBackup(DEVICE_DATA& held);
    void ReportBrokenStore(std::exception_ptr failure, const QString& backup);
    // True when the window may close: nothing would be lost, or the person said so.
    bool CloseConfirmed();
    // The commands' states, put back when the person calls an exit off.
    struct CommandState {
        QToolButton* button;
        QAction* item;
        bool on;
        int glyph;
    };
    std::vector<CommandState> Commands() const;
    void RestoreCommands(const std::vector<CommandState>& states);
    // Runs a handler; what it throws is shown in the application's error box.
    void Run(void (TForm1::*handler)());
    template <typename Sender, typename Signal>
    void On(Sender* sender, Signal signal, void (TForm1::*handler)());

    std::unique_ptr<Ui::TForm1> ui;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* StatusBar1 = nullptr;
    QTimer* KeepAliveTimer = nullptr;
    // What a tick of KeepAliveTimer does: nothing (null) or KeepAliveTick.
    void (TForm1::*keepAliveHandler)() = nullptr;
    std::vector<QPixmap> ImageList1;
    RadioGroup* DiveModel = nullptr;
    RadioGroup* SampleRateBox = nullptr;
    RadioGroup* PersonalSetting = nullptr;
    RadioGroup* AltitudeSetting = nullptr;
    RadioGroup* Units = nullptr;
    RadioGroup* ClockBox = nullptr;

    bool KeepOpenFlag = false;
    bool StoreOnExitFlag = false;
    bool RefreshOnConnectFlag = false;
    bool Changed = false;
    // Edits made since the settings were last loaded, stored, saved or opened.
    bool unsavedEdits = false;
    // The person agreed to close over changes that could not be stored.
    bool closeConfirmed = false;
    // The next light-time change after the control gained focus pushes an undo entry.
    bool LiteTimeFirstChange = true;
    bool restored = false;  // the preferences are read at the first showing only

    // What the connected dive computer holds, as this connection last read or wrote it;
    // empty when that is not known (nothing read yet, a new connection, a broken-off store).
    std::optional<DEVICE_DATA> heldByDevice;

    std::unique_ptr<TRefreshThread> refreshThread;
    QStringList portNames;
    State state;
    CUnDo undo;
    VersionInformation versionInfo;
    // Made when About is first chosen: nobody sees it before, and a start need not build it.
    std::unique_ptr<TAboutForm> aboutForm;
    // The guide, made when Help is first chosen; it stays open beside the window.
    std::unique_ptr<THelpForm> helpForm;
};

// Splits a command line into its items: an item in double quotes runs to the next quote
// that no backslash precedes; others end at a blank. Returns item `index`, or "" when
// there is none.
QString ParamString(const QString& commandLine, int index);
int ParamCount(const QString& commandLine);

// The sample intervals in seconds, in the order of the sample-rate items.
constexpr std::uint8_t SampleRateCodes[4] = {10, 20, 30, 60};
