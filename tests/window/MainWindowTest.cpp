// The main window as a person meets it: its state right after start, the state machine
// that switches the commands, the command line and the version shown in About, and the
// port box filled from the ports present.

#include <memory>

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QToolButton>

#include "device/Device_Type1_Control.h"
#include "support/ScriptedModal.h"
#include "support/WindowTesting.h"

using namespace WindowTesting;

namespace {

// The groups that EnableSettingGroups switches: the sixteen setting groups, and " Device
// Information " around four of them.
const char* const kSettingGroups[] = {
    "DeviceInformationBox",
    "CompModelBox",
    "DiveModel",
    "PersonalDataString",
    "LightTimer",
    "SerialNum",
    "MAXDepth",
    "ClockBox",
    "Units",
    "TotalDivesBox",
    "TotalTimeBox",
    "SampleRateBox",
    "AltitudeSetting",
    "PersonalSetting",
    "DiveAlarmsBox",
    "CompIDBox",
    "FirmwareBox",
};

// A command: its tool button, its menu item (none for Connect and Undo) and the glyph it
// shows while enabled (the next one while disabled).
struct Command {
    const char* button;
    const char* item;
    int glyph;
};
const Command kLoad{"LoadButton", "Load", 6};
const Command kStore{"StoreButton", "Store", 8};
const Command kOpen{"OpenButton", "Open", 10};
const Command kSave{"SaveButton", "Save", 12};
const Command kUndo{"UndoButton", nullptr, 4};
const Command kSwitched[] = {kLoad, kStore, kOpen, kSave, kUndo};

// What a command looks like: enabled or not, with the glyph and menu item agreeing.
struct Look {
    bool enabled;
    int glyph;
    bool itemEnabled;
    bool operator==(const Look& o) const
    {
        return enabled == o.enabled && glyph == o.glyph && itemEnabled == o.itemEnabled;
    }
};

Look LookOf(const QObject* w, const Command& c)
{
    const bool on = Find<QAbstractButton>(w, c.button)->isEnabled();
    return {on, GlyphOf(w, c.button), c.item ? Find<QAction>(w, c.item)->isEnabled() : on};
}

Look Expected(const Command& c, bool on)
{
    return {on, on ? c.glyph : c.glyph + 1, on};
}

// Puts a command into a state directly, as if an earlier event had switched it.
void Force(QObject* w, const Command& c, bool on)
{
    auto* button = Find<QAbstractButton>(w, c.button);
    button->setEnabled(on);
    button->setProperty("commandOn", on);
    button->setProperty("glyphIndex", on ? c.glyph : c.glyph + 1);
    if (c.item)
        Find<QAction>(w, c.item)->setEnabled(on);
}

// What a row of the event table does with a command.
enum class To { Keep, On, Off, IfLoaded, IfNotLoaded, IfChanged, IfDevice };

struct EventRow {
    const char* name;
    std::uint32_t code;
    int connectGlyph;  // -1: kept
    To load, store, open, save, undo;
    int groups;  // -1 kept, 0 disabled, 1 enabled, 2 enabled when settings are shown
    bool known;  // a row of the table (State follows the code)
};

const To K = To::Keep, On = To::On, Off = To::Off;
const EventRow kEvents[] = {
    {"UiReset", UiReset, 3, Off, Off, On, Off, Off, 0, true},
    {"UiConnected", UiConnected, 2, On, To::IfLoaded, On, To::IfLoaded, Off, 2, true},
    {"UiNotConnected", UiNotConnected, 3, Off, Off, On, To::IfLoaded, To::IfChanged, -1, true},
    {"UiLoaded", UiLoaded, 2, On, On, On, On, Off, -1, true},
    {"UiLoadFailed", UiLoadFailed, -1, On, To::IfChanged, On, To::IfChanged, Off, -1, true},
    {"UiStored", UiStored, 2, On, Off, On, On, Off, -1, true},
    {"UiStoreFailed", UiStoreFailed, -1, K, K, K, K, K, -1, true},
    {"UiFileOpened", UiFileOpened, -1, To::IfDevice, To::IfDevice, On, Off, Off, 1, true},
    {"UiFileOpenFailed", UiFileOpenFailed, -1, K, K, K, K, K, -1, true},
    {"UiFileSaved", UiFileSaved, -1, To::IfDevice, K, On, Off, Off, -1, true},
    {"UiClean", UiClean, -1, K, Off, K, Off, Off, -1, true},
    {"UiChanged", UiChanged, -1, K, On, K, On, On, -1, true},
    {"UiUndoChanged", UiUndoChanged, -1, K, K, K, K, On, -1, true},
    {"UiExit", UiExit, 2, Off, Off, Off, Off, Off, -1, true},
    // Not in the table: connected and loaded at once, an unused bit set and cleared.
    {"unknown 3", 3u, -1, K, K, K, K, K, -1, false},
    {"unknown 0x100", 0x100u, -1, K, K, K, K, K, -1, false},
    {"unknown 0x80000100", 0x80000100u, -1, K, K, K, K, K, -1, false},
};

// Every control inside a group, nested ones included; pop-up windows of a control (the
// light time's track bar) are windows of their own and do not count.
QList<QWidget*> ControlsIn(QWidget* group)
{
    QList<QWidget*> controls;
    for (QWidget* w : group->findChildren<QWidget*>())
        if (w->window() == group->window())
            controls << w;
    return controls;
}

// Not one transparent pixel after another.
bool Drawn(const QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(picture.pixel(x, y)) != 0)
                return true;
    return false;
}

