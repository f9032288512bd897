// Load and Store through the window against the emulator process: what the window shows
// after a load, what reaches the dive computer's memory after a store, and what a
// transfer that fails half-way leaves behind.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QtTest>

#include "FakeDevice.h"
#include "FormDriver.h"
#include "IsolatedMain.h"
#include "RunningEmulator.h"
#include "ScriptedModal.h"
#include "controls/Bmspinedit.h"
#include "window/Main.h"

namespace {

QByteArray RecordBytes()
{
    return QByteArray(reinterpret_cast<const char*>(&CurrentSettings), sizeof CurrentSettings);
}

}  // namespace

class TransferTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void refreshOnConnectThenStore();
    void loadFailingHalfWay();
    void transferAfterPortChoice_data();
    void transferAfterPortChoice();
};

void TransferTest::refreshOnConnectThenStore()
{
    // Answers: 1 detection, 2-7 the load, 8 the store's first write enable, 9 its first
    // block, which echoes a wrong length.
    RunningEmulator emulator(QStringLiteral("roundtrip"), {QStringLiteral("--wrong-echo=9")});
    QVERIFY(emulator.IsReady());
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", true);
    driver.TypePort(emulator.PortText());

    driver.Click("ConnectButton");
    QCOMPARE(driver.StatusHistory().mid(driver.StatusHistory().indexOf("Searching for Device")),
             QStringList({"Searching for Device", "Comm Opened Successfully!",
                          "Transfering Data from Kelvor", "Refresh Complete"}));
    // Painted block by block while the main thread was busy: 111 of the 113 bytes.
    QVERIFY(driver.ProgressHistory().contains(98));
    QCOMPARE(driver.ProgressHistory().back(), 0);
    QCOMPARE(driver.Find<QLineEdit>("CompModel")->text(), QStringLiteral("Quessa"));
    QCOMPARE(driver.Find<QLineEdit>("PersonalData")->text(),
             QStringLiteral("If found: call 555-0199"));
    QCOMPARE(driver.Find<TBMSpinEdit>("LiteTime")->GetValue(), 31.0);
    QCOMPARE(driver.Find<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("312"));
    QVERIFY(!driver.Button("LoadButton")->isEnabled());
    QVERIFY(driver.Button("StoreButton")->isEnabled());
    QVERIFY(driver.Button("SaveButton")->isEnabled());
    QVERIFY(!driver.Button("UndoButton")->isEnabled());
    QVERIFY(form.UndoIsEmpty());

    // One undo entry each: the greatest depth in the first block, units and light in the
    // last.
    driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    QTest::mouseClick(driver.Find<QRadioButton>("UnitsItem0"), Qt::LeftButton);
    QTest::mouseClick(driver.Find<QCheckBox>("LightEnableCheck"), Qt::LeftButton);
    QVERIFY(!driver.Find<QCheckBox>("LightEnableCheck")->isChecked());
    QVERIFY(form.IsChanged());

    driver.Click("StoreButton");
    QCOMPARE(driver.Status(), QStringLiteral("Store Failed"));
    QVERIFY(modal.messages.isEmpty());
    QVERIFY(form.IsChanged());
    QVERIFY(driver.Button("StoreButton")->isEnabled());
    QVERIFY(driver.Button("SaveButton")->isEnabled());
    QVERIFY(driver.Button("UndoButton")->isEnabled());
    QCOMPARE(driver.Find<QProgressBar>("ProgressBar1")->value(), 0);

    // The edits outlived the failure: the newest can still be undone, and a second Store
    // writes the rest.
    driver.Click("UndoButton");
    QVERIFY(driver.Find<QCheckBox>("LightEnableCheck")->isChecked());
    driver.Click("StoreButton");
    QCOMPARE(driver.StatusHistory().mid(driver.StatusHistory().size() - 2),
             QStringList({"Transfering Data To Kelvor", "Store Completed"}));
    QVERIFY(modal.messages.isEmpty());
    QVERIFY(!form.IsChanged());
    QVERIFY(form.UndoIsEmpty());
    QVERIFY(!driver.Button("UndoButton")->isEnabled());
    QVERIFY(!driver.Button("StoreButton")->isEnabled());
    QVERIFY(driver.Button("LoadButton")->isEnabled());

    const QByteArray image = emulator.Image();
    QCOMPARE(image.size(), 8192);
    QCOMPARE(image.mid(0x1E, 2), QByteArray("\x04\x80", 2));  // 9 x 128, high byte first
    QCOMPARE(image.mid(0x22, 2), QByteArray("\x01\x38", 2));  // 312 dives, as they were
    QCOMPARE(int(image[0x62]), 0);                            // Imperial
    QCOMPARE(quint8(image[0x64]), quint8(0x80 | 31));         // light on again, 31 s
}

