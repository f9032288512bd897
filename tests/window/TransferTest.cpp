// Load and Store through the window against the emulator process: what the window shows
// after a load, what reaches the dive computer's memory after a store, and what a
// transfer that fails half-way leaves behind.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QtTest>

#include "ConnectedWindow.h"
#include "FormDriver.h"
#include "IsolatedMain.h"
#include "controls/Bmspinedit.h"

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
    // Answers: 1 detection, 2-7 the load, 8 the store's read of the dive computer's own
    // values, 9 its first write enable, 10 its first block, which echoes a wrong length.
    ConnectedWindow w(QStringLiteral("roundtrip"), {QStringLiteral("--wrong-echo=10")});
    QVERIFY(w.emulator->IsReady());
    w.driver.SetOption("RefreshOnConnect", true);

    w.Connect();
    QCOMPARE(w.driver.StatusHistory().mid(w.driver.StatusHistory().indexOf("Searching for Device")),
             QStringList({"Searching for Device", "Comm Opened Successfully!",
                          "Transferring Data from Kelvor", "Load Complete"}));
    // Painted block by block: 111 of the 113 bytes.
    QVERIFY(w.driver.ProgressHistory().contains(98));
    QCOMPARE(w.driver.ProgressHistory().back(), 0);
    QCOMPARE(w.driver.Find<QLineEdit>("CompModel")->text(), QStringLiteral("Quessa"));
    QCOMPARE(w.driver.Find<QLineEdit>("PersonalData")->text(),
             QStringLiteral("If found: call 555-0199"));
    QCOMPARE(w.driver.Find<TBMSpinEdit>("LiteTime")->GetValue(), 31.0);
    QCOMPARE(w.driver.Find<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("312"));
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());
    QVERIFY(w.driver.Button("StoreButton")->isEnabled());
    QVERIFY(w.driver.Button("SaveButton")->isEnabled());
    QVERIFY(!w.driver.Button("UndoButton")->isEnabled());
    QVERIFY(w.form->UndoIsEmpty());

    // One undo entry each: the greatest depth in the first block, units and light in the
    // last.
    w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    QTest::mouseClick(w.driver.Find<QRadioButton>("UnitsItem0"), Qt::LeftButton);
    QTest::mouseClick(w.driver.Find<QCheckBox>("LightEnableCheck"), Qt::LeftButton);
    QVERIFY(!w.driver.Find<QCheckBox>("LightEnableCheck")->isChecked());
    QVERIFY(w.form->IsChanged());

    // The greatest depth is the dive computer's own count: Store asks before it changes it.
    w.modal.answers.push_back(QMessageBox::Yes);
    w.driver.Click("StoreButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Store Failed"));
    // Said in a box, with the way back: the backup written before the store.
    QCOMPARE(w.modal.messages.size(), 2);
    QVERIFY2(w.modal.messages[0].text.contains(QStringLiteral("Max Depth: 38")),
             qPrintable(w.modal.messages[0].text));
    QCOMPARE(w.modal.messages[1].caption, QStringLiteral("Store Failed"));
    const QString told = w.modal.messages[1].text;
    QVERIFY2(told.contains(QStringLiteral("may now hold part of the new settings")),
             qPrintable(told));
    QVERIFY(QFileInfo(told.section(QLatin1Char('\n'), 2, 2)).isFile());
    w.modal.messages.clear();
    QVERIFY(w.form->IsChanged());
    QVERIFY(w.driver.Button("StoreButton")->isEnabled());
    QVERIFY(w.driver.Button("SaveButton")->isEnabled());
    QVERIFY(w.driver.Button("UndoButton")->isEnabled());
    QCOMPARE(w.driver.Find<QProgressBar>("ProgressBar1")->value(), 0);

    // The edits outlived the failure: the newest can still be undone, and a second Store
    // writes the rest.
    w.driver.Click("UndoButton");
    QVERIFY(w.driver.Find<QCheckBox>("LightEnableCheck")->isChecked());
    w.driver.Click("StoreButton");
    const QStringList painted = w.driver.StatusHistory();
    QCOMPARE(painted.at(painted.size() - 2), QStringLiteral("Transferring Data to Kelvor"));
    QVERIFY(painted.back().startsWith(QStringLiteral("Store Completed. Backup")));
    // No question this time: the store that broke off had written the first block, and
    // the dive computer already holds the new depth.
    QVERIFY(w.modal.messages.isEmpty());
    QVERIFY(!w.form->IsChanged());
    QVERIFY(w.form->UndoIsEmpty());
    QVERIFY(!w.driver.Button("UndoButton")->isEnabled());
    QVERIFY(!w.driver.Button("StoreButton")->isEnabled());
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());

    const QByteArray image = w.emulator->Image();
    QCOMPARE(image.size(), 8192);
    QCOMPARE(image.mid(0x1E, 2), QByteArray("\x04\x80", 2));  // 9 x 128, high byte first
    QCOMPARE(image.mid(0x22, 2), QByteArray("\x01\x38", 2));  // 312 dives, as they were
    QCOMPARE(int(image[0x62]), 0);                            // Imperial
    QCOMPARE(quint8(image[0x64]), quint8(0x80 | 31));         // light on again, 31 s
}