std::uint32_t Applied(std::uint32_t bits, std::uint32_t code)
{
    if (code == 0)
        return 0;
    if (code & 0x80000000u)
        return bits & ~(code & 0x7FFFFFFFu);
    return bits | code;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void cleanupTestCase();

    void rightAfterStart();
    void formCarriesItsCaptionsAndSize();

    void updateUi_data();
    void updateUi();
    void settingGroupsRestoreExactlyWhatWasEnabled();

    void paramString_data();
    void paramString();
    void aboutShowsTheVersionOfTheProgramFile_data();
    void aboutShowsTheVersionOfTheProgramFile();

    void portsAnnouncedByEmulatorsAreListedSorted();
    void selectionFoundIgnoringCaseAndKeptAcrossDropDown();
    void selectionLostWhenItsPortDisappears();
    void typedText_data();
    void typedText();
    void choosingAPortDiscardsTheController();

private:
    TForm1& TableWindow();
    // A port announced as tidewell-emulator does it, named with this process's prefix.
    QString Announce(const QString& suffix, const QString& target);
    int ItemOf(const TForm1& w, const QString& suffix) const;
    QString Prefix() const { return QStringLiteral("wt%1-").arg(::getpid()); }

    std::unique_ptr<TForm1> table;  // the one window the event table runs on
    PseudoTerminal devicePort;
    QStringList announced;
};

void MainWindowTest::cleanup()
{
    for (const QString& link : announced)
        QFile::remove(link);
    announced.clear();
}

void MainWindowTest::cleanupTestCase()
{
    table.reset();
}

QString MainWindowTest::Announce(const QString& suffix, const QString& target)
{
    QDir().mkpath(AnnouncementFolder());
    const QString link = AnnouncementFolder() + QLatin1Char('/') + Prefix() + suffix;
    if (!QFile::link(target, link))
        qFatal("cannot announce %s", qPrintable(link));
    announced << link;
    return link;
}

int MainWindowTest::ItemOf(const TForm1& w, const QString& suffix) const
{
    return w.PortNames().indexOf(Prefix() + suffix);
}

// ---------------------------------------------------------------------------------------

