// The window never shows, keeps or writes what the dive computer does not hold: a dive
// computer moved on the cable, counters and identity edited, edits over Open and Load,
// editors before any values, a line that broke, a port after a failed detection, a
// restore after a fresh start, and what a store says it did.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <iterator>
#include <tuple>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "ConnectedWindow.h"
#include "IsolatedMain.h"
#include "PlanBytes.h"
#include "PseudoTerminal.h"
#include "persistence/SettingsBackups.h"
#include "persistence/SettingsFile.h"
#include "window/Externals.h"

namespace {

// The dive computer's own bytes: counters, model, firmware, serial digits.
constexpr int kOwnFrom = 0x1E, kOwnTo = 0x2A;
constexpr int kSampleRate = 0x53, kUnits = 0x62;
constexpr int kSixtySeconds = 60;  // SampleRateBoxItem3

using Answer = QMessageBox::StandardButton;
// A question answered with Enter in the real box: its default answer.
constexpr Answer kEnter = QMessageBox::NoButton;

// The built-in dive computer's memory, as the emulator starts with it.
QByteArray BuiltInImage()
{
    static const QByteArray image = RunningEmulator(QStringLiteral("seed")).Image();
    return image;
}

// `image` made another dive computer: a Ludmo, serial number 7, with counters and
// settings of its own.
QByteArray OtherImage(QByteArray image)
{
    const char own[] = {0x01, 0x00, 0x00, 0x3C, 0x00, 0x02, 0x0C, 0x09, 0x00, 0x00, 0x00, 0x07};
    image.replace(kOwnFrom, int(sizeof own), own, int(sizeof own));
    image[kSampleRate] = 10;
    image[kUnits] = 0;
    return image;
}

QByteArray Own(const QByteArray& image)
{
    return image.mid(kOwnFrom, kOwnTo - kOwnFrom);
}

// The settings record a Load of `image` gives.
DEVICE_DATA RecordOf(const QByteArray& image)
{
    DEVICE_DATA record{};
    for (const auto& block : DeviceData::TransferPlan)
        DeviceData::PlaceByPlan(
            record, block.address,
            reinterpret_cast<const std::uint8_t*>(image.constData()) + block.address, block.length);
    DeviceData::SwapWords(record);
    return record;
}

// A second dive computer for the emulator's --second-image, in a file of its own.
class SecondImage {
public:
    explicit SecondImage(const QByteArray& image) : path_(folder_.filePath(QStringLiteral("b.bin")))
    {
        QFile file(path_);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            path_.clear();
    }
    QStringList Option() const { return {QStringLiteral("--second-image"), path_}; }
    QByteArray Image() const
    {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir folder_;
    QString path_;
};

// Answers the real message boxes with Enter, as a person who trusts their default does,
// and keeps what the first asked and which answer Enter gave. The scripted answers are out of
// the way meanwhile.
class EnterPresser {
public:
    explicit EnterPresser(ScriptedModal& scripted) : scripted_(scripted)
    {
        Modal::Install(nullptr);
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (text.isEmpty()) {
                text = box->text();
                given = box->standardButton(box->defaultButton());
            }
            QTest::keyClick(box, Qt::Key_Enter);
        });
        poll_.start();
    }
    ~EnterPresser() { Modal::Install(&scripted_); }
    EnterPresser(const EnterPresser&) = delete;
    EnterPresser& operator=(const EnterPresser&) = delete;

    QString text;
    Answer given = QMessageBox::NoButton;

private:
    ScriptedModal& scripted_;
    QTimer poll_;
};

// Clicks `button` with `answer` ready for the one question it asks; returns the question.
QString ClickAnswering(ConnectedWindow& w, const char* button, Answer answer,
                       Answer* given = nullptr)
{
    if (answer != kEnter) {
        const qsizetype asked = w.modal.messages.size();
        w.modal.answers.push_back(answer);
        w.driver.Click(button);
        return w.modal.messages.size() > asked ? w.modal.messages[asked].text : QString();
    }
    EnterPresser enter(w.modal);
    w.driver.Click(button);
    if (given)
        *given = enter.given;
    return enter.text;
}