void TransferTest::loadFailingHalfWay()
{
    // Answers: 1 detection, 2-7 the first load; 8 and 9 the second load's first two reads,
    // and its third read is never answered.
    ConnectedWindow w(QStringLiteral("halfway"), {QStringLiteral("--drop=10")});
    QVERIFY(w.emulator->IsReady());
    w.driver.SetOption("RefreshOnConnect", true);
    w.Connect();
    QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));

    // Settings that differ from the dive computer's in the blocks read before the failure.
    w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    w.driver.TypeInto("TotalDivesEdit", QStringLiteral("7"));
    QTest::mouseClick(w.driver.Find<QRadioButton>("UnitsItem0"), Qt::LeftButton);
    const QByteArray record = RecordBytes();
    const QStringList shown = w.driver.SettingsShown();

    // Asked first about the edits; Discard lets the load go on.
    w.modal.answers.push_back(QMessageBox::Discard);
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Read Failure"));
    QCOMPARE(w.modal.messages.size(), 1);
    w.modal.messages.clear();
    QCOMPARE(RecordBytes(), record);
    QCOMPARE(w.driver.SettingsShown(), shown);
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());
    QVERIFY(w.driver.Button("StoreButton")->isEnabled());  // the edits are still unstored
    QVERIFY(w.form->IsChanged());
    QVERIFY(!w.form->UndoIsEmpty());
    QCOMPARE(w.driver.Find<QProgressBar>("ProgressBar1")->value(), 0);

    // The next load brings the dive computer's settings and drops the edits' history.
    w.modal.answers.push_back(QMessageBox::Discard);
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));
    QCOMPARE(w.driver.Find<QLineEdit>("MaxDepthEdit")->text(), QStringLiteral("38"));
    QCOMPARE(w.driver.Find<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("312"));
    QVERIFY(w.driver.Find<QRadioButton>("UnitsItem1")->isChecked());
    QCOMPARE(quint16(CurrentSettings.maxDepth), quint16(4928));
    QVERIFY(!w.form->IsChanged());
    QVERIFY(w.form->UndoIsEmpty());
    QVERIFY(!w.driver.Button("UndoButton")->isEnabled());
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());  // a second look is always allowed
}

void TransferTest::transferAfterPortChoice_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("Load") << QByteArray("LoadButton");
    QTest::newRow("Store") << QByteArray("StoreButton");
}

void TransferTest::transferAfterPortChoice()
{
    QFETCH(QByteArray, command);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    const std::size_t before = w.device->Frames().size();
    const QString status = w.driver.Status();

    // Choosing a port closes the connection, and the window says so at once.
    QComboBox* box = w.driver.Find<QComboBox>("ComSelect");
    emit box->activated(box->currentIndex());
    QVERIFY(!w.form->IsConnected());
    QVERIFY(!w.driver.Button(command.constData())->isEnabled());

    // The menu item of the command is off too, so nothing reaches the dive computer.
    w.driver.Click(command.constData());
    QCOMPARE(w.driver.Status(), status);
    QVERIFY(!w.driver.Button("LoadButton")->isEnabled());
    QVERIFY(!w.driver.Button("StoreButton")->isEnabled());
    QCOMPARE(w.driver.Glyph("ConnectButton"), int(TForm1::GlyphNotConnected));
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(w.device->Frames().size(), before);
    QVERIFY(!w.form->IsBusy());
}

TIDEWELL_ISOLATED_MAIN(TransferTest)
#include "TransferTest.moc"
