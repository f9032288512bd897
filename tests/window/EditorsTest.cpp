// The settings editors, the undo stack and the personal-data dialog, driven through the
// real window: clicks on radio items and check boxes, keystrokes into the numeric edits,
// the spin buttons of the light time, the personal text through its dialog.

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "controls/Bmspinedit.h"
#include "controls/NumberEdit.h"
#include "device/DEVICE_DATA.h"
#include "support/ScriptedModal.h"
#include "support/WindowTesting.h"
#include "window/Personaldataeditform.h"

using namespace WindowTesting;
using DeviceData::Bytes;
using DeviceData::RecordSize;

namespace {

using Record = std::vector<std::uint8_t>;

Record BytesOf(const DEVICE_DATA& r)
{
    return Record(Bytes(r), Bytes(r) + RecordSize);
}

// Settings as a dive computer might hold them, every value one its control can show.
DEVICE_DATA Plausible()
{
    DEVICE_DATA r{};
    r.maxDepth = 12 * 128;
    r.diveTime = 125;  // 2:05
    r.totalDives = 42;
    r.modelCode = 0x03;
    r.firmwareVersion = 7;
    DeviceData::SetSerialNumber(r, 1020304);
    std::memcpy(r.personalText, "ABC", 3);
    r.sampleRate = 30;
    r.personalAltitude = 0x04;  // P1, A0
    r.freeDiveMaxDepth = 10 * 128;
    r.freeDiveTime = 65;
    r.clock12Hour = 1;
    r.units = 0;
    r.diveMode = 1;
    r.light = 0x80 | 25;
    r.alarmFlags = 0;
    r.timeAlarm = 45;
    r.depthAlarm = 100 * 128;
    return r;
}

// Record bytes that some control shows (and so writes back on a gather).
bool Owned(std::size_t offset)
{
    static const std::pair<std::size_t, std::size_t> ranges[] = {
        {46, 8},   // maxDepth, diveTime, totalDives, modelCode, firmwareVersion
        {54, 4},   // serialDigits
        {60, 29},  // personalText, textEnd
        {110, 2},  // sampleRate, personalAltitude
        {119, 4},  // freeDiveMaxDepth, freeDiveTime
        {124, 9},  // clock12Hour, units, diveMode, light, alarmFlags, timeAlarm, depthAlarm
    };
    for (const auto& [start, size] : ranges)
        if (offset >= start && offset < start + size)
            return true;
    return false;
}

QString Dump(const Record& r, std::size_t from, std::size_t n)
{
    QStringList out;
    for (std::size_t i = from; i < from + n && i < r.size(); ++i)
        out << QString::number(r[i], 16);
    return out.join(QLatin1Char(' '));
}

}  // namespace

class EditorsTest;
struct EditorCase {
    const char* name;
    std::function<void(EditorsTest&)> edit;
    std::size_t offset;
    Record after;  // the bytes at offset after the edit
    int entries;   // undo entries pushed
};

class EditorsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editor_data();
    void editor();
    void depthFractionKeptUnlessTheShownDepthChanges();
    void altitudeKeepsPersonalAndGatherKeepsTheUnshownBits();
    void clockTwelveAndTwentyFour();
    void sampleRateWithoutCodeShowsNoItemAndIsKept();
    void typingStaysWithinTheField_data();
    void typingStaysWithinTheField();
    void diveTimeTakesTheWholeCounter_data();
    void diveTimeTakesTheWholeCounter();
    void serialNumberWithinFourBaseHundredDigits();
    void serialNumberDigits();
    void modelNameAndCode_data();
    void modelNameAndCode();
    void noEditorFiresWhileUpdatingControls();
    void eachKeystrokePushesOneEntry();
    void alarmValueEditAfterStoreEnablesStore();
    void displayThenGather_data();
    void displayThenGather();

    void undoAltitudeThenPersonal();
    void undoLightOffAndLightTime();
    void undoLightTimeThenLightOff();
    void lightTimeOneEntryPerFocusVisit();
    void lightTimeAfterUndoInTheSameVisit();
    void lightTimeAfterTheStackWasEmptiedInTheSameVisit();
    void undoTheTwoAlarmFlags();
    void undoPersonalText_data();
    void undoPersonalText();
    void twoDiveTimeEditsNeedTwoUndos();
    void stackEmptiedByCleanAndByFileOpened();
    void emptyStackUndoDoesNothing();

    void personalDataUnchangedTextCountsAsCancel();
    void personalDataEnterConfirms();
    void personalDataCancel();
    void personalDataAtMost28Characters();
    void personalDataLongerTextShownWholeGivenBack28();
    void personalDataEscapeCancels();
    void personalDataPlacement();

private:
    static const std::vector<EditorCase>& Cases();
    // Shows `record` as if a file had been opened, with no change and no undo entry.
    void Show(const DEVICE_DATA& record);
    template <typename T = QWidget>
    T* C(const char* name)
    {
        return Find<T>(w.get(), QString::fromLatin1(name));
    }
    void OnPageOf(QWidget* control);
    void Click(QAbstractButton* button);
    void ClickItem(const char* group, int index);
    // Replaces the text of a numeric edit by typing `text` over all of it.
    void TypeOver(const char* edit, const QString& text);
    void Undo();
    int UndoAll();  // clicks Undo while it is enabled; returns the clicks
    bool UndoEnabled() { return C<QToolButton>("UndoButton")->isEnabled(); }
    void FocusLiteTime();
    void FocusElsewhere();
    // Opens the personal-data dialog by a click and lets `answer` deal with it.
    void EditPersonalText(const std::function<void(TPersonalEditForm&)>& answer);

    std::unique_ptr<ScriptedModal> modal;
    std::unique_ptr<TForm1> w;
};