bool Connected(const ConnectedWindow& w)
{
    return w.driver.Status() == QStringLiteral("Comm Opened Successfully!") &&
           w.form->IsConnected();
}

bool ConnectAndLoad(ConnectedWindow& w)
{
    w.Connect();
    if (!Connected(w))
        return false;
    w.driver.Click("LoadButton");
    return w.driver.Status() == QStringLiteral("Load Complete");
}

// The edit that the tests make and look for: the sample rate to 60 s.
bool EditSampleRate(ConnectedWindow& w)
{
    QTest::mouseClick(w.driver.Find<QWidget>("SampleRateBoxItem3"), Qt::LeftButton);
    return CurrentSettings.sampleRate == kSixtySeconds && w.form->IsChanged();
}

// A settings file of `image` with the sample rate `rate`.
QString SaveFileOf(const QTemporaryDir& folder, const QString& name, QByteArray image, int rate,
                   const VersionInformation& version)
{
    image[kSampleRate] = char(rate);
    const QString path = folder.filePath(name);
    return SaveSettingsFile(path, version, RecordOf(image)) == SaveOutcome::Saved ? path
                                                                                  : QString();
}

QString StoredStatus(const QString& backup, bool checked)
{
    const QString name = QFileInfo(backup).fileName();
    return checked ? QStringLiteral("Store Completed. Backup of the settings it held: %1").arg(name)
                   : QStringLiteral(
                         "Store Completed, not checked. Backup of the settings it "
                         "held: %1")
                         .arg(name);
}

const char* const kSettingGroups[] = {
    "CompModelBox",    "DiveModel",     "PersonalDataString", "LightTimer",
    "SerialNum",       "MAXDepth",      "ClockBox",           "Units",
    "TotalDivesBox",   "TotalTimeBox",  "SampleRateBox",      "AltitudeSetting",
    "PersonalSetting", "DiveAlarmsBox", "CompIDBox",          "FirmwareBox",
};

// The settings groups that a person could use now.
QStringList UsableGroups(const FormDriver& driver)
{
    QStringList usable;
    for (const char* group : kSettingGroups)
        if (driver.Find<QWidget>(group)->isEnabled())
            usable << QString::fromLatin1(group);
    return usable;
}

// Whether this process can take `path` exclusively, as another serial program would.
bool OthersMayOpen(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return locked;
}

}  // namespace

class HonestWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void diveComputerMovedOnTheCable_data();
    void diveComputerMovedOnTheCable();
    void ownSettingsChangeOnlyWhenAsked_data();
    void ownSettingsChangeOnlyWhenAsked();
    void editsOverOpenAndLoad_data();
    void editsOverOpenAndLoad();
    void editorsWaitForValues_data();
    void editorsWaitForValues();
    void brokenLineShowsNotConnected_data();
    void brokenLineShowsNotConnected();
    void failedDetectionFreesThePort_data();
    void failedDetectionFreesThePort();
    void restoreAfterAFreshStart_data();
    void restoreAfterAFreshStart();
    void storeSaysWhatItDid_data();
    void storeSaysWhatItDid();
};

void HonestWindowTest::diveComputerMovedOnTheCable_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("No") << QMessageBox::No << false;
    QTest::newRow("Enter") << kEnter << false;
    QTest::newRow("Yes") << QMessageBox::Yes << true;
}

