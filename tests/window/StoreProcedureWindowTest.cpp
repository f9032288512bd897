// The store procedure's table through the window: the person answers its questions in
// boxes, and the window tells what happened in its status pane and in the "Store Failed"
// box. The same rows run through tidewell-cli in tests/cli.
#include <optional>

#include <QDirIterator>
#include <QFileInfo>
#include <QtTest>

#include "FormDriver.h"
#include "IsolatedMain.h"
#include "RunningEmulator.h"
#include "ScriptedModal.h"
#include "StoreProcedureRows.h"
#include "persistence/SettingsBackups.h"
#include "window/Externals.h"
#include "window/Main.h"

namespace {

using namespace store_rows;

// Answers before a store's writing on a connection that loaded: the detection, the six
// reads of the load and the store's read of the dive computer's identity.
constexpr int kAnswersBefore = 8;

int BackupsKept()
{
    int files = 0;
    QDirIterator it(SettingsBackups::DefaultFolder(), {QStringLiteral("*.kvx")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++files;
    }
    return files;
}

void Connect(FormDriver& driver, const RunningEmulator& to)
{
    driver.TypePort(to.PortText());
    driver.Click("ConnectButton");
    QCOMPARE(driver.Status(), QStringLiteral("Comm Opened Successfully!"));
}

QList<ShownMessage> FailureBoxes(const ScriptedModal& modal)
{
    QList<ShownMessage> boxes;
    for (const ShownMessage& message : modal.messages)
        if (message.caption == QStringLiteral("Store Failed"))
            boxes << message;
    return boxes;
}

}  // namespace

class StoreProcedureWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void table_data();
    void table();
};

void StoreProcedureWindowTest::table_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kRows)); ++i)
        QTest::newRow(kRows[i].name) << i;
}

void StoreProcedureWindowTest::table()
{
    QFETCH(int, index);
    const Row& row = kRows[index];
    const Front& expect = row.window;
    if (row.backupFails) {  // a file where the backups folder should be
        QVERIFY(QDir().mkpath(QFileInfo(SettingsBackups::DefaultFolder()).path()));
        QVERIFY(QFile(SettingsBackups::DefaultFolder()).open(QIODevice::WriteOnly));
    }
    QStringList faults;
    if (row.fault)
        faults << QString::fromLatin1(row.fault)
               << QString::number(kAnswersBefore + row.faultAnswer);
    RunningEmulator source(QStringLiteral("source"),
                           row.target == Target::Same ? faults : QStringList());
    QVERIFY(source.IsReady());
    std::optional<RunningEmulator> other;
    if (row.target == Target::Other) {
        other.emplace(QStringLiteral("other"), faults, RunningEmulator::Announce::InRuntimeFolder,
                      OtherDiveComputer(source.Image()));
        QVERIFY(other->IsReady());
    }
    RunningEmulator& target = other ? *other : source;
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", false);
    driver.SetOption("KeepConnectionOpen", false);
    driver.SetOption("VerifyAfterStore", true);

    Connect(driver, source);
    driver.Click("LoadButton");
    QCOMPARE(driver.Status(), QStringLiteral("Load Complete"));
    const QByteArray edited = Edited(source.Image());
    QTest::mouseClick(
        driver.Find<QWidget>(edited[0x53] == 60 ? "SampleRateBoxItem3" : "SampleRateBoxItem2"),
        Qt::LeftButton);
    QTest::mouseClick(driver.Find<QWidget>(edited[0x62] == 0 ? "UnitsItem0" : "UnitsItem1"),
                      Qt::LeftButton);
    QCOMPARE(int(CurrentSettings.sampleRate), int(edited[0x53]));
    QCOMPARE(int(CurrentSettings.units), int(edited[0x62]));
    if (other)
        Connect(driver, *other);
    const QByteArray before = target.Image();
    if (row.target == Target::Other)
        modal.answers.push_back(row.yes ? QMessageBox::Yes : QMessageBox::No);

    driver.Click("StoreButton");

    QCOMPARE(target.Image().toHex(' '), Expected(expect.memory, before, edited).toHex(' '));
    QCOMPARE(BackupsKept() > 0, expect.backup);
    const QString status = driver.Status();
    const QList<ShownMessage> boxes = FailureBoxes(modal);
    QCOMPARE(boxes.size(),
             expect.told == Told::Stored || expect.told == Told::NothingWritten ? 0 : 1);
    const QString told = boxes.isEmpty() ? QString() : boxes[0].text;
    switch (expect.told) {
        case Told::Stored:
            QVERIFY2(status.startsWith(QStringLiteral("Store Completed. Backup of the settings "
                                                      "it held: ")),
                     qPrintable(status));
            QVERIFY(!form.IsChanged());
            break;
        case Told::NothingWritten:
            QCOMPARE(status, QStringLiteral("Store Canceled: nothing was written"));
            QVERIFY(form.IsChanged());
            break;
        case Told::BackupFailed:
            QCOMPARE(status, QStringLiteral("Store Failed"));
            QVERIFY2(told.startsWith(QStringLiteral("Cannot write the backup ")), qPrintable(told));
            QVERIFY2(told.contains(QStringLiteral("Not a directory")), qPrintable(told));
            QVERIFY2(told.endsWith(QStringLiteral("Nothing was written to the dive computer.")),
                     qPrintable(told));
            QVERIFY(form.IsConnected());
            break;
        case Told::NotKept:
            QCOMPARE(status, QStringLiteral("Store Failed at address 0x0062"));
            QVERIFY2(told.startsWith(QStringLiteral("The dive computer did not keep Units "
                                                    "(address 0x0062).")),
                     qPrintable(told));
            QVERIFY(form.IsConnected());
            break;
        case Told::LineBroken:
            QVERIFY2(told.startsWith(QStringLiteral("The dive computer stopped answering (")),
                     qPrintable(told));
            QTRY_VERIFY(!form.IsConnected());
            break;
    }
    // A store that broke off half-way names its way back, which is on disk.
    if (expect.told == Told::NotKept || expect.told == Told::LineBroken) {
        QVERIFY2(told.contains(QStringLiteral("may now hold part of the new settings")),
                 qPrintable(told));
        QVERIFY2(QFileInfo(told.section(QLatin1Char('\n'), 2, 2)).isFile(), qPrintable(told));
        QVERIFY(form.IsChanged());
    }
}

TIDEWELL_ISOLATED_MAIN(StoreProcedureWindowTest)
#include "StoreProcedureWindowTest.moc"
