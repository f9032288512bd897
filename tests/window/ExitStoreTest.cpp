// Store On Exit: Exit stores changed settings before the window closes; nothing else
// that closes the window stores.
#include <memory>

#include <QtTest>

#include "ConnectedWindow.h"
#include "IsolatedMain.h"

class ExitStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void closing_data();
    void closing();
};

void ExitStoreTest::closing_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::addColumn<bool>("storeOnExit");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("stores");
    QTest::newRow("Exit, option on, settings changed") << true << true << true << true;
    QTest::newRow("Exit, option on, nothing changed") << true << true << false << false;
    QTest::newRow("Exit, option off, settings changed") << true << false << true << false;
    QTest::newRow("close box, option on, settings changed") << false << true << true << false;
}

void ExitStoreTest::closing()
{
    QFETCH(bool, byExit);
    QFETCH(bool, storeOnExit);
    QFETCH(bool, changed);
    QFETCH(bool, stores);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Refresh Complete"));
    w.driver.SetOption("AutoSave1", storeOnExit);
    if (changed)
        w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    const std::size_t before = w.device->Frames().size();

    if (byExit)
        w.driver.Click("ExitButton");
    else
        w.form->close();

    QVERIFY(!w.form->isVisible());
    QVERIFY(CurrentDevice == nullptr);
    QVERIFY(w.modal.messages.isEmpty());
    int writes = 0;
    const std::vector<SentFrame> frames = w.device->Frames();
    for (std::size_t i = before; i < frames.size(); ++i)
        writes += frames[i].bytes[0] == 0x06 ? 1 : 0;
    QCOMPARE(writes > 0, stores);
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

TIDEWELL_ISOLATED_MAIN(ExitStoreTest)
#include "ExitStoreTest.moc"