void EditorsTest::init()
{
    CurrentSettings = DEVICE_DATA{};
    modal = std::make_unique<ScriptedModal>();
    w = std::make_unique<TForm1>(QString{});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    Show(Plausible());
}

void EditorsTest::cleanup()
{
    QVERIFY2(modal->messages.isEmpty(),
             qPrintable(modal->messages.isEmpty() ? QString() : modal->messages.first().text));
    w.reset();
    modal.reset();
    UpdatingControls = false;
}

void EditorsTest::Show(const DEVICE_DATA& record)
{
    CurrentSettings = record;
    w->DisplaySettings();
    w->UpdateUi(UiFileOpened);  // enables the setting groups
    w->SetChanged(false);
    QVERIFY(w->UndoIsEmpty());
    QVERIFY(!w->IsChanged());
}

void EditorsTest::OnPageOf(QWidget* control)
{
    auto* pages = C<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(control))
            pages->setCurrentIndex(i);
}

void EditorsTest::Click(QAbstractButton* button)
{
    OnPageOf(button);
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void EditorsTest::ClickItem(const char* group, int index)
{
    Click(RadioItem(w.get(), QString::fromLatin1(group), index));
}

void EditorsTest::TypeOver(const char* name, const QString& text)
{
    auto* edit = C<QLineEdit>(name);
    OnPageOf(edit);
    QVERIFY(edit->isEnabled());
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void EditorsTest::Undo()
{
    auto* undo = C<QToolButton>("UndoButton");
    QVERIFY(undo->isEnabled());
    QTest::mouseClick(undo, Qt::LeftButton);
}

int EditorsTest::UndoAll()
{
    int clicks = 0;
    while (UndoEnabled() && clicks < 100) {
        QTest::mouseClick(C<QToolButton>("UndoButton"), Qt::LeftButton);
        ++clicks;
    }
    return clicks;
}

void EditorsTest::FocusLiteTime()
{
    auto* lite = C<TBMSpinEdit>("LiteTime");
    OnPageOf(lite);
    lite->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(lite->hasFocus());
}

void EditorsTest::FocusElsewhere()
{
    auto* other = C<QWidget>("TotalDivesEdit");
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
}

void EditorsTest::EditPersonalText(const std::function<void(TPersonalEditForm&)>& answer)
{
    modal->onExec = [&answer](QDialog& dialog) {
        auto* form = qobject_cast<TPersonalEditForm*>(&dialog);
        QVERIFY(form);
        answer(*form);
    };
    auto* edit = C<QLineEdit>("PersonalData");
    OnPageOf(edit);
    QTest::mouseClick(edit, Qt::LeftButton);
    modal->onExec = nullptr;
}

// ---------------------------------------------------------------------------------------
// One edit of each editor: it marks the settings changed, pushes the old bytes, writes
// only its own bytes; undoing every entry brings back the record byte for byte.

const std::vector<EditorCase>& EditorsTest::Cases()
{
    using T = EditorsTest;
    static const std::vector<EditorCase> cases = {
        {"DiveModel: Gauge", [](T& t) { t.ClickItem("DiveModel", 2); }, 126, {2}, 1},
        {"SampleRateBox: 60", [](T& t) { t.ClickItem("SampleRateBox", 3); }, 110, {60}, 1},
        {"LightEnableCheck: off",
         [](T& t) { t.Click(t.C<QCheckBox>("LightEnableCheck")); },
         127,
         {25},
         1},
        {"TotalTimeHours: 3", [](T& t) { t.TypeOver("TotalTimeHours", "3"); }, 48, {185, 0}, 1},
        {"TotalTimeMinutes: 7", [](T& t) { t.TypeOver("TotalTimeMinutes", "7"); }, 48, {127, 0}, 1},
        {"TotalDivesEdit: 300", [](T& t) { t.TypeOver("TotalDivesEdit", "300"); }, 50, {44, 1}, 3},
        {"MaxDepthEdit: 3", [](T& t) { t.TypeOver("MaxDepthEdit", "3"); }, 46, {128, 1}, 1},
        {"PersonalSetting: P2", [](T& t) { t.ClickItem("PersonalSetting", 2); }, 111, {0x08}, 1},
        {"AltitudeSetting: A2", [](T& t) { t.ClickItem("AltitudeSetting", 2); }, 111, {0x06}, 1},
        {"DepthAlarmEnableCheck: on",
         [](T& t) { t.Click(t.C<QCheckBox>("DepthAlarmEnableCheck")); },
         128,
         {2},
         1},
        {"TimeAlarmEnableCheck: on",
         [](T& t) { t.Click(t.C<QCheckBox>("TimeAlarmEnableCheck")); },
         128,
         {1},
         1},
        {"DepthAlarmEdit: 5", [](T& t) { t.TypeOver("DepthAlarmEdit", "5"); }, 131, {0x80, 2}, 1},
        {"TimeAlarmEdit: 90", [](T& t) { t.TypeOver("TimeAlarmEdit", "90"); }, 129, {90, 0}, 2},
        {"Units: Metric", [](T& t) { t.ClickItem("Units", 1); }, 125, {1}, 1},
        {"ClockBox: 24 hour", [](T& t) { t.ClickItem("ClockBox", 1); }, 124, {0}, 1},
        {"SerialNumber: 12345678",
         [](T& t) { t.TypeOver("SerialNumber", "12345678"); },
         54,
         {12, 34, 56, 78},
         8},
        {"CompIDEdit: 200", [](T& t) { t.TypeOver("CompIDEdit", "200"); }, 52, {200}, 3},
        {"FirmwareEdit: emptied", [](T& t) { t.TypeOver("FirmwareEdit", ""); }, 53, {15}, 1},
        {"LiteTime: up twice",
         [](T& t) {
             t.FocusLiteTime();
             QTest::keyClick(t.C<QWidget>("LiteTime"), Qt::Key_Up);
             QTest::keyClick(t.C<QWidget>("LiteTime"), Qt::Key_Up);
         },
         127,
         {0x80 | 27},
         1},
        {"PersonalData: longer",
         [](T& t) {
             t.EditPersonalText([](TPersonalEditForm& d) {
                 auto* edit = Find<QLineEdit>(&d, "Edit");
                 edit->selectAll();
                 QTest::keyClicks(edit, "Nemo");
                 QTest::keyClick(edit, Qt::Key_Return);
             });
         },
         60,
         {'N', 'e', 'm', 'o', 0},
         1},
    };
    return cases;
}

void EditorsTest::editor_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(Cases().size()); ++i)
        QTest::newRow(Cases()[i].name) << i;
}