void HonestWindowTest::diveComputerMovedOnTheCable()
{
    QFETCH(Answer, answer);
    QFETCH(bool, written);
    const SecondImage b(OtherImage(BuiltInImage()));
    ConnectedWindow w(QStringLiteral("moved"), b.Option());
    QVERIFY(w.emulator->IsReady());
    QVERIFY(ConnectAndLoad(w));
    QVERIFY(EditSampleRate(w));
    const QByteArray aBefore = w.emulator->Image();
    const QByteArray bBefore = b.Image();

    QVERIFY(w.emulator->Swap());
    Answer given = answer;
    const QString asked = ClickAnswering(w, "StoreButton", answer, &given);

    // Both named from what was read from them.
    QVERIFY2(asked.contains(QStringLiteral("the Quessa with serial number 3141592")),
             qPrintable(asked));
    QVERIFY2(asked.contains(QStringLiteral("the Ludmo with serial number 7")), qPrintable(asked));
    QCOMPARE(given == QMessageBox::Yes, written);
    QCOMPARE(w.emulator->Image(), aBefore);
    const DEVICE_DATA heldByB = RecordOf(bBefore);
    const QStringList backupsOfB = SettingsBackups().Of(heldByB);
    QVERIFY(SettingsBackups().Of(RecordOf(aBefore)).isEmpty());
    if (!written) {
        QCOMPARE(b.Image(), bBefore);
        QCOMPARE(w.driver.Status(), QStringLiteral("Store Canceled: nothing was written"));
        QVERIFY(backupsOfB.isEmpty());
        QVERIFY(w.form->IsChanged());
        return;
    }

    // B keeps its own identity and counters and takes the settings as shown.
    const QByteArray after = b.Image();
    QByteArray expected = aBefore;
    expected[kSampleRate] = char(kSixtySeconds);
    expected.replace(kOwnFrom, kOwnTo - kOwnFrom, Own(bBefore));
    QCOMPARE(PlanBytes(after), PlanBytes(expected));
    // The way back is B's own settings, in B's own folder.
    QCOMPARE(backupsOfB.size(), 1);
    QCOMPARE(QFileInfo(backupsOfB[0]).absolutePath(),
             QFileInfo(SettingsBackups().FolderOf(heldByB)).absoluteFilePath());
    QCOMPARE(PlanBytesOfFile(backupsOfB[0], w.form->Version()), PlanBytes(bBefore));
    QCOMPARE(w.driver.Status(), StoredStatus(backupsOfB[0], true));
    // The window shows what B holds now.
    QCOMPARE(w.driver.Find<QLineEdit>("CompModel")->text(), QStringLiteral("Ludmo"));
    QCOMPARE(w.driver.Find<QLineEdit>("SerialNumber")->text(), QStringLiteral("7"));
    QCOMPARE(PlanBytes(CurrentSettings), PlanBytes(after));
}

void HonestWindowTest::ownSettingsChangeOnlyWhenAsked_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("bytes");  // as the dive computer keeps the typed value
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("outcome");

    const QByteArray fiveDives("\x00\x05", 2);
    for (const auto& [name, answer, outcome] :
         {std::tuple{"Yes", QMessageBox::Yes, "written"}, std::tuple{"No", QMessageBox::No, "kept"},
          std::tuple{"Cancel", QMessageBox::Cancel, "nothing"},
          std::tuple{"Enter", kEnter, "kept"}})
        QTest::addRow("Total Dives, %s", name)
            << "TotalDivesEdit"
            << "5"
            << "Total Dives" << 0x22 << fiveDives << answer << QString::fromLatin1(outcome);
    QTest::newRow("Serial Number, Yes")
        << "SerialNumber"
        << "7777777"
        << "Serial Number" << 0x26 << QByteArray("\x07\x4D\x4D\x4D", 4) << QMessageBox::Yes
        << "written";
    QTest::newRow("Serial Number, No")
        << "SerialNumber"
        << "7777777"
        << "Serial Number" << 0x26 << QByteArray("\x07\x4D\x4D\x4D", 4) << QMessageBox::No
        << "kept";
    QTest::newRow("ID #, Yes") << "CompIDEdit"
                               << "1"
                               << "ID #" << 0x24 << QByteArray("\x01", 1) << QMessageBox::Yes
                               << "written";
    QTest::newRow("ID #, Cancel") << "CompIDEdit"
                                  << "1"
                                  << "ID #" << 0x24 << QByteArray("\x01", 1) << QMessageBox::Cancel
                                  << "nothing";
}

