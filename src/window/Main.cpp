#include "window/Main.h"

#include <future>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QResource>
#include <QStatusBar>
#include <QTabBar>

#include "controls/Bmspinedit.h"
#include "controls/NumberEdit.h"
#include "platform/AboutForm.h"
#include "platform/ApplicationIcon.h"
#include "ui_Main.h"
#include "window/Application.h"
#include "window/Externals.h"
#include "window/HelpForm.h"
#include "window/RadioGroup.h"
#include "window/StatusAnnouncer.h"

namespace {

const char* const kGlyphFiles[] = {
    "00_exit",  "01_help",           "02_connected", "03_not_connected",
    "04_undo",  "05_undo_disabled",  "06_load",      "07_load_disabled",
    "08_store", "09_store_disabled", "10_open",      "11_open_disabled",
    "12_save",  "13_save_disabled",
};

constexpr int kGlyphWidth = 48;
constexpr int kGlyphHeight = 32;

// Each glyph is the pixels its SVG drawing was rendered into at build time: a premultiplied
// ARGB32 image, stored uncompressed, shown straight from the program's resource without
// decoding or copying. One that is missing shows as no picture.
std::vector<QPixmap> LoadGlyphs()
{
    std::vector<QPixmap> glyphs;
    for (const char* name : kGlyphFiles) {
        const QResource pixels(QStringLiteral(":/glyphs/%1.argb32").arg(QLatin1String(name)));
        if (pixels.compressionAlgorithm() != QResource::NoCompression ||
            pixels.size() != kGlyphWidth * kGlyphHeight * 4) {
            glyphs.emplace_back();
            continue;
        }
        // The resource's data lives as long as the program: the image may keep pointing at
        // it, when it is aligned for whole pixels.
        QImage image(pixels.data(), kGlyphWidth, kGlyphHeight, QImage::Format_ARGB32_Premultiplied);
        if (reinterpret_cast<quintptr>(pixels.data()) % alignof(quint32) != 0)
            image = image.copy();
        glyphs.push_back(QPixmap::fromImage(image));
    }
    return glyphs;
}

// The form's own face, or a narrow one where it is missing, so that every caption fits the
// fixed window. Only the faces this machine has are named: the first of them is the one
// chosen in any case, and a missing face named first would have the font matching look
// for stand-ins for it too.
QFont FormFace()
{
    const QStringList wanted = {QStringLiteral("MS Sans Serif"),
                                QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Liberation Sans Narrow")};
    // Not hasFamily(), which for a missing face asks the system for stand-ins itself. A
    // family that several foundries make is listed once for each, as "Family [Foundry]".
    QStringList installed = QFontDatabase::families();
    for (QString& family : installed)
        family = family.section(QStringLiteral(" ["), 0, 0);
    QStringList present;
    for (const QString& family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive))
            present << family;
    QFont face;
    face.setFamilies(present.isEmpty() ? wanted : present);
    return face;
}

}  // namespace

QString TForm1::ProcessCommandLine()
{
    QStringList items;
    for (const QString& arg : QCoreApplication::arguments())
        items << (arg.contains(QLatin1Char(' ')) ? QLatin1Char('"') + arg + QLatin1Char('"') : arg);
    return items.join(QLatin1Char(' '));
}