void EditorsTest::editor()
{
    QFETCH(int, row);
    const EditorCase& c = Cases()[row];
    const Record before = BytesOf(CurrentSettings);
    c.edit(*this);
    const Record now = BytesOf(CurrentSettings);
    QVERIFY(w->IsChanged());
    QVERIFY(UndoEnabled());
    QCOMPARE(Dump(now, c.offset, c.after.size()), Dump(c.after, 0, c.after.size()));
    for (std::size_t i = 0; i < RecordSize; ++i)
        if (i < c.offset || i >= c.offset + c.after.size())
            QVERIFY2(now[i] == before[i], qPrintable(QStringLiteral("byte %1").arg(i)));

    QCOMPARE(UndoAll(), c.entries);
    QCOMPARE(Dump(BytesOf(CurrentSettings), 0, RecordSize), Dump(before, 0, RecordSize));
    QVERIFY(w->IsChanged());  // undo does not clear the mark
}

// ---------------------------------------------------------------------------------------

void EditorsTest::depthFractionKeptUnlessTheShownDepthChanges()
{
    DEVICE_DATA r = Plausible();
    r.maxDepth = 1000;
    r.depthAlarm = 1000 + 127;
    r.freeDiveMaxDepth = 1000;
    Show(r);
    QCOMPARE(C<QLineEdit>("MaxDepthEdit")->text(), QStringLiteral("7"));
    QCOMPARE(C<QLineEdit>("DepthAlarmEdit")->text(), QStringLiteral("8"));
    QCOMPARE(C<QLineEdit>("FreeDepth")->text(), QStringLiteral("7"));
    w->GatherSettings();
    QCOMPARE(int(CurrentSettings.maxDepth), 1000);
    QCOMPARE(int(CurrentSettings.depthAlarm), 1127);
    QCOMPARE(int(CurrentSettings.freeDiveMaxDepth), 1000);
    QVERIFY(!w->IsChanged());
    QVERIFY(w->UndoIsEmpty());

    // A depth the person changed is stored as the whole number shown.
    C<QLineEdit>("DepthAlarmEdit")->setText(QStringLiteral("12"));
    w->GatherSettings();
    QCOMPARE(int(CurrentSettings.depthAlarm), 1536);
    QCOMPARE(int(CurrentSettings.maxDepth), 1000);
}

void EditorsTest::altitudeKeepsPersonalAndGatherKeepsTheUnshownBits()
{
    DEVICE_DATA r = Plausible();
    r.personalAltitude = 0xF4;  // P1, A0, high bits set
    Show(r);
    QCOMPARE(RadioIndex(w.get(), "PersonalSetting"), 1);
    QCOMPARE(RadioIndex(w.get(), "AltitudeSetting"), 0);
    ClickItem("AltitudeSetting", 2);
    QCOMPARE(int(CurrentSettings.personalAltitude), 0xF6);  // the editor keeps the other bits
    w->GatherSettings();
    QCOMPARE(int(CurrentSettings.personalAltitude), 0xF6);  // P1 x 4 + A2, the high bits kept
}

void EditorsTest::clockTwelveAndTwentyFour()
{
    DEVICE_DATA r = Plausible();
    r.clock12Hour = 5;
    Show(r);
    QCOMPARE(RadioIndex(w.get(), "ClockBox"), 0);
    ClickItem("ClockBox", 1);
    QCOMPARE(int(CurrentSettings.clock12Hour), 0);
    UpdatingControls = true;
    RadioItem(w.get(), "ClockBox", 0)->setChecked(true);  // shown wrong on purpose
    UpdatingControls = false;
    w->DisplaySettings();
    QCOMPARE(RadioIndex(w.get(), "ClockBox"), 1);
    ClickItem("ClockBox", 0);
    QCOMPARE(int(CurrentSettings.clock12Hour), 1);
    w->GatherSettings();
    QCOMPARE(int(CurrentSettings.clock12Hour), 1);
}

void EditorsTest::sampleRateWithoutCodeShowsNoItemAndIsKept()
{
    DEVICE_DATA r = Plausible();
    r.sampleRate = 20;
    Show(r);
    QCOMPARE(RadioIndex(w.get(), "SampleRateBox"), 1);
    r.sampleRate = 15;
    Show(r);
    // Still showing 20 would have the next Store write 20.
    QCOMPARE(RadioIndex(w.get(), "SampleRateBox"), -1);
    w->GatherSettings();
    QCOMPARE(int(CurrentSettings.sampleRate), 15);

    ClickItem("SampleRateBox", 3);
    QCOMPARE(int(CurrentSettings.sampleRate), 60);
    QCOMPARE(UndoAll(), 1);
    QCOMPARE(int(CurrentSettings.sampleRate), 15);
    QCOMPARE(RadioIndex(w.get(), "SampleRateBox"), -1);
}