void HonestWindowTest::ownSettingsChangeOnlyWhenAsked()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, setting);
    QFETCH(int, address);
    QFETCH(QByteArray, bytes);
    QFETCH(Answer, answer);
    QFETCH(QString, outcome);
    // On virtual time: the fake dive computer, a Pellan of 48 dives, serial number 271828.
    ConnectedWindow w;
    const auto& memory = w.device->Dive().memory;
    auto image = [&] {
        return QByteArray(reinterpret_cast<const char*>(memory.data()), int(memory.size()));
    };
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));
    const QByteArray before = image();
    const QString shownBefore = w.driver.Find<QLineEdit>(edit.toLatin1().constData())->text();
    QVERIFY(shownBefore != typed);
    w.driver.TypeInto(edit.toLatin1().constData(), typed);
    QVERIFY(EditSampleRate(w));

    Answer given = answer;
    const QString asked = ClickAnswering(w, "StoreButton", answer, &given);

    // One question, naming the field with the dive computer's value and the new one.
    const QString line = QStringLiteral("%1: %2 on the dive computer, %3 in these settings")
                             .arg(setting, shownBefore, typed);
    QVERIFY2(asked.contains(line), qPrintable(asked));
    QCOMPARE(asked.count(QStringLiteral(" on the dive computer, ")), 1);
    if (answer == kEnter)
        QCOMPARE(given, QMessageBox::No);
    const QByteArray after = image();
    if (outcome == QLatin1String("nothing")) {
        QCOMPARE(after, before);
        QCOMPARE(w.driver.Status(), QStringLiteral("Store Canceled: nothing was written"));
        QVERIFY(w.form->IsChanged());
        return;
    }
    QCOMPARE(int(after[kSampleRate]), kSixtySeconds);
    if (outcome == QLatin1String("written")) {
        QCOMPARE(after.mid(address, bytes.size()), bytes);
        QCOMPARE(w.driver.Find<QLineEdit>(edit.toLatin1().constData())->text(), typed);
    } else {
        QCOMPARE(Own(after), Own(before));
        QCOMPARE(w.driver.Find<QLineEdit>(edit.toLatin1().constData())->text(), shownBefore);
    }
    // Everything but the sample rate and the field asked about is as it was.
    QByteArray expected = before;
    expected[kSampleRate] = char(kSixtySeconds);
    if (outcome == QLatin1String("written"))
        expected.replace(address, bytes.size(), bytes);
    QCOMPARE(PlanBytes(after), PlanBytes(expected));
    QCOMPARE(PlanBytes(CurrentSettings), PlanBytes(after));
    QVERIFY(w.driver.Status().startsWith(QStringLiteral("Store Completed. Backup")));
}

void HonestWindowTest::editsOverOpenAndLoad_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<Answer>("answer");
    for (const char* command : {"OpenButton", "LoadButton"})
        for (const auto& [name, answer] :
             {std::pair{"Save", QMessageBox::Save}, std::pair{"Discard", QMessageBox::Discard},
              std::pair{"Cancel", QMessageBox::Cancel}, std::pair{"Store", QMessageBox::Apply},
              std::pair{"Enter", kEnter}})
            QTest::addRow("%s, %s", command, name) << QString::fromLatin1(command) << answer;
}

