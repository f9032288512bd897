// Store against two emulated dive computers: settings of one are written onto the other
// only when the diver says so, and then with the other's own identity and counters kept.
#include <QLineEdit>
#include <QtTest>

#include "FormDriver.h"
#include "IsolatedMain.h"
#include "PlanBytes.h"
#include "RunningEmulator.h"
#include "ScriptedModal.h"
#include "persistence/SettingsBackups.h"
#include "persistence/SettingsFile.h"
#include "window/Main.h"

namespace {

// The dive computer's own bytes: counters, model, firmware, serial digits.
constexpr int kOwnFrom = 0x1E, kOwnTo = 0x2A;

// The built-in image made another dive computer: a Ludmo, serial number 7, with counters
// and settings of its own.
QByteArray OtherImage(QByteArray image)
{
    const char own[] = {0x01, 0x00, 0x00, 0x3C, 0x00, 0x02, 0x0C, 0x09, 0x00, 0x00, 0x00, 0x07};
    image.replace(kOwnFrom, int(sizeof own), own, int(sizeof own));
    image[0x53] = 10;  // sample rate
    image[0x62] = 0;   // imperial
    return image;
}

// The built-in dive computer A and another one, B, and the window beside them.
struct TwoDiveComputers {
    RunningEmulator a{QStringLiteral("diverA")};
    RunningEmulator b{QStringLiteral("diverB"),
                      {},
                      RunningEmulator::Announce::InRuntimeFolder,
                      OtherImage(a.Image())};
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver{form};
};

}  // namespace

class OtherDiveComputerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void storeOnAnotherAsks_data();
    void storeOnAnotherAsks();
    void fileOfTheSameDiveComputerStoresWithoutAQuestion();

private:
    static void Connect(FormDriver& driver, const RunningEmulator& to, bool load);
};

void OtherDiveComputerTest::Connect(FormDriver& driver, const RunningEmulator& to, bool load)
{
    driver.SetOption("RefreshOnConnect", load);
    driver.TypePort(to.PortText());
    driver.Click("ConnectButton");
    QCOMPARE(driver.Status(),
             load ? QStringLiteral("Load Complete") : QStringLiteral("Comm Opened Successfully!"));
}

void OtherDiveComputerTest::storeOnAnotherAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void OtherDiveComputerTest::storeOnAnotherAsks()
{
    QFETCH(bool, yes);
    TwoDiveComputers two;
    QVERIFY(two.a.IsReady() && two.b.IsReady());
    auto& [a, b, modal, form, driver] = two;

    Connect(driver, a, true);
    QTest::mouseClick(driver.Find<QWidget>("SampleRateBoxItem2"), Qt::LeftButton);  // 30 s
    const DEVICE_DATA ofA = CurrentSettings;
    Connect(driver, b, false);
    const QByteArray before = b.Image();

    modal.answers.push_back(yes ? QMessageBox::Yes : QMessageBox::No);
    driver.Click("StoreButton");

    QCOMPARE(modal.messages.size(), 1);
    QCOMPARE(modal.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    const QString asked = modal.messages[0].text;
    QVERIFY2(asked.contains(QStringLiteral("the Quessa with serial number 3141592")),
             qPrintable(asked));
    QVERIFY2(asked.contains(QStringLiteral("the Ludmo with serial number 7")), qPrintable(asked));
    if (!yes) {
        QCOMPARE(driver.Status(), QStringLiteral("Store Canceled: nothing was written"));
        QCOMPARE(b.Image(), before);
        QVERIFY(form.IsChanged());
        return;
    }

    QVERIFY(driver.Status().startsWith(QStringLiteral("Store Completed.")));
    const QByteArray after = b.Image();
    QCOMPARE(after.mid(kOwnFrom, kOwnTo - kOwnFrom), before.mid(kOwnFrom, kOwnTo - kOwnFrom));
    QCOMPARE(int(after[0x53]), 30);
    QCOMPARE(after[0x62], a.Image()[0x62]);
    // Everything else of the plan is A's settings as shown.
    QByteArray expected = a.Image();
    expected[0x53] = 30;
    expected.replace(kOwnFrom, kOwnTo - kOwnFrom, before.mid(kOwnFrom, kOwnTo - kOwnFrom));
    QCOMPARE(PlanBytes(after), PlanBytes(expected));
    // The window shows what B now holds, and the backup of B holds what it held before.
    QCOMPARE(driver.Find<QLineEdit>("CompModel")->text(), QStringLiteral("Ludmo"));
    QCOMPARE(driver.Find<QLineEdit>("SerialNumber")->text(), QStringLiteral("7"));
    QCOMPARE(driver.Find<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("2"));
    QCOMPARE(int(CurrentSettings.diveTime), 60);
    QVERIFY(!DeviceData::SameDiveComputer(CurrentSettings, ofA));
    const QStringList backups = SettingsBackups().Of(CurrentSettings);
    QCOMPARE(backups.size(), 1);
    DEVICE_DATA backedUp{};
    QCOMPARE(OpenSettingsFile(backups[0], form.Version(), backedUp), OpenOutcome::Opened);
    QCOMPARE(int(backedUp.sampleRate), 10);
    QCOMPARE(DeviceData::SerialNumberOf(backedUp), 7u);
}

void OtherDiveComputerTest::fileOfTheSameDiveComputerStoresWithoutAQuestion()
{
    TwoDiveComputers two;
    QVERIFY(two.a.IsReady() && two.b.IsReady());
    auto& [a, b, modal, form, driver] = two;
    driver.SetOption("VerifyAfterStore", false);
    QTemporaryDir folder;
    const QString fileOfA = folder.filePath(QStringLiteral("a.kvx"));

    Connect(driver, a, true);
    QTest::mouseClick(driver.Find<QWidget>("SampleRateBoxItem3"), Qt::LeftButton);  // 60 s
    modal.saveAnswers.push_back(fileOfA);
    driver.Click("SaveButton");
    Connect(driver, b, true);
    modal.openAnswers.push_back(fileOfA);
    driver.Click("OpenButton");
    Connect(driver, a, false);

    driver.Click("StoreButton");

    QVERIFY(modal.messages.isEmpty());
    // Verify After Store is off: the status says the store was not checked.
    QVERIFY2(driver.Status().startsWith(QStringLiteral("Store Completed, not checked.")),
             qPrintable(driver.Status()));
    QCOMPARE(int(a.Image()[0x53]), 60);
}

TIDEWELL_ISOLATED_MAIN(OtherDiveComputerTest)
#include "OtherDiveComputerTest.moc"