void EditorsTest::typingStaysWithinTheField_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // after the edit lost the focus
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("bytes");  // the record's bytes at offset, least significant first
    const auto row = [](const char* name, const char* edit, const char* typed, const char* shown,
                        int offset, const char* bytes) {
        QTest::newRow(name) << edit << typed << shown << offset << bytes;
    };
    // A keystroke past the field's top or a minus sign is refused; what stays is stored.
    row("max depth at its top", "MaxDepthEdit", "511", "511", 46, "80 ff");
    row("max depth 512", "MaxDepthEdit", "512", "51", 46, "80 19");
    row("max depth negative", "MaxDepthEdit", "-5", "5", 46, "80 2");
    row("depth alarm 9999", "DepthAlarmEdit", "9999", "99", 131, "80 31");
    row("depth alarm at its top", "DepthAlarmEdit", "511", "511", 131, "80 ff");
    row("time alarm negative", "TimeAlarmEdit", "-5", "5", 129, "5 0");
    row("time alarm at its top", "TimeAlarmEdit", "65535", "65,535", 129, "ff ff");
    row("time alarm 65536", "TimeAlarmEdit", "65536", "6,553", 129, "99 19");
    row("total dives at the top", "TotalDivesEdit", "65535", "65,535", 50, "ff ff");
    row("total dives 65536", "TotalDivesEdit", "65536", "6,553", 50, "99 19");
    row("total dives in parentheses", "TotalDivesEdit", "(5)", "5", 50, "5 0");
    row("dive time hours 1093", "TotalTimeHours", "1093", "109", 48, "91 19");
    row("ID # at its top", "CompIDEdit", "255", "255", 52, "ff");
    row("ID # 300", "CompIDEdit", "300", "30", 52, "1e");
    row("version 256", "FirmwareEdit", "256", "25", 53, "19");
    row("serial number 123456789", "SerialNumber", "123456789", "12345678", 54, "c 22 38 4e");
    row("serial number negative", "SerialNumber", "-1", "1", 54, "0 0 0 1");
}

// What a numeric edit shows after typing is what the record holds, and what it shows
// again when the record is displayed anew, as after a reload.
void EditorsTest::typingStaysWithinTheField()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, offset);
    QFETCH(QString, bytes);
    const QByteArray name = edit.toLatin1();
    auto* control = C<QLineEdit>(name.constData());
    const int width = int(bytes.count(QLatin1Char(' '))) + 1;

    TypeOver(name.constData(), typed);
    control->clearFocus();
    QCOMPARE(control->text(), shown);
    QCOMPARE(Dump(BytesOf(CurrentSettings), std::size_t(offset), std::size_t(width)), bytes);
    w->GatherSettings();
    QCOMPARE(Dump(BytesOf(CurrentSettings), std::size_t(offset), std::size_t(width)), bytes);
    w->DisplaySettings();
    QCOMPARE(control->text(), shown);
}

void EditorsTest::diveTimeTakesTheWholeCounter_data()
{
    QTest::addColumn<int>("held");
    QTest::addColumn<QString>("hours");  // typed; empty: left as shown
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("shownHours");
    QTest::addColumn<QString>("shownMinutes");
    QTest::addColumn<int>("counter");
    QTest::newRow("the counter's top passes the focus unchanged") << 0xFFFF << ""
                                                                  << ""
                                                                  << "1,092"
                                                                  << "15" << 0xFFFF;
    QTest::newRow("minutes past the top at 1092 hours") << 600 << "1092"
                                                        << "59"
                                                        << "1,092"
                                                        << "15" << 0xFFFF;
    QTest::newRow("hours past 1092 are refused") << 600 << "2000"
                                                 << ""
                                                 << "200"
                                                 << "00" << 12000;
    QTest::newRow("within the counter") << 600 << "999"
                                        << "30"
                                        << "999"
                                        << "30" << 59970;
}

void EditorsTest::diveTimeTakesTheWholeCounter()
{
    QFETCH(int, held);
    QFETCH(QString, hours);
    QFETCH(QString, minutes);
    QFETCH(QString, shownHours);
    QFETCH(QString, shownMinutes);
    QFETCH(int, counter);
    DEVICE_DATA r = Plausible();
    r.diveTime = static_cast<std::uint16_t>(held);
    Show(r);

    // Tabbing through both fields, typing where the row says.
    for (const char* edit : {"TotalTimeHours", "TotalTimeMinutes"}) {
        const QString& typed = QByteArray(edit) == "TotalTimeHours" ? hours : minutes;
        if (typed.isEmpty()) {
            OnPageOf(C<QWidget>(edit));
            C<QWidget>(edit)->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(C<QWidget>(edit)->hasFocus());
        } else {
            TypeOver(edit, typed);
        }
    }
    FocusElsewhere();

    QCOMPARE(C<QLineEdit>("TotalTimeHours")->text(), shownHours);
    QCOMPARE(C<QLineEdit>("TotalTimeMinutes")->text(), shownMinutes);
    QCOMPARE(int(CurrentSettings.diveTime), counter);
    w->GatherSettings();
    QCOMPARE(int(CurrentSettings.diveTime), counter);
}

void EditorsTest::serialNumberWithinFourBaseHundredDigits()
{
    Show(Plausible());
    TypeOver("SerialNumber", "99999999");
    QCOMPARE(Dump(BytesOf(CurrentSettings), 54, 4), QStringLiteral("63 63 63 63"));
    FocusElsewhere();
    QCOMPARE(C<QLineEdit>("SerialNumber")->text(), QStringLiteral("99999999"));
    QCOMPARE(Dump(BytesOf(CurrentSettings), 54, 4), QStringLiteral("63 63 63 63"));

    // Bytes that are no base-100 digits are the dive computer's own: a gather keeps them.
    DEVICE_DATA r = Plausible();
    const std::uint8_t digits[4] = {0xFF, 0x00, 0x64, 0x01};
    std::memcpy(r.serialDigits, digits, 4);
    Show(r);
    w->GatherSettings();
    QCOMPARE(Dump(BytesOf(CurrentSettings), 54, 4), QStringLiteral("ff 0 64 1"));
}