TForm1::TForm1(const QString& commandLine, QWidget* parent, PortLister listPorts)
    : QMainWindow(parent),
      ui(new Ui::TForm1),
      ImageList1(LoadGlyphs()),
      listPorts(std::move(listPorts))
{
    Form1 = this;
    // The application's face, made before the controls exist, so that they are laid out once,
    // in it. The form builds its pages without a parent and hands them to the window only
    // afterwards: a face for this window alone would have every control on a page load and
    // lay out the system face first. The menus and dialogs that belong to the window then
    // share its face.
    QApplication::setFont(FormFace());
    ui->setupUi(this);
    // The tab captions in regular weight, for the same reason.
    QFont tabs = font();
    tabs.setBold(false);
    ui->PageControl1->tabBar()->setFont(tabs);
    setFixedSize(size());
    setWindowIcon(ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFixedWidth(200);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    StatusBar1 = new QLabel(QStringLiteral("Ready {no device}"), this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    CancelButton = new QPushButton(tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setShortcut(QKeySequence(Qt::Key_Escape));
    CancelButton->setToolTip(tr("Stops the transfer at the next block (Esc)."));
    CancelButton->setAccessibleName(tr("Cancel the transfer"));
    CancelButton->hide();
    statusBar()->addWidget(ProgressBar1);
    statusBar()->addWidget(StatusBar1, 1);
    statusBar()->addPermanentWidget(CancelButton);
    statusBar()->setSizeGripEnabled(false);

    DiveModel = new RadioGroup(ui->DiveModel);
    SampleRateBox = new RadioGroup(ui->SampleRateBox);
    PersonalSetting = new RadioGroup(ui->PersonalSetting);
    AltitudeSetting = new RadioGroup(ui->AltitudeSetting);
    Units = new RadioGroup(ui->Units);
    ClockBox = new RadioGroup(ui->ClockBox);
    ConnectSignals();
    SetUpKeyboard();
    SetUpAccessibility();

    worker = new TDeviceWorker();
    worker->moveToThread(&workerThread);
    connect(&workerThread, &QThread::finished, worker, &QObject::deleteLater);
    ConnectWorker();
    workerThread.start();

    const QString program = ParamString(commandLine, 0);
    if (!program.isEmpty()) {  // otherwise the information stays invalid
        versionInfo.SetFileName(program.toStdWString());
        versionInfo.Read();
    }

    UpdatingControls = false;
    SelectedPortIndex = 0;
    ListPortsAtStart();

    ui->ClockBox->setEnabled(false);
    SetGlyph(ui->ExitButton, GlyphExit);
    SetGlyph(ui->HelpButton, GlyphHelp);
    ui->ConnectButton->setProperty("commandOn", true);
    UpdateUi(UiReset);
}

TForm1::~TForm1()
{
    // The controls still report while the widgets are taken down, a focus leaving an edit
    // among them: no handler may run on a window that is half gone.
    for (QObject* control : findChildren<QObject*>())
        control->disconnect(this);
    FormClose();  // when destroyed without being closed
    if (Form1 == this)
        Form1 = nullptr;
    if (aboutForm && AboutForm == aboutForm.get())
        AboutForm = nullptr;
}

void TForm1::SetGlyph(QToolButton* button, int glyph)
{
    // The same picture in both modes: the disabled glyphs are pictures of their own.
    QIcon icon;
    icon.addPixmap(ImageList1[glyph], QIcon::Normal);
    icon.addPixmap(ImageList1[glyph], QIcon::Disabled);
    button->setIcon(icon);
    button->setProperty("glyphIndex", glyph);
}

void TForm1::SetCommand(QToolButton* button, QAction* item, int glyph, bool on)
{
    // What the state allows is kept apart from what a transfer under way allows.
    button->setProperty("commandOn", on);
    button->setEnabled(on && !IsBusy());
    if (item)
        item->setEnabled(on && !IsBusy());
    SetGlyph(button, on ? glyph : glyph + 1);
}

void TForm1::EnableUndoButton(bool offer)
{
    SetCommand(ui->UndoButton, nullptr, GlyphUndo, offer && !undo.IsEmpty());
}

void TForm1::UpdateUi(std::uint32_t code)
{
    if (code != UiExit)
        state.Apply(code);
    const bool loaded = state.bits & State::Loaded;
    const bool device = deviceOpen;
    // A successful Load gave the editors values, whatever came since.
    const bool settingsShown = settingsOrigin.has_value() || loaded;
    auto connectGlyph = [this](bool connected) {
        SetGlyph(ui->ConnectButton, connected ? GlyphConnected : GlyphNotConnected);
    };
    auto load = [this](bool on) { SetCommand(ui->LoadButton, ui->Load, GlyphLoad, on); };
    auto store = [this](bool on) { SetCommand(ui->StoreButton, ui->Store, GlyphStore, on); };
    auto open = [this](bool on) { SetCommand(ui->OpenButton, ui->Open, GlyphOpen, on); };
    auto save = [this](bool on) { SetCommand(ui->SaveButton, ui->Save, GlyphSave, on); };

    switch (code) {
        case UiReset:
            connectGlyph(false);
            load(false), store(false), open(true), save(false);
            EnableUndoButton(false);
            EnableSettingGroups(false);
            ui->PageControl1->setCurrentWidget(ui->CommPage);
            break;
        case UiConnected:
            heldByDevice.reset();  // a new connection: what its dive computer holds is unknown
            connectGlyph(true);
            load(true), store(settingsShown), open(true), save(settingsShown);
            EnableUndoButton(false);
            // Editors without values would show zeros a diver could take for the dive
            // computer's own.
            EnableSettingGroups(settingsShown);
            break;
        case UiNotConnected:
            heldByDevice.reset();
            connectGlyph(false);
            load(false), store(false), open(true), save(loaded);
            EnableUndoButton(Changed);
            break;
        case UiLoaded:
            NameInTitle(QString());
            connectGlyph(true);
            load(true), store(true), open(true), save(true);
            EnableUndoButton(false);
            Changed = false;
            break;
        case UiLoadFailed:
            load(true), store(Changed), open(true), save(Changed);
            EnableUndoButton(false);
            break;
        case UiStored:
            if (exitAfterStore)  // the exit goes on: its commands stay off
                break;
            connectGlyph(true);
            load(true), store(false), open(true), save(true);
            EnableUndoButton(false);
            break;
        case UiFileOpened:
            unsavedEdits = false;  // the shown settings are the file's
            setWindowModified(false);
            undo.Clear();  // an undo would write the earlier settings into these
            LiteTimeFirstChange = true;
            load(device), store(device), open(true), save(false);
            EnableUndoButton(false);
            EnableSettingGroups(true);
            break;
        case UiFileSaved:
            unsavedEdits = false;
            setWindowModified(false);
            load(device), open(true), save(false);
            EnableUndoButton(false);
            break;
        case UiClean:
            store(false), save(false);
            EnableUndoButton(false);
            undo.Clear();
            LiteTimeFirstChange = true;  // the next light-time change needs an entry of its own
            break;
        case UiChanged:
            store(true), save(true);
            EnableUndoButton(true);
            break;
        case UiUndoChanged:
            EnableUndoButton(true);
            break;
        case UiExit:
            connectGlyph(true);
            ui->ConnectButton->setProperty("commandOn", false);
            ui->ConnectButton->setEnabled(false);
            load(false), store(false), open(false), save(false);
            EnableUndoButton(false);
            break;
        default:  // UiStoreFailed, UiFileOpenFailed and unknown codes change no command
            break;
    }
}

void TForm1::SetChanged(bool changed)
{
    UpdateUi(changed ? UiChanged : UiClean);
    Changed = changed;
    unsavedEdits = changed;
    setWindowModified(changed);
}

void TForm1::NameInTitle(const QString& file)
{
    // An empty title lets the file path give it, with the place for the "*".
    setWindowTitle(file.isEmpty() ? tr("Kelvor Type1[*]") : QString());
    setWindowFilePath(file);
}

void TForm1::ShowStatus(const QString& text)
{
    StatusBar1->setText(text);
    StatusBar1->repaint();
    AnnounceStatus(StatusBar1, text);
}

void TForm1::ShowProgress(int percent)
{
    ProgressBar1->setValue(percent);
    ProgressBar1->repaint();
}

void TForm1::EnableSettingGroups(bool on)
{
    // A disabled group disables what it holds without touching their own enabled
    // states, so enabling it again brings back exactly what was enabled before. Device
    // Information goes with its four inner groups, so that its title greys with theirs.
    QWidget* const groups[] = {
        ui->CompModelBox,
        ui->DiveModel,
        ui->PersonalDataString,
        ui->LightTimer,
        ui->SerialNum,
        ui->MAXDepth,
        ui->ClockBox,
        ui->Units,
        ui->TotalDivesBox,
        ui->TotalTimeBox,
        ui->SampleRateBox,
        ui->AltitudeSetting,
        ui->PersonalSetting,
        ui->DiveAlarmsBox,
        ui->CompIDBox,
        ui->FirmwareBox,
        ui->DeviceInformationBox,
    };
    for (QWidget* group : groups)
        group->setEnabled(on);
}

void TForm1::FormClose()
{
    if (!workerThread.isRunning())
        return;
    // A transfer still under way ends at its next block. The port is closed on the worker's
    // thread before the window goes on, and all the worker did is seen to happen before.
    worker->RequestCancel();
    std::promise<void> closed;
    std::future<void> portClosed = closed.get_future();
    QMetaObject::invokeMethod(worker, [w = worker, &closed] {
        w->Disconnect();
        closed.set_value();
    });
    portClosed.wait();
    workerThread.quit();
    workerThread.wait();
    worker = nullptr;
    deviceOpen = false;
}

template <typename Sender, typename Signal>
void TForm1::On(Sender* sender, Signal signal, void (TForm1::*handler)())
{
    connect(sender, signal, this, [this, handler] { Run(handler); });
}

void TForm1::Run(void (TForm1::*handler)())
{
    try {
        (this->*handler)();
    } catch (...) {
        TApplication::ShowException(std::current_exception());
    }
}

void TForm1::ConnectSignals()
{
    On(ui->ConnectButton, &QToolButton::clicked, &TForm1::ConnectButtonClick);
    On(ui->LoadButton, &QToolButton::clicked, &TForm1::LoadButtonClick);
    On(ui->Load, &QAction::triggered, &TForm1::LoadButtonClick);
    On(ui->StoreButton, &QToolButton::clicked, &TForm1::StoreButtonClick);
    On(ui->Store, &QAction::triggered, &TForm1::StoreButtonClick);
    On(ui->OpenButton, &QToolButton::clicked, &TForm1::OpenButtonClick);
    On(ui->Open, &QAction::triggered, &TForm1::OpenButtonClick);
    On(ui->SaveButton, &QToolButton::clicked, &TForm1::SaveButtonClick);
    On(ui->Save, &QAction::triggered, &TForm1::SaveButtonClick);
    On(ui->UndoButton, &QToolButton::clicked, &TForm1::UndoButtonClick);
    On(ui->ExitButton, &QToolButton::clicked, &TForm1::ExitButtonClick);
    On(ui->Exit1, &QAction::triggered, &TForm1::ExitButtonClick);
    On(ui->HelpButton, &QToolButton::clicked, &TForm1::HelpButtonClick);
    On(ui->ShowHelp1, &QAction::triggered, &TForm1::ShowHelp1Click);
    On(ui->About1, &QAction::triggered, &TForm1::About1Click);
    On(ui->KeepConnectionOpen, &QAction::triggered, &TForm1::KeepConnectionOpenClick);
    On(ui->RefreshOnConnect, &QAction::triggered, &TForm1::RefreshOnConnectClick);
    On(ui->AutoSave1, &QAction::triggered, &TForm1::AutoSave1Click);
    On(ui->EnableByteControls1, &QAction::triggered, &TForm1::EnableByteControls1Click);
    On(ui->CommandSendButton, &QPushButton::clicked, &TForm1::CommandSendButtonClick);
    On(ui->ComSelect, &QComboBox::activated, &TForm1::ComSelectSelect);

    On(DiveModel, &RadioGroup::Click, &TForm1::DiveModelClick);
    On(SampleRateBox, &RadioGroup::Click, &TForm1::SampleRateBoxClick);
    On(PersonalSetting, &RadioGroup::Click, &TForm1::PersonalSettingClick);
    On(AltitudeSetting, &RadioGroup::Click, &TForm1::AltitudeSettingClick);
    On(Units, &RadioGroup::Click, &TForm1::UnitsClick);
    On(ClockBox, &RadioGroup::Click, &TForm1::ClockBoxClick);
    On(ui->LightEnableCheck, &QCheckBox::clicked, &TForm1::LightEnableCheckClick);
    On(ui->DepthAlarmEnableCheck, &QCheckBox::clicked, &TForm1::DepthAlarmEnableCheckClick);
    On(ui->TimeAlarmEnableCheck, &QCheckBox::clicked, &TForm1::TimeAlarmEnableCheckClick);
    On(ui->LiteTime, &TBMSpinEdit::OnChange, &TForm1::LiteTimeChange);
    On(ui->LiteTime, &TBMSpinEdit::OnExit, &TForm1::LiteTimeExit);
    On(ui->TotalTimeHours, &QLineEdit::textChanged, &TForm1::TotalTimeHoursChange);
    On(ui->TotalTimeMinutes, &QLineEdit::textChanged, &TForm1::TotalTimeMinutesChange);
    On(ui->TotalTimeHours, &TNumberEdit::OnExit, &TForm1::TotalTimeExit);
    On(ui->TotalTimeMinutes, &TNumberEdit::OnExit, &TForm1::TotalTimeExit);
    On(ui->TotalDivesEdit, &QLineEdit::textChanged, &TForm1::TotalDivesEditChange);
    On(ui->MaxDepthEdit, &QLineEdit::textChanged, &TForm1::MaxDepthEditChange);
    On(ui->DepthAlarmEdit, &QLineEdit::textChanged, &TForm1::DepthAlarmEditChange);
    On(ui->TimeAlarmEdit, &QLineEdit::textChanged, &TForm1::TimeAlarmEditChange);
    On(ui->SerialNumber, &QLineEdit::textChanged, &TForm1::SerialNumberChange);
    On(ui->CompIDEdit, &QLineEdit::textChanged, &TForm1::CompIDEditChange);
    On(ui->FirmwareEdit, &QLineEdit::textChanged, &TForm1::FirmwareEditChange);

    ui->PersonalData->installEventFilter(this);
    ui->ComSelect->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->PersonalData) {
        const bool click = event->type() == QEvent::MouseButtonRelease &&
                           static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        const bool key = event->type() == QEvent::KeyPress &&
                         (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                          static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space);
        if (click || key) {
            Run(&TForm1::PersonalDataClick);
            return key;
        }
    } else if (watched == ui->ComSelect) {
        // The list is read anew each time it drops down.
        const bool press = event->type() == QEvent::MouseButtonPress;
        const bool key = event->type() == QEvent::KeyPress &&
                         (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4 ||
                          (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down &&
                           (static_cast<QKeyEvent*>(event)->modifiers() & Qt::AltModifier)));
        if (press || key)
            Run(&TForm1::ComSelectDropDown);
    }
    return QMainWindow::eventFilter(watched, event);
}