void TransferTest::loadFailingHalfWay()
{
    // Answers: 1 detection, 2 and 3 the first two reads; the third read is never answered.
    RunningEmulator emulator(QStringLiteral("halfway"), {QStringLiteral("--drop=4")});
    QVERIFY(emulator.IsReady());
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", false);
    driver.TypePort(emulator.PortText());
    driver.Click("ConnectButton");
    QCOMPARE(driver.Status(), QStringLiteral("Comm Opened Successfully!"));

    // Settings that differ from the dive computer's in the blocks read before the failure.
    driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    driver.TypeInto("TotalDivesEdit", QStringLiteral("7"));
    QTest::mouseClick(driver.Find<QRadioButton>("UnitsItem0"), Qt::LeftButton);
    const QByteArray record = RecordBytes();
    const QStringList shown = driver.SettingsShown();

    driver.Click("LoadButton");
    QCOMPARE(driver.Status(), QStringLiteral("Read Failure"));
    QVERIFY(modal.messages.isEmpty());
    QCOMPARE(RecordBytes(), record);
    QCOMPARE(driver.SettingsShown(), shown);
    QVERIFY(driver.Button("LoadButton")->isEnabled());
    QVERIFY(driver.Button("StoreButton")->isEnabled());  // the edits are still unstored
    QVERIFY(form.IsChanged());
    QVERIFY(!form.UndoIsEmpty());
    QCOMPARE(driver.Find<QProgressBar>("ProgressBar1")->value(), 0);

    // The next load brings the dive computer's settings and drops the edits' history.
    driver.Click("LoadButton");
    QCOMPARE(driver.Status(), QStringLiteral("Refresh Complete"));
    QCOMPARE(driver.Find<QLineEdit>("MaxDepthEdit")->text(), QStringLiteral("38"));
    QCOMPARE(driver.Find<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("312"));
    QVERIFY(driver.Find<QRadioButton>("UnitsItem1")->isChecked());
    QCOMPARE(quint16(CurrentSettings.maxDepth), quint16(4928));
    QVERIFY(!form.IsChanged());
    QVERIFY(form.UndoIsEmpty());
    QVERIFY(!driver.Button("UndoButton")->isEnabled());
    QVERIFY(!driver.Button("LoadButton")->isEnabled());
}

void TransferTest::transferAfterPortChoice_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("status");
    QTest::newRow("Load") << QByteArray("LoadButton")
                          << QStringLiteral("Transfering Data from Kelvor");
    QTest::newRow("Store") << QByteArray("StoreButton")
                           << QStringLiteral("Transfering Data To Kelvor");
}

void TransferTest::transferAfterPortChoice()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, status);
    FakeDevice device;
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    device.Attach(form);
    if (command == "StoreButton")
        driver.Click("LoadButton");
    const std::size_t before = device.Frames().size();

    // Choosing a port discards the controller and leaves the commands as they were.
    QComboBox* box = driver.Find<QComboBox>("ComSelect");
    emit box->activated(box->currentIndex());
    QVERIFY(CurrentDevice == nullptr);
    QVERIFY(driver.Button(command.constData())->isEnabled());

    driver.Click(command.constData());
    QCOMPARE(driver.Status(), status);
    QVERIFY(!driver.Button("LoadButton")->isEnabled());
    QVERIFY(!driver.Button("StoreButton")->isEnabled());
    QCOMPARE(driver.Glyph("ConnectButton"), int(TForm1::GlyphNotConnected));
    QVERIFY(modal.messages.isEmpty());
    QCOMPARE(device.Frames().size(), before);
    QVERIFY(!FormDriver::DeviceBusyNow());
}

TIDEWELL_ISOLATED_MAIN(TransferTest)
#include "TransferTest.moc"