void HonestWindowTest::editsOverOpenAndLoad()
{
    QFETCH(QString, command);
    QFETCH(Answer, answer);
    const bool open = command == QLatin1String("OpenButton");
    QTemporaryDir folder;
    ConnectedWindow w(QStringLiteral("edits"));
    QVERIFY(w.emulator->IsReady());
    QVERIFY(ConnectAndLoad(w));
    const QByteArray before = w.emulator->Image();
    const int heldRate = before[kSampleRate];
    QVERIFY(heldRate != kSixtySeconds && heldRate != 10);
    // A file of this dive computer, with a sample rate of its own.
    const QString file =
        SaveFileOf(folder, QStringLiteral("file.kvx"), before, 10, w.form->Version());
    QVERIFY(!file.isEmpty());
    QVERIFY(EditSampleRate(w));
    QVERIFY(w.driver.Button("UndoButton")->isEnabled());
    const QString saved = folder.filePath(QStringLiteral("edits.kvx"));
    w.modal.saveAnswers.push_back(saved);
    w.modal.openAnswers.push_back(file);

    Answer given = answer;
    const QString asked = ClickAnswering(w, command.toLatin1().constData(), answer, &given);

    QVERIFY2(asked.contains(QStringLiteral("neither stored on the dive computer nor saved")),
             qPrintable(asked));
    if (answer == kEnter)
        QCOMPARE(given, QMessageBox::Cancel);
    else
        QCOMPARE(w.modal.messages.last().buttons, QMessageBox::Save | QMessageBox::Discard |
                                                      QMessageBox::Cancel | QMessageBox::Apply);
    if (given == QMessageBox::Cancel) {
        // Nothing replaced: the edits are still shown, still unsaved and undoable.
        QCOMPARE(int(CurrentSettings.sampleRate), kSixtySeconds);
        QVERIFY(w.driver.Find<QAbstractButton>("SampleRateBoxItem3")->isChecked());
        QVERIFY(w.form->IsChanged());
        QVERIFY(w.driver.Button("UndoButton")->isEnabled());
        QVERIFY(w.modal.openPresets.isEmpty());
        QCOMPARE(w.emulator->Image(), before);
        return;
    }
    // Where the edits went, as asked.
    if (given == QMessageBox::Save) {
        QByteArray edited = before;
        edited[kSampleRate] = char(kSixtySeconds);
        QCOMPARE(PlanBytesOfFile(saved, w.form->Version()), PlanBytes(edited));
    } else {
        QVERIFY(!QFile::exists(saved));
    }
    QCOMPARE(int(w.emulator->Image()[kSampleRate]),
             given == QMessageBox::Apply ? kSixtySeconds : heldRate);
    // What replaced them is shown, and Undo cannot bring back the bytes of before.
    const int shown = open ? 10 : w.emulator->Image()[kSampleRate];
    QCOMPARE(int(CurrentSettings.sampleRate), shown);
    QCOMPARE(w.driver.Find<QAbstractButton>("SampleRateBoxItem3")->isChecked(),
             shown == kSixtySeconds);
    if (!open)  // what is shown is what the dive computer holds
        QVERIFY(!w.form->IsChanged());
    QVERIFY(!w.driver.Button("UndoButton")->isEnabled());
    QVERIFY(w.form->UndoIsEmpty());
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());
}

void HonestWindowTest::editorsWaitForValues_data()
{
    QTest::addColumn<QString>("values");
    QTest::newRow("Load") << "Load";
    QTest::newRow("Open") << "Open";
    QTest::newRow("Load, edit, Save") << "Save";
    QTest::newRow("Load, edit, Store") << "Store";
}

void HonestWindowTest::editorsWaitForValues()
{
    QFETCH(QString, values);
    QTemporaryDir folder;
    ConnectedWindow w(QStringLiteral("values"));
    QVERIFY(w.emulator->IsReady());
    const QString file =
        SaveFileOf(folder, QStringLiteral("file.kvx"), BuiltInImage(), 10, w.form->Version());
    QVERIFY(!file.isEmpty());
    QVERIFY(UsableGroups(w.driver).isEmpty());

    w.Connect();
    QVERIFY(Connected(w));
    // No values yet: nothing that could pass for the dive computer's own.
    QCOMPARE(UsableGroups(w.driver), QStringList());
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());

    if (values == QLatin1String("Open")) {
        w.modal.openAnswers.push_back(file);
        w.driver.Click("OpenButton");
        QCOMPARE(int(CurrentSettings.sampleRate), 10);
    } else {
        w.driver.Click("LoadButton");
        QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));
    }
    if (values == QLatin1String("Save") || values == QLatin1String("Store")) {
        QVERIFY(EditSampleRate(w));
        w.modal.saveAnswers.push_back(folder.filePath(QStringLiteral("saved.kvx")));
        w.driver.Click(values == QLatin1String("Save") ? "SaveButton" : "StoreButton");
    }

    QCOMPARE(UsableGroups(w.driver).size(), int(std::size(kSettingGroups)));
    // Reading again is always possible while connected.
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());
    QVERIFY(w.driver.Item("Load")->isEnabled());
}