void EditorsTest::serialNumberDigits()
{
    DEVICE_DATA r = Plausible();
    const std::uint8_t digits[4] = {12, 34, 56, 78};
    std::memcpy(r.serialDigits, digits, 4);
    Show(r);
    QCOMPARE(C<QLineEdit>("SerialNumber")->text(), QStringLiteral("12345678"));
    TypeOver("SerialNumber", "87654321");
    QCOMPARE(Dump(BytesOf(CurrentSettings), 54, 4), QStringLiteral("57 41 2b 15"));  // 87 65 43 21
    QCOMPARE(UndoAll(), 8);
    QCOMPARE(Dump(BytesOf(CurrentSettings), 54, 4), QStringLiteral("c 22 38 4e"));
}

void EditorsTest::modelNameAndCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::newRow("no such model") << 0x55 << "Unknown"
                                   << "85";
    QTest::newRow("code 0") << 0 << "Unknown"
                            << "0";
    QTest::newRow("Tavro") << 0x0A << "Tavro"
                           << "10";
    QTest::newRow("Hamri") << 0x20 << "Hamri"
                           << "32";
}

void EditorsTest::modelNameAndCode()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QFETCH(QString, id);
    DEVICE_DATA r = Plausible();
    r.modelCode = static_cast<std::uint8_t>(code);
    Show(r);
    QCOMPARE(C<QLineEdit>("CompModel")->text(), name);
    QCOMPARE(C<QLineEdit>("CompIDEdit")->text(), id);
    // The ID edit changes the code, not the name shown.
    TypeOver("CompIDEdit", "4");
    QCOMPARE(int(CurrentSettings.modelCode), 4);
    QCOMPARE(C<QLineEdit>("CompModel")->text(), name);
}

void EditorsTest::noEditorFiresWhileUpdatingControls()
{
    // Every control shows another value: DisplaySettings pushes nothing, marks nothing.
    DEVICE_DATA r = Plausible();
    for (std::size_t i = 0; i < RecordSize; ++i)
        if (Owned(i))
            Bytes(r)[i] ^= 0x05;
    r.sampleRate = 60;
    r.diveMode = 2;
    r.units = 1;
    r.light = 0x0F;
    CurrentSettings = r;
    w->DisplaySettings();
    QVERIFY(!UpdatingControls);
    QVERIFY(w->UndoIsEmpty());
    QVERIFY(!w->IsChanged());
    QVERIFY(!UndoEnabled());

    // The person's own edits are ignored too while the flag is set.
    const Record before = BytesOf(CurrentSettings);
    UpdatingControls = true;
    ClickItem("DiveModel", 0);
    ClickItem("SampleRateBox", 0);
    ClickItem("PersonalSetting", 0);
    ClickItem("AltitudeSetting", 1);
    ClickItem("Units", 0);
    ClickItem("ClockBox", 0);
    Click(C<QCheckBox>("LightEnableCheck"));
    Click(C<QCheckBox>("DepthAlarmEnableCheck"));
    Click(C<QCheckBox>("TimeAlarmEnableCheck"));
    for (const char* edit :
         {"TotalTimeHours", "TotalTimeMinutes", "TotalDivesEdit", "MaxDepthEdit", "DepthAlarmEdit",
          "TimeAlarmEdit", "SerialNumber", "CompIDEdit", "FirmwareEdit"})
        TypeOver(edit, "1");
    FocusLiteTime();
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    EditPersonalText([](TPersonalEditForm&) { QFAIL("no dialog while the window updates"); });
    FocusElsewhere();
    UpdatingControls = false;
    QCOMPARE(BytesOf(CurrentSettings), before);
    QVERIFY(w->UndoIsEmpty());
    QVERIFY(!w->IsChanged());
}

void EditorsTest::eachKeystrokePushesOneEntry()
{
    TypeOver("MaxDepthEdit", "123");
    QCOMPARE(int(CurrentSettings.maxDepth), 123 * 128);
    Undo();
    QCOMPARE(C<QLineEdit>("MaxDepthEdit")->text(), QStringLiteral("12"));
    QCOMPARE(int(CurrentSettings.maxDepth), 1536);
    Undo();
    QCOMPARE(int(CurrentSettings.maxDepth), 128);
    Undo();
    QCOMPARE(int(CurrentSettings.maxDepth), 12 * 128);
    QVERIFY(!UndoEnabled());
}

void EditorsTest::alarmValueEditAfterStoreEnablesStore()
{
    // As a successful store leaves the window.
    w->UpdateUi(UiLoaded);
    w->SetChanged(false);
    w->UpdateUi(UiStored);
    QVERIFY(!C<QToolButton>("StoreButton")->isEnabled());

    TypeOver("DepthAlarmEdit", "7");
    QVERIFY(w->IsChanged());
    QVERIFY(C<QToolButton>("StoreButton")->isEnabled());
    QVERIFY(Find<QAction>(w.get(), "Store")->isEnabled());
    QCOMPARE(int(CurrentSettings.depthAlarm), 7 * 128);

    TypeOver("TimeAlarmEdit", "9");
    QCOMPARE(int(CurrentSettings.timeAlarm), 9);
    Undo();
    QCOMPARE(int(CurrentSettings.timeAlarm), 45);
    QCOMPARE(C<QLineEdit>("TimeAlarmEdit")->text(), QStringLiteral("45"));
    Undo();
    QCOMPARE(int(CurrentSettings.depthAlarm), 100 * 128);
    QCOMPARE(C<QLineEdit>("DepthAlarmEdit")->text(), QStringLiteral("100"));
}

