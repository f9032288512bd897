// The keep-alive: with Keep Connection Open the worker reads one byte whenever its period
// has passed idle; never in the middle of a transfer, never with a message for the person;
// a dive computer that stopped answering is shown as not connected; and a window that
// closes during an exchange ends cleanly.
#include <chrono>

#include <QtTest>

#include "ConnectedWindow.h"
#include "FakeDevice.h"
#include "FormDriver.h"
#include "IsolatedMain.h"
#include "ScriptedModal.h"
#include "window/Main.h"

using namespace std::chrono_literals;

namespace {

// A period short enough for a test; the window's own is 30 s.
constexpr int kTestPeriodMs = 20;
constexpr int kPatienceMs = 20000;

}  // namespace

class KeepAliveTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void oneReadPerPeriodWhileChecked();
    void noExchangeInsideATransfer_data();
    void noExchangeInsideATransfer();
    void cablePulledAway();
    void closingDuringAnExchange();
};

void KeepAliveTest::oneReadPerPeriodWhileChecked()
{
    ConnectedWindow w;
    const QString status = w.driver.Status();
    w.form->Worker().SetKeepAlivePeriod(kTestPeriodMs);
    QTest::qWait(10 * kTestPeriodMs);
    QCOMPARE(w.device->KeepAliveReads(), 0);  // unchecked: the worker never talks

    w.driver.SetOption("KeepConnectionOpen", true);
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() >= 3, kPatienceMs);
    w.driver.SetOption("KeepConnectionOpen", false);
    const int done = w.driver.DoneMessages();
    QTest::qWait(10 * kTestPeriodMs);
    QVERIFY(w.driver.DoneMessages() <= done + 1);  // one may have been under way

    QCOMPARE(w.device->KeepAliveReads(), w.driver.DoneMessages());
    for (const SentFrame& frame : w.device->Frames()) {
        QCOMPARE(frame.bytes, FakeDevice::KeepAliveRead);
        QVERIFY(!frame.fromMainThread);
    }
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(w.driver.Status(), status);
    QVERIFY(w.form->IsConnected());
}

void KeepAliveTest::noExchangeInsideATransfer_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("status");
    QTest::newRow("Load") << QByteArray("LoadButton") << QStringLiteral("Load Complete");
    QTest::newRow("Store") << QByteArray("StoreButton") << QStringLiteral("Store Completed.");
    QTest::newRow("raw command") << QByteArray("CommandSendButton")
                                 << QStringLiteral("Command Sent");
}

void KeepAliveTest::noExchangeInsideATransfer()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, status);
    ConnectedWindow w;
    if (command == "StoreButton")
        w.driver.Click("LoadButton");
    const std::size_t before = w.device->Frames().size();
    w.form->Worker().SetKeepAlivePeriod(kTestPeriodMs);
    w.driver.SetOption("KeepConnectionOpen", true);
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() >= 1, kPatienceMs);

    // The transfer's first request is held for many periods of the keep-alive.
    w.device->HoldNextRequest(300ms);
    QTest::mouseClick(w.driver.Find<QAbstractButton>(command.constData()), Qt::LeftButton);
    QVERIFY(w.driver.WaitIdle());
    QVERIFY2(w.driver.Status().startsWith(status), qPrintable(w.driver.Status()));
    // The keep-alive goes on after the transfer.
    const int done = w.driver.DoneMessages();
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() > done, kPatienceMs);
    w.driver.SetOption("KeepConnectionOpen", false);

    // The transfer's requests follow each other with no keep-alive read between them.
    const std::vector<SentFrame> frames = w.device->Frames();
    int first = -1, last = -1;
    for (std::size_t i = before; i < frames.size(); ++i)
        if (frames[i].bytes != FakeDevice::KeepAliveRead) {
            first = first < 0 ? int(i) : first;
            last = int(i);
        }
    QVERIFY(first >= 0);
    for (int i = first; i <= last; ++i)
        QVERIFY2(frames[i].bytes != FakeDevice::KeepAliveRead, qPrintable(QString::number(i)));
    QVERIFY(w.modal.messages.isEmpty());
}

void KeepAliveTest::cablePulledAway()
{
    ConnectedWindow w(QStringLiteral("pulled"));
    QVERIFY(w.emulator->IsReady());
    w.driver.SetOption("KeepConnectionOpen", true);
    w.Connect();
    QCOMPARE(w.driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    w.form->Worker().SetKeepAlivePeriod(kTestPeriodMs);
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() >= 1, kPatienceMs);

    QVERIFY(w.emulator->Stop());
    // No box: the window shows plainly that the dive computer is no longer connected.
    QTRY_VERIFY_WITH_TIMEOUT(!w.form->IsConnected(), kPatienceMs);
    QVERIFY(w.modal.messages.isEmpty());
    QVERIFY2(w.driver.Status().startsWith(QStringLiteral("The dive computer stopped answering")),
             qPrintable(w.driver.Status()));
    QCOMPARE(w.driver.Glyph("ConnectButton"), int(TForm1::GlyphNotConnected));
    QVERIFY(!w.driver.Button("LoadButton")->isEnabled());
    QVERIFY(!w.driver.Button("StoreButton")->isEnabled());
}

void KeepAliveTest::closingDuringAnExchange()
{
    ConnectedWindow w;
    w.form->Worker().SetKeepAlivePeriod(kTestPeriodMs);
    w.device->HoldNextRequest(300ms);
    w.driver.SetOption("KeepConnectionOpen", true);
    QTRY_VERIFY_WITH_TIMEOUT(w.device->KeepAliveReads() == 1, kPatienceMs);

    w.driver.Click("ExitButton");
    QVERIFY(!w.form->isVisible());
    QVERIFY(!w.form->IsConnected());
    w.form.reset();
    QVERIFY(w.modal.messages.isEmpty());
}

TIDEWELL_ISOLATED_MAIN(KeepAliveTest)
#include "KeepAliveTest.moc"