void HonestWindowTest::brokenLineShowsNotConnected_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("pull");      // the cable is pulled after the Load
    QTest::addColumn<QString>("boxes");  // what the store's box says besides, if one comes
    const QString nothing = QStringLiteral("Nothing was written to it.");
    QTest::newRow("cable pulled after Load") << QStringList() << true << nothing;
    QTest::newRow("hung up during Load")
        << QStringList{QStringLiteral("--hangup=4")} << false << QString();
    QTest::newRow("hung up as Store reads")
        << QStringList{QStringLiteral("--hangup=8")} << false << nothing;
    QTest::newRow("hung up as Store writes")
        << QStringList{QStringLiteral("--hangup=9")} << false
        << QStringLiteral("may now hold part of the new settings");
}

void HonestWindowTest::brokenLineShowsNotConnected()
{
    QFETCH(QStringList, options);
    QFETCH(bool, pull);
    QFETCH(QString, boxes);
    ConnectedWindow w(QStringLiteral("broken"), options);
    QVERIFY(w.emulator->IsReady());
    const QByteArray before = w.emulator->Image();
    w.Connect();
    QVERIFY(Connected(w));
    w.driver.Click("LoadButton");
    if (w.driver.Status() == QStringLiteral("Load Complete")) {
        QVERIFY(EditSampleRate(w));
        if (pull)
            QVERIFY(w.emulator->Stop());
        w.driver.Click("StoreButton");
    }

    // Not connected, and said so in a diver's words, with the way on.
    QVERIFY(!w.form->IsConnected());
    QCOMPARE(w.driver.Glyph("ConnectButton"), int(TForm1::GlyphNotConnected));
    QVERIFY(!w.driver.Button("LoadButton")->isEnabled());
    QVERIFY(!w.driver.Button("StoreButton")->isEnabled());
    QVERIFY(w.driver.Button("ConnectButton")->isEnabled());
    QVERIFY2(w.driver.Status().contains(QStringLiteral("stopped answering")) &&
                 w.driver.Status().contains(QStringLiteral("Connect again")),
             qPrintable(w.driver.Status()));
    QCOMPARE(w.modal.messages.size(), boxes.isEmpty() ? 0 : 1);
    for (const ShownMessage& message : w.modal.messages)
        QVERIFY2(message.text.startsWith(QStringLiteral("The dive computer stopped answering (")) &&
                     message.text.contains(boxes),
                 qPrintable(message.text));
    // Nothing was written.
    QVERIFY(w.emulator->Stop());
    QCOMPARE(w.emulator->Image(), before);
    // The edits are still there to store once connected again.
    if (!w.modal.messages.isEmpty())
        QVERIFY(w.form->IsChanged());
}

void HonestWindowTest::failedDetectionFreesThePort_data()
{
    QTest::addColumn<bool>("connectedBefore");
    QTest::newRow("first Connect") << false;
    QTest::newRow("after a connection") << true;
}

void HonestWindowTest::failedDetectionFreesThePort()
{
    QFETCH(bool, connectedBefore);
    ConnectedWindow w(QStringLiteral("answering"));
    QVERIFY(w.emulator->IsReady());
    const PseudoTerminal silent;  // a port where nothing answers
    QVERIFY(!silent.path().isEmpty());
    if (connectedBefore) {
        w.driver.SetOption("KeepConnectionOpen", true);
        w.Connect();
        QVERIFY(Connected(w));
    }

    w.driver.TypePort(silent.path());
    w.driver.Click("ConnectButton");

    QCOMPARE(w.driver.Status(), QStringLiteral("Device Not Open"));
    QCOMPARE(w.modal.messages.size(), 1);
    QVERIFY(!w.form->IsConnected());
    QCOMPARE(w.driver.Glyph("ConnectButton"), int(TForm1::GlyphNotConnected));
    // Another program may have both ports at once: nothing here holds them any more.
    QVERIFY(OthersMayOpen(silent.path()));
    QVERIFY(OthersMayOpen(w.emulator->Terminal()));
}

