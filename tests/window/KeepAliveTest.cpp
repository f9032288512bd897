// The keep-alive: the timer's tick asks, the refresh worker reads one byte and answers,
// the answer re-arms the timer; never while the main thread has the device, never with a
// message for the person, and a window that closes while the worker lives ends cleanly.
#include <chrono>
#include <functional>
#include <thread>

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

// Waits for `done` without running the event loop, so that nothing queued to the window
// is delivered meanwhile.
bool WaitWithoutEvents(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

bool WorkerRunning()
{
    boost::mutex::scoped_lock lock(BusyLock);
    return RefreshRunning;
}

}  // namespace

class KeepAliveTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void oneReadPerTick();
    void noExchangeWhileMainThreadHasDevice_data();
    void noExchangeWhileMainThreadHasDevice();
    void requestWithoutController();
    void cablePulledAway();
    void closingWhileWorkerLives_data();
    void closingWhileWorkerLives();
};

void KeepAliveTest::oneReadPerTick()
{
    ConnectedWindow w;
    const QString status = w.driver.Status();

    w.driver.SetOption("KeepConnectionOpen", true);
    QTimer* timer = w.driver.KeepAliveTimer();
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), TForm1::KeepAlivePeriod);
    int ticks = 0;
    const auto counting = connect(timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer->start(kTestPeriodMs);
    // Each tick stops the timer; only the worker's answer starts it again.
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() >= 3, kPatienceMs);
    disconnect(counting);
    w.driver.SetOption("KeepConnectionOpen", false);
    // The last tick's request may still be on its way; then nothing more is asked.
    QTRY_COMPARE_WITH_TIMEOUT(w.driver.DoneMessages(), ticks, kPatienceMs);

    QCOMPARE(w.device->KeepAliveReads(), ticks);
    for (const SentFrame& frame : w.device->Frames()) {
        QCOMPARE(frame.bytes, FakeDevice::KeepAliveRead);
        QVERIFY(!frame.fromMainThread);
    }
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(w.driver.Status(), status);
}

void KeepAliveTest::noExchangeWhileMainThreadHasDevice_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("rearms");  // the command itself starts the timer again
    QTest::newRow("Load") << QByteArray("LoadButton") << QStringLiteral("Refresh Complete") << true;
    QTest::newRow("Store") << QByteArray("StoreButton") << QStringLiteral("Store Completed")
                           << true;
    QTest::newRow("raw command") << QByteArray("CommandSendButton")
                                 << QStringLiteral("Command Sent") << false;
}

void KeepAliveTest::noExchangeWhileMainThreadHasDevice()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, status);
    QFETCH(bool, rearms);
    ConnectedWindow w;
    if (command == "StoreButton")
        w.driver.Click("LoadButton");
    w.driver.SetOption("KeepConnectionOpen", true);
    const std::size_t before = w.device->Frames().size();

    // The tick asks just before the person's click; the transfer's first request keeps
    // the main thread busy for more than two of the worker's polls.
    w.device->HoldNextRequest(true, 1200ms);
    w.form->KeepAliveTick();
    QTest::mouseClick(w.driver.Find<QAbstractButton>(command.constData()), Qt::LeftButton);
    QCOMPARE(w.driver.Status(), status);
    QCOMPARE(w.driver.KeepAliveTimer()->isActive(), rearms);
    QCOMPARE(w.driver.KeepAliveTimer()->interval(), TForm1::KeepAlivePeriod);

    // The request was not lost: it is served once the device is free.
    QTRY_COMPARE_WITH_TIMEOUT(w.driver.DoneMessages(), 1, kPatienceMs);
    QVERIFY(w.driver.KeepAliveTimer()->isActive());
    QVERIFY(!FormDriver::DeviceBusyNow());
    const std::vector<SentFrame> frames = w.device->Frames();
    int keepAlive = -1, firstMain = -1, lastMain = -1;
    for (std::size_t i = before; i < frames.size(); ++i) {
        const int at = static_cast<int>(i);
        if (frames[i].fromMainThread) {
            firstMain = firstMain < 0 ? at : firstMain;
            lastMain = at;
        } else {
            QCOMPARE(frames[i].bytes, FakeDevice::KeepAliveRead);
            QCOMPARE(keepAlive, -1);
            keepAlive = at;
        }
    }
    QVERIFY(firstMain >= 0);
    QVERIFY(keepAlive >= 0);
    QVERIFY(keepAlive < firstMain || keepAlive > lastMain);
    QVERIFY(w.modal.messages.isEmpty());
}