void MainWindowTest::rightAfterStart()
{
    ScriptedModal modal;
    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    auto* pages = Find<QTabWidget>(&w, QStringLiteral("PageControl1"));
    QCOMPARE(pages->tabText(pages->currentIndex()), QStringLiteral("Comm Port and Byte Control"));
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("CommPage"));

    QStringList enabled;
    for (QToolButton* button :
         Find<QWidget>(&w, QStringLiteral("ToolBarPanel"))->findChildren<QToolButton*>())
        if (button->isEnabled())
            enabled << button->objectName();
    enabled.sort();
    QCOMPARE(enabled, (QStringList{"ConnectButton", "ExitButton", "HelpButton", "OpenButton"}));
    // Each button shows a drawn picture of the image list's size.
    for (QToolButton* button :
         Find<QWidget>(&w, QStringLiteral("ToolBarPanel"))->findChildren<QToolButton*>()) {
        QCOMPARE(button->icon().availableSizes(), QList<QSize>{QSize(48, 32)});
        QVERIFY2(Drawn(button->icon().pixmap(QSize(48, 32)).toImage()),
                 qPrintable(button->objectName()));
    }
    QCOMPARE(GlyphOf(&w, "ConnectButton"), 3);
    QCOMPARE(GlyphOf(&w, "ExitButton"), 0);
    QCOMPARE(GlyphOf(&w, "HelpButton"), 1);
    for (const Command& c : {kLoad, kStore, kSave, kUndo})
        QVERIFY2(LookOf(&w, c) == Expected(c, false), c.button);
    QVERIFY(LookOf(&w, kOpen) == Expected(kOpen, true));

    for (const char* name : kSettingGroups) {
        auto* group = Find<QGroupBox>(&w, name);
        QVERIFY2(!group->isEnabled(), name);
        for (QWidget* control : ControlsIn(group))
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    }
    // " Free Dive " stays off.
    QVERIFY(!Find<QGroupBox>(&w, "FreeDiveBox")->isEnabled());

    QCOMPARE(Find<QLabel>(&w, "StatusBar1")->text(), QStringLiteral("Ready {no device}"));
    QCOMPARE(Find<QProgressBar>(&w, "ProgressBar1")->value(), 0);
    QCOMPARE(w.UiState().bits, 0u);
    QVERIFY(!w.IsChanged());
    QVERIFY(w.UndoIsEmpty());
    QVERIFY(!w.IsConnected());
    QVERIFY(modal.messages.isEmpty());
}

void MainWindowTest::formCarriesItsCaptionsAndSize()
{
    TForm1 w(QString{});
    // Shown as "Tidewell"; the "*" for edits not yet kept goes in place of "[*]".
    QCOMPARE(w.windowTitle(), QStringLiteral("Tidewell[*]"));
    QCOMPARE(w.size(), QSize(465, 385));
    QCOMPARE(w.minimumSize(), w.maximumSize());

    auto* pages = Find<QTabWidget>(&w, QStringLiteral("PageControl1"));
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->tabText(0), QStringLiteral("  Standard Controls  "));
    QCOMPARE(pages->tabText(1), QStringLiteral("  Extended Controls  "));
    QCOMPARE(pages->tabText(2), QStringLiteral("Comm Port and Byte Control"));

    const char* const buttons[] = {"ConnectButton", "LoadButton", "StoreButton", "OpenButton",
                                   "SaveButton",    "UndoButton", "ExitButton",  "HelpButton"};
    const char* const captions[] = {"Connect", "Load", "Store", "Open",
                                    "Save",    "Undo", "Exit",  "Help"};
    int left = -1;
    for (int i = 0; i < 8; ++i) {
        auto* b = Find<QToolButton>(&w, buttons[i]);
        QCOMPARE(b->text(), QString::fromLatin1(captions[i]));
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY2(b->x() > left, buttons[i]);  // left to right in this order
        left = b->x();
    }

    auto* progress = Find<QProgressBar>(&w, "ProgressBar1");
    QCOMPARE(progress->width(), 200);
    QVERIFY(!progress->isTextVisible());

    QCOMPARE(Find<QAction>(&w, "Load")->text(), QStringLiteral("&Load Computer "));
    QVERIFY(Find<QAction>(&w, "KeepConnectionOpen")->isCheckable());
    QVERIFY(Find<QAction>(&w, "RefreshOnConnect")->isChecked());
    QVERIFY(!Find<QAction>(&w, "EnableByteControls1")->isEnabled());
    QVERIFY(!Find<QAction>(&w, "EtendedAccess1")->isEnabled());
    QVERIFY(Find<QAction>(&w, "ShowHelp1")->isEnabled());  // the guide is there to show
}