void HonestWindowTest::restoreAfterAFreshStart_data()
{
    QTest::addColumn<bool>("other");
    QTest::newRow("its own settings file") << false;
    QTest::newRow("another dive computer's settings file") << true;
}

void HonestWindowTest::restoreAfterAFreshStart()
{
    QFETCH(bool, other);
    QTemporaryDir folder;
    const SecondImage b(OtherImage(BuiltInImage()));
    ConnectedWindow w(QStringLiteral("restore"), b.Option());
    QVERIFY(w.emulator->IsReady());
    const QByteArray ofA = w.emulator->Image();
    const QString file =
        SaveFileOf(folder, QStringLiteral("a.kvx"), ofA, kSixtySeconds, w.form->Version());
    QVERIFY(!file.isEmpty());
    if (other)
        QVERIFY(w.emulator->Swap());
    auto target = [&] { return other ? b.Image() : w.emulator->Image(); };
    const QByteArray before = target();

    w.Connect();
    QVERIFY(Connected(w));
    w.modal.openAnswers.push_back(file);
    w.driver.Click("OpenButton");
    w.modal.answers.push_back(QMessageBox::Yes);
    w.driver.Click("StoreButton");

    QCOMPARE(w.modal.messages.size(), other ? 1 : 0);
    QByteArray expected = ofA;
    expected[kSampleRate] = char(kSixtySeconds);
    expected.replace(kOwnFrom, kOwnTo - kOwnFrom, Own(before));
    QCOMPARE(PlanBytes(target()), PlanBytes(expected));
    const QStringList backups = SettingsBackups().Of(RecordOf(before));
    QCOMPARE(backups.size(), 1);
    QCOMPARE(PlanBytesOfFile(backups[0], w.form->Version()), PlanBytes(before));
    QCOMPARE(w.driver.Status(), StoredStatus(backups[0], true));
}

void HonestWindowTest::storeSaysWhatItDid_data()
{
    QTest::addColumn<bool>("verify");
    QTest::addColumn<bool>("kept");
    QTest::newRow("kept, checked") << true << true;
    QTest::newRow("kept, not checked") << false << true;
    QTest::newRow("not kept, checked") << true << false;
    QTest::newRow("not kept, not checked") << false << false;
}

void HonestWindowTest::storeSaysWhatItDid()
{
    QFETCH(bool, verify);
    QFETCH(bool, kept);
    ConnectedWindow w;
    w.driver.SetOption("VerifyAfterStore", verify);
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));
    const std::uint8_t heldRate = w.device->Dive().memory[kSampleRate];
    QVERIFY(EditSampleRate(w));
    if (!kept)
        w.device->Dive().KeepNoWrite();

    w.driver.Click("StoreButton");

    QCOMPARE(int(w.device->Dive().memory[kSampleRate]), kept ? kSixtySeconds : int(heldRate));
    if (!kept && verify) {
        QCOMPARE(w.modal.messages.size(), 1);
        QCOMPARE(w.modal.messages[0].caption, QStringLiteral("Store Failed"));
        QVERIFY2(w.modal.messages[0].text.contains(
                     QStringLiteral("did not keep Sample Rate (address 0x0053)")),
                 qPrintable(w.modal.messages[0].text));
        QCOMPARE(w.driver.Status(), QStringLiteral("Store Failed at address 0x0053"));
        QVERIFY(w.form->IsChanged());
        return;
    }
    QVERIFY(w.modal.messages.isEmpty());
    const QStringList backups = SettingsBackups().Of(CurrentSettings);
    QCOMPARE(backups.size(), 1);
    QCOMPARE(w.driver.Status(), StoredStatus(backups[0], verify));
}

TIDEWELL_ISOLATED_MAIN(HonestWindowTest)
#include "HonestWindowTest.moc"