void EditorsTest::displayThenGather_data()
{
    QTest::addColumn<bool>("everyByteSet");
    QTest::newRow("every byte set") << true;
    QTest::newRow("plausible settings") << false;
}

// A record shown and gathered back: bytes that no control shows stay as they were; a
// record whose values the controls can all show comes back byte for byte.
void EditorsTest::displayThenGather()
{
    QFETCH(bool, everyByteSet);
    DEVICE_DATA r = Plausible();
    if (everyByteSet)
        for (std::size_t i = 0; i < RecordSize; ++i)
            Bytes(r)[i] = static_cast<std::uint8_t>(i * 37 + 11) | 1;
    else
        for (std::size_t i = 0; i < RecordSize; ++i)
            if (!Owned(i))
                Bytes(r)[i] = static_cast<std::uint8_t>(i * 37 + 11) | 1;
    const Record before = BytesOf(r);
    Show(r);
    w->GatherSettings();
    const Record after = BytesOf(CurrentSettings);
    for (std::size_t i = 0; i < RecordSize; ++i)
        if (!everyByteSet || !Owned(i))
            QVERIFY2(
                after[i] == before[i],
                qPrintable(
                    QStringLiteral("byte %1: %2 became %3").arg(i).arg(before[i]).arg(after[i])));
    QVERIFY(!w->IsChanged());
    QVERIFY(w->UndoIsEmpty());
}

// ---------------------------------------------------------------------------------------
// Undo of the bytes that two controls share.

void EditorsTest::undoAltitudeThenPersonal()
{
    DEVICE_DATA r = Plausible();
    r.personalAltitude = 0xB4;  // high bits 1011, P1, A0
    Show(r);
    ClickItem("AltitudeSetting", 2);
    QCOMPARE(int(CurrentSettings.personalAltitude), 0xB6);
    ClickItem("PersonalSetting", 2);
    QCOMPARE(int(CurrentSettings.personalAltitude), 0xBA);
    Undo();
    QCOMPARE(int(CurrentSettings.personalAltitude), 0xB6);  // only the personal setting back
    QCOMPARE(RadioIndex(w.get(), "PersonalSetting"), 1);
    QCOMPARE(RadioIndex(w.get(), "AltitudeSetting"), 2);
    Undo();
    QCOMPARE(int(CurrentSettings.personalAltitude), 0xB4);
    QCOMPARE(RadioIndex(w.get(), "AltitudeSetting"), 0);
    QVERIFY(!UndoEnabled());
}

void EditorsTest::undoLightOffAndLightTime()
{
    CurrentSettings.light = 0xC0 | 25;  // on, bit 6 set, 25 minutes
    Click(C<QCheckBox>("LightEnableCheck"));
    QCOMPARE(int(CurrentSettings.light), 0x40 | 25);
    FocusLiteTime();
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Down);
    QCOMPARE(int(CurrentSettings.light), 0x40 | 24);  // written at once, bits 0-5 only
    FocusElsewhere();
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x40 | 25);
    QVERIFY(!C<QCheckBox>("LightEnableCheck")->isChecked());
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0xC0 | 25);
    QVERIFY(C<QCheckBox>("LightEnableCheck")->isChecked());
    QVERIFY(!UndoEnabled());
}

void EditorsTest::undoLightTimeThenLightOff()
{
    FocusLiteTime();
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    FocusElsewhere();
    Click(C<QCheckBox>("LightEnableCheck"));
    QCOMPARE(int(CurrentSettings.light), 26);
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 26);  // on again, the new time kept
    QCOMPARE(C<TBMSpinEdit>("LiteTime")->GetValue(), 26.0);
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 25);
    QCOMPARE(C<TBMSpinEdit>("LiteTime")->GetValue(), 25.0);
}

void EditorsTest::lightTimeOneEntryPerFocusVisit()
{
    FocusLiteTime();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    QCOMPARE(int(CurrentSettings.light), 0x80 | 28);
    FocusElsewhere();
    FocusLiteTime();
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    QCOMPARE(int(CurrentSettings.light), 0x80 | 29);
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 28);
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 25);
    QVERIFY(!UndoEnabled());
}

// The Undo button takes no focus: the light time keeps it, and a change after the undo
// is a new step.
void EditorsTest::lightTimeAfterUndoInTheSameVisit()
{
    FocusLiteTime();
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 25);
    QVERIFY(C<QWidget>("LiteTime")->hasFocus());
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Down);
    QCOMPARE(int(CurrentSettings.light), 0x80 | 24);
    QVERIFY(UndoEnabled());
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 25);
}

// A load or store empties the stack while the light time may keep the focus.
void EditorsTest::lightTimeAfterTheStackWasEmptiedInTheSameVisit()
{
    FocusLiteTime();
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    w->SetChanged(false);  // what a successful store does
    QVERIFY(w->UndoIsEmpty());
    QTest::keyClick(C<QWidget>("LiteTime"), Qt::Key_Up);
    QCOMPARE(int(CurrentSettings.light), 0x80 | 27);
    QVERIFY(UndoEnabled());
    Undo();
    QCOMPARE(int(CurrentSettings.light), 0x80 | 26);
}