// ---------------------------------------------------------------------------------------
// The event table of UpdateUi, every code against every pre-state that a row reads:
// loaded or not, changed or not, undo entries or none, connected or not, and the commands
// and groups all on or all off before.

TForm1& MainWindowTest::TableWindow()
{
    if (!table) {
        table = std::make_unique<TForm1>(QString{});
        table->show();
        if (!QTest::qWaitForWindowExposed(table.get()))
            qWarning("table window not exposed");
    }
    return *table;
}

void MainWindowTest::updateUi_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("entries");
    QTest::addColumn<bool>("hasDevice");
    QTest::addColumn<bool>("before");
    for (int row = 0; row < int(std::size(kEvents)); ++row)
        for (int pre = 0; pre < 32; ++pre) {
            const bool loaded = pre & 1, changed = pre & 2, entries = pre & 4, dev = pre & 8,
                       before = pre & 16;
            const QString name = QStringLiteral("%1%2%3%4%5 %6")
                                     .arg(QLatin1String(kEvents[row].name))
                                     .arg(loaded ? " loaded" : "")
                                     .arg(changed ? " changed" : "")
                                     .arg(entries ? " entries" : "")
                                     .arg(dev ? " device" : "")
                                     .arg(before ? "(all on before)" : "(all off before)");
            QTest::newRow(qPrintable(name)) << row << loaded << changed << entries << dev << before;
        }
}

