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
    QTest::addColumn<bool>("asks");  // whether to lose the changes; answered Yes
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
    QCOMPARE(w.driver.Status(), QStringLiteral("Refresh Complete"));
    w.driver.SetOption("AutoSave1", storeOnExit);
    if (changed)
        w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    const std::size_t before = w.device->Frames().size();
    w.modal.answers.push_back(QMessageBox::Yes);

    if (byExit)
        w.driver.Click("ExitButton");
    else
        w.form->close();

    QVERIFY(!w.form->isVisible());
    QVERIFY(CurrentDevice == nullptr);
    QCOMPARE(w.modal.messages.size(), asks ? 1 : 0);
    if (asks)
        QCOMPARE(w.modal.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(WritesSince(*w.device, before) > 0, stores);
    if (stores) {
        QCOMPARE(w.device->Dive().memory[0x1E], 0x04);  // 9 x 128, high byte first
        QCOMPARE(w.device->Dive().memory[0x1F], 0x80);
        const QStringList painted = w.driver.StatusHistory();
        const int exiting = painted.indexOf(QStringLiteral("Storing to Kelvor Please Wait"));
        QVERIFY(exiting >= 0);
        QCOMPARE(painted.value(exiting + 1), QStringLiteral("Transfering Data To Kelvor"));
        QCOMPARE(w.driver.Status(), QStringLiteral("Store Completed"));
        // The store's own event leaves every command off: the window is going.
        QVERIFY(!ExitStoreActive);
        for (const char* command : {"ConnectButton", "LoadButton", "StoreButton", "OpenButton",
                                    "SaveButton", "UndoButton"})
            QVERIFY2(!w.driver.Button(command)->isEnabled(), command);
    }
}

void ExitStoreTest::exitStoreThatCannotFinishAsks_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("the store fails") << "fails";
    QTest::newRow("nothing was loaded") << "unloaded";
    QTest::newRow("no controller") << "no controller";
}

void ExitStoreTest::exitStoreThatCannotFinishAsks()
{
    QFETCH(QString, why);
    ConnectedWindow w;
    if (why != "unloaded")
        w.driver.Click("LoadButton");
    w.driver.SetOption("AutoSave1", true);
    w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    if (why == "fails")
        w.device->Dive().Silence();
    if (why == "no controller") {
        QComboBox* box = w.driver.Find<QComboBox>("ComSelect");
        emit box->activated(box->currentIndex());
    }
    const bool storeOn = w.driver.Button("StoreButton")->isEnabled();

    // Asked whether to close anyway: No keeps the window and the edits.
    w.driver.Click("ExitButton");
    QVERIFY(w.form->isVisible());
    QVERIFY(!w.modal.messages.isEmpty());
    QCOMPARE(w.modal.messages.last().caption, QStringLiteral("Exit"));
    QVERIFY2(w.modal.messages.last().text.contains(QStringLiteral("could not be stored")),
             qPrintable(w.modal.messages.last().text));
    QVERIFY(w.form->IsChanged());
    QVERIFY(!ExitStoreActive);
    QVERIFY(w.driver.Button("ConnectButton")->isEnabled());
    QVERIFY(w.driver.Button("OpenButton")->isEnabled());
    QCOMPARE(w.driver.Button("StoreButton")->isEnabled(), storeOn);

    // Yes closes without another question.
    const qsizetype asked = w.modal.messages.size();
    w.modal.answers.push_back(QMessageBox::Yes);
    w.driver.Click("ExitButton");
    QVERIFY(!w.form->isVisible());
    QCOMPARE(w.modal.messages.size(), asked + (why == "fails" ? 2 : 1));
}

void ExitStoreTest::savedChangesCloseWithoutAQuestion()
{
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));

    // Unsaved: the close box asks, and No keeps the window.
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