void EditorsTest::undoTheTwoAlarmFlags()
{
    Click(C<QCheckBox>("TimeAlarmEnableCheck"));
    Click(C<QCheckBox>("DepthAlarmEnableCheck"));
    QCOMPARE(int(CurrentSettings.alarmFlags), 3);
    Undo();
    QCOMPARE(int(CurrentSettings.alarmFlags), 1);
    QVERIFY(C<QCheckBox>("TimeAlarmEnableCheck")->isChecked());
    QVERIFY(!C<QCheckBox>("DepthAlarmEnableCheck")->isChecked());
    Undo();
    QCOMPARE(int(CurrentSettings.alarmFlags), 0);
    QVERIFY(!C<QCheckBox>("TimeAlarmEnableCheck")->isChecked());

    // In the other order, from both on, with bits of the dive computer's own beside them
    // that the box's gather leaves alone.
    DEVICE_DATA r = Plausible();
    r.alarmFlags = 0xF3;
    Show(r);
    Click(C<QCheckBox>("DepthAlarmEnableCheck"));
    Click(C<QCheckBox>("TimeAlarmEnableCheck"));
    QCOMPARE(int(CurrentSettings.alarmFlags), 0xF0);
    Undo();
    QCOMPARE(int(CurrentSettings.alarmFlags), 0xF1);
    Undo();
    QCOMPARE(int(CurrentSettings.alarmFlags), 0xF3);
}

void EditorsTest::undoPersonalText_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("longer, same start") << "ABC"
                                        << "ABCDEFG";
    QTest::newRow("shorter") << "ABCDEFG"
                             << "AB";
    QTest::newRow("from empty") << ""
                                << "Hi";
    QTest::newRow("to empty") << "Diver"
                              << "";
    QTest::newRow("full length") << "Kelvor Type1 owner Ann Smith"
                                 << "x";
}

void EditorsTest::undoPersonalText()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    DEVICE_DATA r = Plausible();
    std::memset(r.personalText, 0, sizeof r.personalText);
    std::memcpy(r.personalText, from.toLatin1().constData(), from.size());
    Show(r);
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), from);

    EditPersonalText([&to](TPersonalEditForm& d) {
        auto* edit = Find<QLineEdit>(&d, "Edit");
        edit->selectAll();
        if (to.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, to);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(d.result(), int(TPersonalEditForm::ResultOK));
    });
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), to);
    QCOMPARE(
        QByteArray(reinterpret_cast<const char*>(CurrentSettings.personalText),
                   int(strnlen(reinterpret_cast<const char*>(CurrentSettings.personalText), 28))),
        to.toLatin1());
    QVERIFY(w->IsChanged());

    Undo();
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), from);
    QCOMPARE(
        QByteArray(reinterpret_cast<const char*>(CurrentSettings.personalText),
                   int(strnlen(reinterpret_cast<const char*>(CurrentSettings.personalText), 28))),
        from.toLatin1());
    QCOMPARE(int(CurrentSettings.textEnd), 0);
    QVERIFY(!UndoEnabled());
}

void EditorsTest::twoDiveTimeEditsNeedTwoUndos()
{
    TypeOver("TotalTimeHours", "5");
    TypeOver("TotalTimeMinutes", "9");
    QCOMPARE(int(CurrentSettings.diveTime), 309);
    Undo();
    QCOMPARE(int(CurrentSettings.diveTime), 305);
    QVERIFY(UndoEnabled());
    Undo();
    QCOMPARE(int(CurrentSettings.diveTime), 125);
    QCOMPARE(C<QLineEdit>("TotalTimeHours")->text(), QStringLiteral("2"));
    QCOMPARE(C<QLineEdit>("TotalTimeMinutes")->text(), QStringLiteral("05"));
    QVERIFY(!UndoEnabled());
    QVERIFY(w->IsChanged());
    QVERIFY(C<QToolButton>("StoreButton")->isEnabled() ==
            Find<QAction>(w.get(), "Store")->isEnabled());
}

void EditorsTest::stackEmptiedByCleanAndByFileOpened()
{
    ClickItem("Units", 1);
    TypeOver("TotalDivesEdit", "7");
    w->UpdateUi(UiClean);
    QVERIFY(w->UndoIsEmpty());
    QVERIFY(!UndoEnabled());

    ClickItem("DiveModel", 0);        // 1 -> 0
    TypeOver("TotalDivesEdit", "8");  // 7 -> 8
    // A file is opened: its settings shown, and the entries of the settings before gone,
    // so that no Undo writes their bytes into the opened ones.
    DEVICE_DATA opened = Plausible();
    opened.totalDives = 500;
    opened.diveMode = 2;
    opened.units = 0;
    CurrentSettings = opened;
    w->DisplaySettings();
    w->UpdateUi(UiFileOpened);
    QVERIFY(w->UndoIsEmpty());
    QVERIFY(!UndoEnabled());
    QCOMPARE(GlyphOf(w.get(), "UndoButton"), 5);

    ClickItem("Units", 1);  // the next edit offers Undo again, for itself only
    QVERIFY(UndoEnabled());
    QCOMPARE(GlyphOf(w.get(), "UndoButton"), 4);
    QCOMPARE(UndoAll(), 1);
    QCOMPARE(int(CurrentSettings.units), 0);
    QCOMPARE(int(CurrentSettings.totalDives), 500);
    QCOMPARE(int(CurrentSettings.diveMode), 2);
    QCOMPARE(C<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("500"));
}

void EditorsTest::emptyStackUndoDoesNothing()
{
    QVERIFY(w->UndoIsEmpty());
    QVERIFY(!UndoEnabled());
    QCOMPARE(GlyphOf(w.get(), "UndoButton"), 5);
    const Record before = BytesOf(CurrentSettings);
    QTest::mouseClick(C<QToolButton>("UndoButton"), Qt::LeftButton);
    w->UndoButtonClick();  // even when reached without the button
    QCOMPARE(BytesOf(CurrentSettings), before);
    QVERIFY(!UndoEnabled());
    QVERIFY(!UpdatingControls);
}

// ---------------------------------------------------------------------------------------
// The personal-data dialog.