void MainWindowTest::updateUi()
{
    QFETCH(int, row);
    QFETCH(bool, loaded);
    QFETCH(bool, changed);
    QFETCH(bool, entries);
    QFETCH(bool, hasDevice);
    QFETCH(bool, before);
    const EventRow& e = kEvents[row];
    TForm1& w = TableWindow();
    QVERIFY(!devicePort.path().isEmpty());

    // The pre-state, reached through the window's own operations.
    if (hasDevice && !w.IsConnected()) {
        const std::wstring path = devicePort.path().toStdWString();
        w.AttachController([path](const CStdStr&, const kAPI::CancelFlag* cancel) {
            return std::make_unique<kAPI::Device_Type1_Control>(path.c_str(), cancel);
        });
        QTRY_VERIFY(!w.IsBusy());
    } else if (!hasDevice && w.IsConnected()) {
        emit Find<QComboBox>(&w, "ComSelect")->activated(0);  // another port: disconnects
    }
    QCOMPARE(w.IsConnected(), hasDevice);
    w.UpdateUi(UiReset);
    w.SetChanged(false);
    if (loaded)
        w.UpdateUi(UiLoaded);
    if (changed)
        w.SetChanged(true);
    if (entries)
        w.PushUndoByte(126, CurrentSettings.diveMode);
    // The commands and groups as an earlier event might have left them.
    auto* connect = Find<QAbstractButton>(&w, "ConnectButton");
    connect->setEnabled(true);
    connect->setProperty("glyphIndex", before ? 2 : 3);
    for (const Command& c : kSwitched)
        Force(&w, c, before);
    w.EnableSettingGroups(before);
    auto* pages = Find<QTabWidget>(&w, "PageControl1");
    pages->setCurrentIndex(0);

    QCOMPARE(bool(w.UiState().bits & State::Loaded), loaded);
    QCOMPARE(w.IsChanged(), changed);
    QCOMPARE(w.UndoIsEmpty(), !entries);
    const State pre = w.UiState();
    const Look preLook[] = {LookOf(&w, kLoad), LookOf(&w, kStore), LookOf(&w, kOpen),
                            LookOf(&w, kSave), LookOf(&w, kUndo)};

    w.UpdateUi(e.code);

    // State: every row applies its code, except UiExit.
    if (e.code == UiExit) {
        QCOMPARE(w.UiState().bits, pre.bits);
        QCOMPARE(w.UiState().last, pre.last);
    } else if (e.known) {
        QCOMPARE(w.UiState().bits, Applied(pre.bits, e.code));
        QCOMPARE(w.UiState().last, e.code);
    }

    // Connect: enabled but on exit; glyph 2 connected, 3 not.
    QCOMPARE(connect->isEnabled(), e.code != UiExit);
    const int connectGlyph = e.connectGlyph < 0 ? (before ? 2 : 3) : e.connectGlyph;
    QCOMPARE(GlyphOf(&w, "ConnectButton"), connectGlyph);

    const To to[] = {e.load, e.store, e.open, e.save, e.undo};
    for (int i = 0; i < 5; ++i) {
        const Command& c = kSwitched[i];
        Look expected = preLook[i];
        if (to[i] != To::Keep) {
            bool on = false;
            switch (to[i]) {
                case To::On:
                    on = true;
                    break;
                case To::Off:
                    on = false;
                    break;
                case To::IfLoaded:
                    on = loaded;
                    break;
                case To::IfNotLoaded:
                    on = !loaded;
                    break;
                case To::IfChanged:
                    on = changed;
                    break;
                case To::IfDevice:
                    on = hasDevice;
                    break;
                case To::Keep:
                    break;
            }
            // Undo is offered only while the stack holds entries.
            if (&c == &kSwitched[4])
                on = on && !w.UndoIsEmpty();
            expected = Expected(c, on);
        }
        const Look actual = LookOf(&w, c);
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("%1: enabled %2 glyph %3 item %4, expected %5 %6 %7")
                                .arg(c.button)
                                .arg(actual.enabled)
                                .arg(actual.glyph)
                                .arg(actual.itemEnabled)
                                .arg(expected.enabled)
                                .arg(expected.glyph)
                                .arg(expected.itemEnabled)));
    }

    // The setting groups and everything in them.
    const bool groupsOn = e.groups < 0 ? before : e.groups == 2 ? loaded : e.groups == 1;
    for (const char* name : kSettingGroups) {
        auto* group = Find<QGroupBox>(&w, name);
        QVERIFY2(group->isEnabled() == groupsOn, name);
        for (QWidget* control : ControlsIn(group))
            QVERIFY2(control->isEnabled() == groupsOn, qPrintable(control->objectName()));
    }
    QCOMPARE(pages->currentWidget()->objectName(),
             QString::fromLatin1(e.code == UiReset ? "CommPage" : "StandardPage"));

    // The undo stack is emptied by UiClean and UiFileOpened; Changed is cleared by UiLoaded only.
    QCOMPARE(w.UndoIsEmpty(), !entries || e.code == UiClean || e.code == UiFileOpened);
    QCOMPARE(w.IsChanged(), changed && e.code != UiLoaded);
    QCOMPARE(w.IsConnected(), hasDevice);
}

void MainWindowTest::settingGroupsRestoreExactlyWhatWasEnabled()
{
    TForm1 w(QString{});
    w.EnableSettingGroups(true);
    auto* check = Find<QWidget>(&w, "DepthAlarmEnableCheck");
    auto* edit = Find<QWidget>(&w, "TimeAlarmEdit");
    check->setEnabled(false);  // a control switched off on its own
    w.EnableSettingGroups(false);
    QVERIFY(!check->isEnabled() && !edit->isEnabled());
    w.EnableSettingGroups(true);
    QVERIFY(!check->isEnabled());
    QVERIFY(edit->isEnabled());
    QVERIFY(Find<QWidget>(&w, "ClockBoxItem0")->isEnabled());
}

// ---------------------------------------------------------------------------------------

