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
#include <QPointer>
#include <QStringList>
#include <QThread>

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"
#include "platform/SerialPorts.h"
#include "platform/VersionInformation.h"
#include "transfer/StoreProcedure.h"
#include "window/DeviceWorker.h"
#include "window/State.h"
#include "window/UnDo.h"

class PreferencesStore;
class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;
class RadioGroup;
class TAboutForm;
class THelpForm;

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
    // program's own file, from which the version information is read. `listPorts` fills
    // the port box.
    explicit TForm1(const QString& commandLine = ProcessCommandLine(), QWidget* parent = nullptr,
                    PortLister listPorts = EnumerateSerialPorts);
    ~TForm1() override;

    // The process's command line as one string, items with blanks in double quotes.
    static QString ProcessCommandLine();

    // Applies an event code to the state and switches the commands it names.
    void UpdateUi(std::uint32_t code);
    void SetChanged(bool changed);
    // The title names the settings file shown, or the dive computer when `file` is empty; a
    // "*" in it marks edits that would be lost.
    void NameInTitle(const QString& file);
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

    // Raises "Can't Enumerate Ports", the port box left as it was, when the ports cannot be
    // listed.
    void RefreshPortList();

    // Opens the settings file `name` as Open does once the person has chosen it: the same
    // status texts, events and error boxes.
    void OpenFile(const QString& name);

    const State& UiState() const { return state; }
    bool IsChanged() const { return Changed; }
    bool UndoIsEmpty() const { return undo.IsEmpty(); }
    const VersionInformation& Version() const { return versionInfo; }
    const QStringList& PortNames() const { return portNames; }

    static constexpr int KeepAlivePeriod = TDeviceWorker::KeepAlivePeriod;

    // The connection's worker, which does every exchange with the dive computer.
    TDeviceWorker& Worker() { return *worker; }
    // A request to the worker is under way: what starts a transfer or changes the
    // settings is disabled until it ends.
    bool IsBusy() const { return busy != Busy::None; }
    // Whether a dive computer is connected, as far as the window knows.
    bool IsConnected() const { return deviceOpen; }
    // Takes the controller that `make` makes as a successful Connect leaves one, without
    // looking for the dive computer: for a line known to have one.
    void AttachController(const TDeviceWorker::ControllerFactory& make);

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

    // Stops the Load or Store under way at the next block boundary.
    void CancelButtonClick();
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
    // Fills the port box; false, the box left as it was, when the ports cannot be listed.
    bool ListPorts();
    // At start-up a port list that cannot be read is no reason to refuse the window: files
    // can still be opened, edited and saved. The status pane says what is missing.
    void ListPortsAtStart();
    void SavePreferences(PreferencesStore& store);
    void ConnectSignals();
    // The commands' keys and the page keys (Keyboard).
    void SetUpKeyboard();
    // The names, descriptions and label buddies a screen reader speaks (Accessibility).
    void SetUpAccessibility();
    // What is under way on the worker.
    enum class Busy { None, Connect, Load, StoreRead, Store, Command };
    // Marks `what` under way and makes the window inert to everything that would start a
    // transfer or change the settings; Idle undoes it. Cancel is offered for Load and Store.
    void Begin(Busy what);
    void Idle();
    void ConnectWorker();
    // The worker's answers.
    void OnConnected(const DEVICE_DATA& detected);
    void OnLoaded(const DEVICE_DATA& record);
    void OnHeldRead(const DEVICE_DATA& held);
    void OnStored(const DEVICE_DATA& written);
    void OnCommandSent();
    void OnFailed(TDeviceWorker::Request request, std::exception_ptr failure, bool connectionLost);
    // The line is gone: the window shows not connected and says what to do.
    void ShowDisconnected(const QString& why);
    // The store's last step, and what follows a store that ended either way.
    void StorePlan(const StoreProcedure::Plan& plan);
    void StoreEnded();
    // The box that tells of a store that broke off or was canceled and names the way back;
    // after `connectionLost` the job is finished by connecting again first.
    void ReportBrokenStore(std::exception_ptr failure, const QString& backup, bool connectionLost);
    // Before something replaces settings that were neither stored nor saved: Store, Save,
    // Discard or Cancel. True when the caller may go on; `purpose` names what it does.
    // After Store the caller does not go on at once: `then` runs once the store succeeded.
    bool MaySaveChanges(const QString& purpose, std::function<void()> then);
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
    QPushButton* CancelButton = nullptr;
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
    // The settings shown as they were loaded, opened or stored, before any edit: they name
    // the dive computer the settings came from. Empty until the editors have values.
    std::optional<DEVICE_DATA> settingsOrigin;
    // The store under way: its backup, for the message when it breaks off.
    QString storeBackup;
    // A Store On Exit runs: the exit goes on when it ends, or is called off and these
    // commands come back.
    bool exitAfterStore = false;
    std::vector<CommandState> exitCommands;
    // What follows a store that the person chose in place of losing changes.
    std::function<void()> afterStore;
    // The window was asked to close during a transfer: it closes when the transfer ends.
    bool closeAfterTransfer = false;
    bool deviceOpen = false;
    Busy busy = Busy::None;
    QPointer<QWidget> focusBeforeTransfer;
    // Cancel was asked for during the request under way: a store stops before it writes.
    bool cancelAsked = false;

    QThread workerThread;
    TDeviceWorker* worker = nullptr;  // lives on workerThread, deleted when it finishes
    PortLister listPorts;
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