void EditorsTest::personalDataUnchangedTextCountsAsCancel()
{
    int result = -1;
    EditPersonalText([&result](TPersonalEditForm& d) {
        auto* edit = Find<QLineEdit>(&d, "Edit");
        QCOMPARE(edit->text(), QStringLiteral("ABC"));
        QTest::keyClick(edit, Qt::Key_Return);
        result = d.result();
    });
    QCOMPARE(result, int(TPersonalEditForm::ResultCancel));
    QVERIFY(!w->IsChanged());
    QVERIFY(w->UndoIsEmpty());
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), QStringLiteral("ABC"));

    // The same through the Enter button, and after typing the same text again.
    EditPersonalText([](TPersonalEditForm& d) {
        auto* edit = Find<QLineEdit>(&d, "Edit");
        edit->selectAll();
        QTest::keyClicks(edit, "ABC");
        QTest::mouseClick(Find<QPushButton>(&d, "OKButton"), Qt::LeftButton);
        QCOMPARE(d.result(), int(TPersonalEditForm::ResultCancel));
    });
    QVERIFY(!w->IsChanged());
    QVERIFY(w->UndoIsEmpty());
}

void EditorsTest::personalDataEnterConfirms()
{
    EditPersonalText([](TPersonalEditForm& d) {
        auto* edit = Find<QLineEdit>(&d, "Edit");
        QTest::keyClicks(edit, "D");
        QTest::mouseClick(Find<QPushButton>(&d, "OKButton"), Qt::LeftButton);
        QCOMPARE(d.result(), int(TPersonalEditForm::ResultOK));
        QCOMPARE(d.GetText(), std::string("ABCD"));
    });
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), QStringLiteral("ABCD"));
    QVERIFY(w->IsChanged());
    QVERIFY(UndoEnabled());
}

void EditorsTest::personalDataCancel()
{
    EditPersonalText([](TPersonalEditForm& d) {
        QTest::keyClicks(Find<QLineEdit>(&d, "Edit"), "XYZ");
        QTest::mouseClick(Find<QPushButton>(&d, "CancelButton"), Qt::LeftButton);
        QCOMPARE(d.result(), int(TPersonalEditForm::ResultCancel));
    });
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), QStringLiteral("ABC"));
    QVERIFY(!w->IsChanged());
    QVERIFY(w->UndoIsEmpty());
}

void EditorsTest::personalDataAtMost28Characters()
{
    EditPersonalText([](TPersonalEditForm& d) {
        auto* edit = Find<QLineEdit>(&d, "Edit");
        edit->selectAll();
        QTest::keyClicks(edit, "0123456789012345678901234567890123");
        QCOMPARE(edit->text(), QStringLiteral("0123456789012345678901234567"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QCOMPARE(C<QLineEdit>("PersonalData")->text(), QStringLiteral("0123456789012345678901234567"));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(CurrentSettings.personalText), 28),
             QByteArray("0123456789012345678901234567"));
    QCOMPARE(int(CurrentSettings.textEnd), 0);
}

void EditorsTest::personalDataLongerTextShownWholeGivenBack28()
{
    TPersonalEditForm d(w.get());
    const std::string longer = "This text is longer than twenty-eight";
    d.SetText(longer);
    QCOMPARE(TPersonalEditForm::StartText, longer);
    QCOMPARE(Find<QLineEdit>(&d, "Edit")->text(), QString::fromStdString(longer));
    QCOMPARE(d.GetText(), longer.substr(0, 28));
    QVERIFY(!d.returnrequested());
    // Such a text can shrink but not grow; typing is still held to 28.
    auto* edit = Find<QLineEdit>(&d, "Edit");
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "xy");
    QCOMPARE(edit->text(), QString::fromStdString(longer.substr(0, longer.size() - 1)));
    QCOMPARE(d.GetText(), longer.substr(0, 28));
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(longer));
    QCOMPARE(edit->text().size(), 28);
    QVERIFY(d.returnrequested());
    d.SetText("");
    QVERIFY(!d.returnrequested());
    QTest::keyClicks(edit, QString::fromStdString(longer));
    QCOMPARE(edit->text().size(), 28);
}

void EditorsTest::personalDataEscapeCancels()
{
    EditPersonalText([](TPersonalEditForm& d) {
        auto* edit = Find<QLineEdit>(&d, "Edit");
        // Typed straight into the text, where the focus is when the box opens.
        QTest::keyClicks(d.focusWidget(), "Z");
        QCOMPARE(edit->text(), QStringLiteral("ABCZ"));
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(TPersonalEditForm::ResultCancel));
    });
    QVERIFY(w->UndoIsEmpty());
    QCOMPARE(Find<QLineEdit>(w.get(), "PersonalData")->text(), QStringLiteral("ABC"));
}

void EditorsTest::personalDataPlacement()
{
    w->move(320, 135);
    QTRY_COMPARE(w->pos(), QPoint(320, 135));
    QPoint at;
    EditPersonalText([&at](TPersonalEditForm& d) {
        at = d.pos();
        QCOMPARE(d.windowTitle(), QStringLiteral("Personal Info"));
        QVERIFY(!d.isSizeGripEnabled());
        QCOMPARE(d.size(), QSize(264, 83));
        // The tab order starts at the Enter button, but the focus starts in the text.
        QCOMPARE(d.focusWidget(), Find<QWidget>(&d, "Edit"));
        d.done(TPersonalEditForm::ResultCancel);
    });
    QCOMPARE(at, QPoint(520, 275));

    TPersonalEditForm direct(w.get());
    QCOMPARE(direct.pos(), QPoint(520, 275));
}

TIDEWELL_WINDOW_TEST_MAIN(EditorsTest)
#include "EditorsTest.moc"