void MainWindowTest::paramString_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("bare path") << "/usr/bin/tidewell" << QStringList{"/usr/bin/tidewell"};
    QTest::newRow("quoted path with blanks")
        << R"("C:\Program Files\Hallvex\Tidewell.exe" -x)"
        << QStringList{R"(C:\Program Files\Hallvex\Tidewell.exe)", "-x"};
    QTest::newRow("extra arguments, quoted or not")
        << R"(/opt/tw a "b c" d)" << QStringList{"/opt/tw", "a", "b c", "d"};
    QTest::newRow("backslash before a quote stays") << R"("a\"b" c)" << QStringList{R"(a\"b)", "c"};
    QTest::newRow("a quote after a backslash never closes") << R"("dir\\" next)" << QStringList{};
    QTest::newRow("next item right after the closing quote")
        << R"("a b"c)" << QStringList{"a b", "c"};
    QTest::newRow("unclosed quote drops the rest") << R"(prog "a b c)" << QStringList{"prog"};
    QTest::newRow("unclosed quote first") << R"("prog a b)" << QStringList{};
    QTest::newRow("quote escaped to the end") << R"(prog "a\")" << QStringList{"prog"};
    QTest::newRow("empty items are not kept") << R"(  a   "" b  )" << QStringList{"a", "b"};
    QTest::newRow("only an empty quoted item") << R"("")" << QStringList{};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("only blanks") << "   " << QStringList{};
    QTest::newRow("tab is an ordinary character") << "a\tb c" << QStringList{"a\tb", "c"};
    QTest::newRow("quote inside an unquoted item") << R"(a"b c)" << QStringList{R"(a"b)", "c"};
}

void MainWindowTest::paramString()
{
    QFETCH(QString, line);
    QFETCH(QStringList, items);
    QCOMPARE(ParamCount(line), items.size());
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(ParamString(line, i), items[i]);
    QCOMPARE(ParamString(line, items.size()), QString());
    QCOMPARE(ParamString(line, -1), QString());
}

void MainWindowTest::aboutShowsTheVersionOfTheProgramFile_data()
{
    static QTemporaryDir folder;
    const QString self = QCoreApplication::applicationFilePath();
    // The test program carries the version block; a link in a folder with blanks names it
    // by a path that must be quoted.
    const QString spaced = folder.path() + QStringLiteral("/Program Files/Tidewell test");
    QDir().mkpath(QFileInfo(spaced).path());
    QFile::link(self, spaced);
    const QString plain = folder.path() + QStringLiteral("/plain.txt");
    QFile file(plain);
    file.open(QIODevice::WriteOnly);
    file.write("no version block in here\n");
    file.close();

    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("text");
    QTest::newRow("own path") << self << true << "Version: 2.0.1";
    QTest::newRow("own path quoted, with blanks, extra arguments")
        << QLatin1Char('"') + spaced + QStringLiteral("\" --port \"ttyS 0\" x") << true
        << "Version: 2.0.1";
    QTest::newRow("own path, extra arguments")
        << self + QStringLiteral(" -a b") << true << "Version: 2.0.1";
    QTest::newRow("file without the block") << plain << false << "Version: Unknown";
    QTest::newRow("no such file") << folder.path() + QStringLiteral("/gone") << false
                                  << "Version: Unknown";
    QTest::newRow("empty command line") << QString() << false << "Version: Unknown";
    QTest::newRow("empty first item") << QStringLiteral("\"\"") << false << "Version: Unknown";
    QTest::newRow("first item never closed")
        << QLatin1Char('"') + self + QStringLiteral(" x") << false << "Version: Unknown";
}