void KeepAliveTest::requestWithoutController()
{
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    const QString status = driver.Status();
    driver.SetOption("KeepConnectionOpen", true);
    driver.KeepAliveTimer()->start(kTestPeriodMs);

    // Answered without an exchange, and answered each time: every answer re-armed the
    // timer for the next tick.
    QTRY_VERIFY_WITH_TIMEOUT(driver.DoneMessages() >= 3, kPatienceMs);
    QVERIFY(modal.messages.isEmpty());
    QCOMPARE(driver.Status(), status);
}

void KeepAliveTest::cablePulledAway()
{
    ConnectedWindow w(QStringLiteral("pulled"));
    QVERIFY(w.emulator->IsReady());
    w.driver.SetOption("KeepConnectionOpen", true);
    w.Connect();
    QCOMPARE(w.driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    QTimer* timer = w.driver.KeepAliveTimer();
    QVERIFY(timer->isActive());
    timer->start(kTestPeriodMs);
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() >= 1, kPatienceMs);

    QVERIFY(w.emulator->Stop());
    const int before = w.driver.DoneMessages();
    const QStringList painted = w.driver.StatusHistory();
    // The keep-alive goes on trying, and says nothing of its failures.
    QTRY_VERIFY_WITH_TIMEOUT(w.driver.DoneMessages() >= before + 2, kPatienceMs);
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(w.driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    QCOMPARE(w.driver.StatusHistory(), painted);
}

void KeepAliveTest::closingWhileWorkerLives_data()
{
    QTest::addColumn<QString>("worker");
    QTest::newRow("polling") << QStringLiteral("polling");
    QTest::newRow("request not yet taken") << QStringLiteral("asked");
    QTest::newRow("in its exchange") << QStringLiteral("exchanging");
    QTest::newRow("waiting for its answer to be handled") << QStringLiteral("answering");
    QTest::newRow("answering a window already closed") << QStringLiteral("late");
}

void KeepAliveTest::closingWhileWorkerLives()
{
    QFETCH(QString, worker);
    ConnectedWindow w;
    w.driver.SetOption("KeepConnectionOpen", true);

    if (worker == QLatin1String("exchanging"))
        w.device->HoldNextRequest(false, 300ms);
    if (worker != QLatin1String("polling"))
        w.form->KeepAliveTick();
    if (worker == QLatin1String("exchanging"))
        QVERIFY(WaitWithoutEvents([&] { return w.device->KeepAliveReads() == 1; }));
    const bool answering = worker == QLatin1String("answering") || worker == QLatin1String("late");
    if (answering) {
        QVERIFY(
            WaitWithoutEvents([&] { return w.device->KeepAliveReads() == 1 && !WorkerRunning(); }));
        std::this_thread::sleep_for(50ms);  // time to post the answer
    }

    w.driver.Click("ExitButton");
    QVERIFY(!w.form->isVisible());
    QVERIFY(CurrentDevice == nullptr);
    // A closed window takes the answer and has no timer left to re-arm.
    if (worker == QLatin1String("late"))
        QTRY_COMPARE_WITH_TIMEOUT(w.driver.DoneMessages(), 1, kPatienceMs);
    w.form.reset();
    QVERIFY(w.modal.messages.isEmpty());
}

TIDEWELL_ISOLATED_MAIN(KeepAliveTest)
#include "KeepAliveTest.moc"
