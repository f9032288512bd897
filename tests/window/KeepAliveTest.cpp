// The keep-alive: the timer's tick asks, the refresh worker reads one byte and answers,
// the answer re-arms the timer; never while the main thread has the device, never with a
// message for the person, and a window that closes while the worker lives ends cleanly.
#include <chrono>
#include <functional>
#include <thread>

#include <QtTest>

#include "FakeDevice.h"
#include "FormDriver.h"
#include "IsolatedMain.h"
#include "RunningEmulator.h"
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
    FakeDevice device;
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    device.Attach(form);
    const QString status = driver.Status();

    driver.SetOption("KeepConnectionOpen", true);
    QTimer* timer = driver.KeepAliveTimer();
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), TForm1::KeepAlivePeriod);
    int ticks = 0;
    const auto counting = connect(timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer->start(kTestPeriodMs);
    // Each tick stops the timer; only the worker's answer starts it again.
    QTRY_VERIFY_WITH_TIMEOUT(driver.DoneMessages() >= 3, kPatienceMs);
    disconnect(counting);
    driver.SetOption("KeepConnectionOpen", false);
    // The last tick's request may still be on its way; then nothing more is asked.
    QTRY_COMPARE_WITH_TIMEOUT(driver.DoneMessages(), ticks, kPatienceMs);

    QCOMPARE(device.KeepAliveReads(), ticks);
    for (const SentFrame& frame : device.Frames()) {
        QCOMPARE(frame.bytes, FakeDevice::KeepAliveRead);
        QVERIFY(!frame.fromMainThread);
    }
    QVERIFY(modal.messages.isEmpty());
    QCOMPARE(driver.Status(), status);
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
    FakeDevice device;
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    device.Attach(form);
    if (command == "StoreButton")
        driver.Click("LoadButton");
    driver.SetOption("KeepConnectionOpen", true);
    const std::size_t before = device.Frames().size();

    // The tick asks just before the person's click; the transfer's first request keeps
    // the main thread busy for more than two of the worker's polls.
    device.HoldNextRequest(true, 1200ms);
    form.KeepAliveTick();
    QTest::mouseClick(driver.Find<QAbstractButton>(command.constData()), Qt::LeftButton);
    QCOMPARE(driver.Status(), status);
    QCOMPARE(driver.KeepAliveTimer()->isActive(), rearms);
    QCOMPARE(driver.KeepAliveTimer()->interval(), TForm1::KeepAlivePeriod);

    // The request was not lost: it is served once the device is free.
    QTRY_COMPARE_WITH_TIMEOUT(driver.DoneMessages(), 1, kPatienceMs);
    QVERIFY(driver.KeepAliveTimer()->isActive());
    QVERIFY(!FormDriver::DeviceBusyNow());
    const std::vector<SentFrame> frames = device.Frames();
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
    QVERIFY(modal.messages.isEmpty());
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
    RunningEmulator emulator(QStringLiteral("pulled"));
    QVERIFY(emulator.IsReady());
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("KeepConnectionOpen", true);
    driver.TypePort(emulator.PortText());
    driver.Click("ConnectButton");
    QCOMPARE(driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    QTimer* timer = driver.KeepAliveTimer();
    QVERIFY(timer->isActive());
    timer->start(kTestPeriodMs);
    QTRY_VERIFY_WITH_TIMEOUT(driver.DoneMessages() >= 1, kPatienceMs);

    QVERIFY(emulator.Stop());
    const int before = driver.DoneMessages();
    const QStringList painted = driver.StatusHistory();
    // The keep-alive goes on trying, and says nothing of its failures.
    QTRY_VERIFY_WITH_TIMEOUT(driver.DoneMessages() >= before + 2, kPatienceMs);
    QVERIFY(modal.messages.isEmpty());
    QCOMPARE(driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    QCOMPARE(driver.StatusHistory(), painted);
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
    FakeDevice device;
    ScriptedModal modal;
    auto form = std::make_unique<TForm1>();
    FormDriver driver(*form);
    device.Attach(*form);
    driver.SetOption("KeepConnectionOpen", true);

    if (worker == QLatin1String("exchanging"))
        device.HoldNextRequest(false, 300ms);
    if (worker != QLatin1String("polling"))
        form->KeepAliveTick();
    if (worker == QLatin1String("exchanging"))
        QVERIFY(WaitWithoutEvents([&] { return device.KeepAliveReads() == 1; }));
    const bool answering = worker == QLatin1String("answering") || worker == QLatin1String("late");
    if (answering) {
        QVERIFY(
            WaitWithoutEvents([&] { return device.KeepAliveReads() == 1 && !WorkerRunning(); }));
        std::this_thread::sleep_for(50ms);  // time to post the answer
    }

    driver.Click("ExitButton");
    QVERIFY(!form->isVisible());
    QVERIFY(CurrentDevice == nullptr);
    // A closed window takes the answer and has no timer left to re-arm.
    if (worker == QLatin1String("late"))
        QTRY_COMPARE_WITH_TIMEOUT(driver.DoneMessages(), 1, kPatienceMs);
    form.reset();
    QVERIFY(modal.messages.isEmpty());
}

TIDEWELL_ISOLATED_MAIN(KeepAliveTest)
#include "KeepAliveTest.moc"