void MainWindowTest::aboutShowsTheVersionOfTheProgramFile()
{
    QFETCH(QString, line);
    QFETCH(bool, valid);
    QFETCH(QString, text);

    ScriptedModal modal;
    TForm1 w(line);
    QCOMPARE(w.Version().Valid(), valid);
    if (valid)
        QCOMPARE(w.Version().Value(L"CompanyName"), CStdStr(L"Hallvex Inv."));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.move(60, 40);

    QString shown;
    QPoint at;
    modal.onExec = [&](QDialog& dialog) {
        shown = Find<QLabel>(&dialog, "Label4")->text();
        at = dialog.pos();
        dialog.accept();
    };
    Find<QAction>(&w, "About1")->trigger();
    QCOMPARE(shown, text);
    QCOMPARE(at, w.pos() + QPoint(70, 105));
    QVERIFY(modal.messages.isEmpty());
}

// ---------------------------------------------------------------------------------------
// Ports. Other ports of the machine (and emulators that run meanwhile) may be listed as
// well; the tests look at the entries they announced themselves.

void MainWindowTest::portsAnnouncedByEmulatorsAreListedSorted()
{
    PseudoTerminal a, b, c, d;
    QVERIFY(!a.path().isEmpty());
    Announce("B", a.path());
    Announce("10", b.path());
    Announce("2", c.path());
    Announce("a", d.path());
    Announce("gone", "/dev/pts/no-such-terminal");  // an emulator that died: not listed

    TForm1 w(QString{});
    auto* combo = Find<QComboBox>(&w, "ComSelect");
    QCOMPARE(combo->count(), w.PortNames().size());
    QCOMPARE(int(PortList.size()), combo->count());

    // By name, code unit by code unit, case-sensitive, not numeric.
    QStringList ours;
    for (int i = 0; i < combo->count(); ++i)
        if (w.PortNames()[i].startsWith(Prefix()))
            ours << combo->itemText(i);
    const QString p = Prefix();
    QCOMPARE(ours, (QStringList{p + "10 : Type1 emulator", p + "2 : Type1 emulator",
                                p + "B : Type1 emulator", p + "a : Type1 emulator"}));
    QCOMPARE(PortList[ItemOf(w, "2")].path, c.path().toStdWString());
    QCOMPARE(ItemOf(w, "gone"), -1);
}

void MainWindowTest::selectionFoundIgnoringCaseAndKeptAcrossDropDown()
{
    PseudoTerminal a, b, c;
    Announce("b", a.path());
    Announce("c", b.path());
    ScriptedModal modal;
    TForm1 w(QString{});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* combo = Find<QComboBox>(&w, "ComSelect");

    // The person chooses the entry "c".
    const int chosen = ItemOf(w, "c");
    QVERIFY(chosen >= 0);
    combo->setCurrentIndex(chosen);
    emit combo->activated(chosen);
    QCOMPARE(SelectedPortIndex, chosen);
    QCOMPARE(PortPath, b.path().toStdWString());

    // A new port that sorts before it appears; opening the list keeps "c" chosen.
    Announce("a", c.path());
    QTest::mousePress(combo, Qt::LeftButton);
    QTest::mouseRelease(combo, Qt::LeftButton);
    combo->hidePopup();
    QCOMPARE(w.PortNames().indexOf(Prefix() + "a") + 2, ItemOf(w, "c"));
    QCOMPARE(combo->currentIndex(), ItemOf(w, "c"));
    QCOMPARE(SelectedPortIndex, ItemOf(w, "c"));
    QCOMPARE(combo->currentText(), Prefix() + "c : Type1 emulator");

    // Text that differs from an entry only in letter case finds that entry.
    combo->setEditText((Prefix() + "B : TYPE1 EMULATOR").toUpper());
    w.ComSelectDropDown();
    QCOMPARE(combo->currentIndex(), ItemOf(w, "b"));
    QCOMPARE(SelectedPortIndex, ItemOf(w, "b"));
    w.ComSelectSelect();
    QCOMPARE(PortPath, a.path().toStdWString());
    QVERIFY(modal.messages.isEmpty());
}

