// Store On Exit and closing: Exit stores changed settings before the window closes,
// nothing else that closes the window stores, and no way out drops changes that were
// neither stored nor saved without asking.
#include <memory>

#include <QComboBox>
#include <QtTest>

#include "ConnectedWindow.h"
#include "IsolatedMain.h"

namespace {

int WritesSince(const FakeDevice& device, std::size_t before)
{
    int writes = 0;
    const std::vector<SentFrame> frames = device.Frames();
    for (std::size_t i = before; i < frames.size(); ++i)
        writes += frames[i].bytes[0] == 0x06 ? 1 : 0;
    return writes;
}

}  // namespace

class ExitStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void closing_data();
    void closing();
    void exitStoreThatCannotFinishAsks_data();
    void exitStoreThatCannotFinishAsks();
    void savedChangesCloseWithoutAQuestion();
};

void ExitStoreTest::closing_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::addColumn<bool>("storeOnExit");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("stores");
    QTest::addColumn<bool>("asks");  // whether to lose the changes; answered Discard
    QTest::newRow("Exit, option on, settings changed") << true << true << true << true << false;
    QTest::newRow("Exit, option on, nothing changed") << true << true << false << false << false;
    QTest::newRow("Exit, option off, settings changed") << true << false << true << false << true;
    QTest::newRow("close box, option on, settings changed")
        << false << true << true << false << true;
    QTest::newRow("close box, nothing changed") << false << true << false << false << false;
}

void ExitStoreTest::closing()
{
    QFETCH(bool, byExit);
    QFETCH(bool, storeOnExit);
    QFETCH(bool, changed);
    QFETCH(bool, stores);
    QFETCH(bool, asks);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));
    w.driver.SetOption("AutoSave1", storeOnExit);
    if (changed)
        w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("9"));
    const std::size_t before = w.device->Frames().size();
    w.modal.answers.push_back(QMessageBox::Discard);

    if (byExit)
        w.driver.Click("ExitButton");
    else
        w.form->close();

    QTRY_VERIFY(!w.form->isVisible());
    QVERIFY(!w.form->IsConnected());
    QCOMPARE(w.modal.messages.size(), asks ? 1 : 0);
    if (asks)
        QCOMPARE(w.modal.messages[0].buttons, QMessageBox::Save | QMessageBox::Discard |
                                                  QMessageBox::Cancel | QMessageBox::Apply);
    QCOMPARE(WritesSince(*w.device, before) > 0, stores);
    if (stores) {
        QCOMPARE(w.device->Dive().memory[0x66], 0x00);  // 9 minutes, high byte first
        QCOMPARE(w.device->Dive().memory[0x67], 0x09);
        const QStringList painted = w.driver.StatusHistory();
        const int exiting = painted.indexOf(QStringLiteral("Storing to Kelvor Please Wait"));
        QVERIFY(exiting >= 0);
        QVERIFY(painted.indexOf(QStringLiteral("Transferring Data to Kelvor")) > exiting);
        QVERIFY(w.driver.Status().startsWith(QStringLiteral("Store Completed.")));
        // The store's own event leaves every command off: the window is going.
        for (const char* command : {"ConnectButton", "LoadButton", "StoreButton", "OpenButton",
                                    "SaveButton", "UndoButton"})
            QVERIFY2(!w.driver.Button(command)->isEnabled(), command);
    }
}

void ExitStoreTest::exitStoreThatCannotFinishAsks_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("the dive computer stops answering") << "fails";
    QTest::newRow("another port was chosen") << "no controller";
}

void ExitStoreTest::exitStoreThatCannotFinishAsks()
{
    QFETCH(QString, why);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    w.driver.SetOption("AutoSave1", true);
    w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("9"));
    if (why == "fails")
        w.device->Dive().Silence();
    if (why == "no controller") {
        QComboBox* box = w.driver.Find<QComboBox>("ComSelect");
        emit box->activated(box->currentIndex());
    }
    // Asked whether to close anyway: No keeps the window and the edits.
    w.driver.Click("ExitButton");
    QVERIFY(w.form->isVisible());
    QVERIFY(!w.modal.messages.isEmpty());
    QCOMPARE(w.modal.messages.last().caption, QStringLiteral("Exit"));
    QVERIFY2(w.modal.messages.last().text.contains(QStringLiteral("could not be stored")),
             qPrintable(w.modal.messages.last().text));
    QVERIFY(w.form->IsChanged());
    QVERIFY(w.driver.Button("ConnectButton")->isEnabled());
    QVERIFY(w.driver.Button("OpenButton")->isEnabled());
    // A dive computer that stopped answering is shown not connected.
    QVERIFY(!w.form->IsConnected());
    QVERIFY(!w.driver.Button("StoreButton")->isEnabled());

    // Yes closes without another question.
    const qsizetype asked = w.modal.messages.size();
    w.modal.answers.push_back(QMessageBox::Yes);
    w.driver.Click("ExitButton");
    QVERIFY(!w.form->isVisible());
    QCOMPARE(w.modal.messages.size(), asked + 1);
}

void ExitStoreTest::savedChangesCloseWithoutAQuestion()
{
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("9"));

    // Unsaved: the close box asks, and Cancel keeps the window.
    w.form->close();
    QVERIFY(w.form->isVisible());
    QCOMPARE(w.modal.messages.size(), 1);
    QVERIFY(w.form->IsChanged());

    // Once saved, the same changes close without a question.
    QTemporaryDir folder;
    w.modal.saveAnswers.push_back(folder.filePath(QStringLiteral("kept.kvx")));
    w.driver.Click("SaveButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("The settings were saved to kept.kvx."));
    w.form->close();
    QVERIFY(!w.form->isVisible());
    QCOMPARE(w.modal.messages.size(), 1);
}

TIDEWELL_ISOLATED_MAIN(ExitStoreTest)
#include "ExitStoreTest.moc"