void MainWindowTest::selectionLostWhenItsPortDisappears()
{
    PseudoTerminal a, b;
    Announce("x", a.path());
    const QString gone = Announce("y", b.path());
    ScriptedModal modal;
    TForm1 w(QString{});
    auto* combo = Find<QComboBox>(&w, "ComSelect");
    const int chosen = ItemOf(w, "y");
    combo->setCurrentIndex(chosen);
    emit combo->activated(chosen);
    QCOMPARE(PortPath, b.path().toStdWString());

    QFile::remove(gone);
    w.ComSelectDropDown();
    QCOMPARE(ItemOf(w, "y"), -1);
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(SelectedPortIndex, -1);
    // Connect chooses again after its refresh: no entry is chosen, and the port the text
    // still names is the one that Connect's open will say is missing.
    w.ComSelectSelect();
    QCOMPARE(SelectedPortIndex, -1);
    QCOMPARE(QString::fromStdWString(PortPath), QStringLiteral("/dev/") + Prefix() + "y");
    QVERIFY(modal.messages.isEmpty());
}

void MainWindowTest::typedText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("overChosen");  // typed over a chosen entry
    QTest::addColumn<QString>("path");  // "pty": the unannounced terminal, "ann": the announced one
    QTest::newRow("device path") << "pty" << false << "pty";
    QTest::newRow("device path over a chosen entry") << "pty" << true << "pty";
    // What names nothing is opened all the same, so that the open says what is wrong.
    QTest::newRow("nothing by that name") << "ttyNONE" << false << "/dev/ttyNONE";
    QTest::newRow("nothing by that name over a chosen entry")
        << "ttyNONE" << true << "/dev/ttyNONE";
    QTest::newRow("absolute path of nothing")
        << "/dev/no-such-device" << true << "/dev/no-such-device";
    QTest::newRow("a name under /dev") << "ptmx" << false << "/dev/ptmx";
    QTest::newRow("entry text in other case") << "ANN : type1 EMULATOR" << false << "ann";
    QTest::newRow("entry name in other case") << "ANN" << false << "ann";
}

void MainWindowTest::typedText()
{
    QFETCH(QString, typed);
    QFETCH(bool, overChosen);
    QFETCH(QString, path);
    PseudoTerminal announcedPort, typedPort;
    Announce("ann", announcedPort.path());
    ScriptedModal modal;
    TForm1 w(QString{});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* combo = Find<QComboBox>(&w, "ComSelect");

    if (overChosen) {
        combo->setCurrentIndex(ItemOf(w, "ann"));
        emit combo->activated(combo->currentIndex());
        QCOMPARE(PortPath, announcedPort.path().toStdWString());
    }
    if (typed == "pty")
        typed = typedPort.path();
    typed.replace("ANN", (Prefix() + "ann").toUpper());
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), typed);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    // As Connect does: the list anew, then the choice.
    w.RefreshPortList();
    w.ComSelectSelect();

    const QString expected = path == "pty"   ? typedPort.path()
                             : path == "ann" ? announcedPort.path()
                                             : path;
    QCOMPARE(QString::fromStdWString(PortPath), expected);
    if (path == "ann")
        QCOMPARE(SelectedPortIndex, ItemOf(w, "ann"));
    else
        QCOMPARE(SelectedPortIndex, -1);
    QVERIFY(modal.messages.isEmpty());
}

void MainWindowTest::choosingAPortDiscardsTheController()
{
    PseudoTerminal a, line;
    Announce("z", a.path());
    TForm1 w(QString{});
    const std::wstring path = line.path().toStdWString();
    w.AttachController([path](const CStdStr&, const kAPI::CancelFlag* cancel) {
        return std::make_unique<kAPI::Device_Type1_Control>(path.c_str(), cancel);
    });
    QTRY_VERIFY(w.IsConnected());
    auto* combo = Find<QComboBox>(&w, "ComSelect");
    combo->setCurrentIndex(ItemOf(w, "z"));
    emit combo->activated(combo->currentIndex());
    QVERIFY(!w.IsConnected());
    QCOMPARE(GlyphOf(&w, "ConnectButton"), int(TForm1::GlyphNotConnected));
    QCOMPARE(PortPath, a.path().toStdWString());
}

TIDEWELL_WINDOW_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
