// Transfers run beside the window, on the paced emulator so that they take as long as on a
// real 2400-baud line: the window stays live, ignores what would change the settings or
// start another transfer, can cancel at a block boundary, and waits for a store to end
// before it closes.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTabWidget>
#include <QtTest>

#include "ConnectedWindow.h"
#include "IsolatedMain.h"
#include "PlanBytes.h"
#include "window/Externals.h"

namespace {

// Block `index` (from 0) of plan bytes.
QByteArray Block(const QByteArray& plan, int index)
{
    int start = 0;
    for (int i = 0; i < index; ++i)
        start += DeviceData::TransferPlan[i].length;
    return plan.mid(start, DeviceData::TransferPlan[index].length);
}

// Whether the plan bytes `held` are some blocks of `after` followed by the rest of `before`, with
// at least one block of each that tells them apart.
bool IsPrefix(const QByteArray& held, const QByteArray& before, const QByteArray& after)
{
    bool sawOld = false, anyNew = false;
    for (int i = 0; i < DeviceData::TransferBlockCount; ++i) {
        const bool isNew = Block(held, i) == Block(after, i);
        const bool isOld = Block(held, i) == Block(before, i);
        if (!isNew && !isOld)
            return false;
        if (isNew && isOld)
            continue;
        if (isNew && sawOld)
            return false;
        anyNew = anyNew || isNew;
        sawOld = sawOld || isOld;
    }
    return anyNew && sawOld;
}

// The checkable item of a radio group that is not checked now.
QAbstractButton* Unchecked(const FormDriver& driver, const char* first, const char* second)
{
    QAbstractButton* a = driver.Find<QAbstractButton>(first);
    return a->isChecked() ? driver.Find<QAbstractButton>(second) : a;
}

// Brings the page of `control` forward, so that a click lands on it as a person's would.
void ShowPageOf(const FormDriver& driver, QWidget* control)
{
    QTabWidget* pages = driver.Find<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(control))
            pages->setCurrentIndex(i);
}

void ClickOnItsPage(const FormDriver& driver, QWidget* control)
{
    ShowPageOf(driver, control);
    QTest::mouseClick(control, Qt::LeftButton);
}

// Connects to the emulator and loads, with nothing that runs by itself on the line.
void ConnectAndLoad(ConnectedWindow& w)
{
    w.driver.SetOption("RefreshOnConnect", false);
    w.driver.SetOption("KeepConnectionOpen", false);
    w.driver.SetOption("AutoSave1", false);
    w.Connect();
    QCOMPARE(w.driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    w.driver.Click("LoadButton");
    QCOMPARE(w.driver.Status(), QStringLiteral("Load Complete"));
}

// Changes in the fourth and fifth blocks of the plan: the sample rate and the units.
void Edit(ConnectedWindow& w)
{
    ClickOnItsPage(w.driver, Unchecked(w.driver, "SampleRateBoxItem3", "SampleRateBoxItem2"));
    ClickOnItsPage(w.driver, Unchecked(w.driver, "UnitsItem0", "UnitsItem1"));
    QVERIFY(w.form->IsChanged());
}

// Waits until the status pane has painted `text` since its `from`th text.
bool WaitPainted(const ConnectedWindow& w, const QString& text, qsizetype from)
{
    return QTest::qWaitFor([&] { return w.driver.StatusHistory().indexOf(text, from) >= 0; },
                           30000);
}

int Count(const QStringList& texts, const QString& text)
{
    return int(texts.count(text));
}

const QString kStoring = QStringLiteral("Transferring Data to Kelvor");
const QString kLoading = QStringLiteral("Transferring Data from Kelvor");

}  // namespace

class WorkerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void windowThreadRunsDuringAStore();
    void clicksDuringATransferChangeNothing_data();
    void clicksDuringATransferChangeNothing();
    void cancelDuringAStoreLeavesAPrefix_data();
    void cancelDuringAStoreLeavesAPrefix();
    void cancelDuringALoadChangesNothing();
    void closingDuringAStoreWaitsForIt_data();
    void closingDuringAStoreWaitsForIt();
};

void WorkerTest::windowThreadRunsDuringAStore()
{
    ConnectedWindow w(QStringLiteral("paced"), {QStringLiteral("--pace")});
    QVERIFY(w.emulator->IsReady());
    ConnectAndLoad(w);
    Edit(w);

    QElapsedTimer clock;
    qint64 last = -1, worst = 0;
    int ticks = 0;
    QTimer tick;
    tick.setInterval(10);
    connect(&tick, &QTimer::timeout, this, [&] {
        const qint64 now = clock.elapsed();
        if (last >= 0)
            worst = std::max(worst, now - last);
        last = now;
        ++ticks;
    });
    clock.start();
    tick.start();
    QTest::mouseClick(w.driver.Button("StoreButton"), Qt::LeftButton);
    QVERIFY(w.form->IsBusy());
    QVERIFY(w.driver.WaitIdle());
    tick.stop();

    QVERIFY2(w.driver.Status().startsWith(QStringLiteral("Store Completed.")),
             qPrintable(w.driver.Status()));
    // A paced store takes seconds: the timer ran all through it, never held up for long.
    QVERIFY2(clock.elapsed() > 2000, "the store was not paced");
    QVERIFY2(worst < 100, qPrintable(QStringLiteral("a gap of %1 ms").arg(worst)));
    QVERIFY(ticks > clock.elapsed() / 100);
    QCOMPARE(PlanBytes(w.emulator->Image()), PlanBytes(CurrentSettings));
}

void WorkerTest::clicksDuringATransferChangeNothing_data()
{
    QTest::addColumn<bool>("duringStore");
    QTest::newRow("during a Load") << false;
    QTest::newRow("during a Store") << true;
}

void WorkerTest::clicksDuringATransferChangeNothing()
{
    QFETCH(bool, duringStore);
    ConnectedWindow w(QStringLiteral("clicked"), {QStringLiteral("--pace")});
    QVERIFY(w.emulator->IsReady());
    ConnectAndLoad(w);
    if (duringStore)
        Edit(w);
    const QByteArray before = w.emulator->Image();
    const qsizetype earlier = w.driver.StatusHistory().size();

    QTest::mouseClick(w.driver.Button(duringStore ? "StoreButton" : "LoadButton"), Qt::LeftButton);
    QVERIFY(WaitPainted(w, duringStore ? kStoring : kLoading, earlier));
    const QStringList shown = w.driver.SettingsShown();
    const DEVICE_DATA settings = CurrentSettings;
    QAbstractButton* mode = Unchecked(w.driver, "DiveModelItem0", "DiveModelItem1");  // Air
    ClickOnItsPage(w.driver, mode);
    QTest::mouseClick(w.driver.Button("StoreButton"), Qt::LeftButton);
    QTest::mouseClick(w.driver.Button("LoadButton"), Qt::LeftButton);
    QVERIFY(!mode->isChecked());
    QVERIFY(w.form->IsBusy());
    QVERIFY(w.driver.WaitIdle());
    // Whatever a click left queued would run now.
    QTest::qWait(300);

    QVERIFY(!w.form->IsBusy());
    QVERIFY(!w.form->IsChanged());
    QCOMPARE(w.driver.SettingsShown(), shown);
    QVERIFY(std::memcmp(&settings, &CurrentSettings, sizeof settings) == 0);
    QCOMPARE(PlanBytes(w.emulator->Image()), PlanBytes(CurrentSettings));
    const QStringList painted = w.driver.StatusHistory().mid(earlier);
    QCOMPARE(Count(painted, kStoring), duringStore ? 1 : 0);
    QCOMPARE(Count(painted, kLoading), duringStore ? 0 : 1);
    QCOMPARE(Count(painted, QStringLiteral("Reading Kelvor for a Backup")), duringStore ? 1 : 0);
    if (!duringStore)
        QCOMPARE(w.emulator->Image(), before);
}

void WorkerTest::cancelDuringAStoreLeavesAPrefix_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape") << true;
}

void WorkerTest::cancelDuringAStoreLeavesAPrefix()
{
    QFETCH(bool, byKey);
    ConnectedWindow w(QStringLiteral("canceled"), {QStringLiteral("--pace")});
    QVERIFY(w.emulator->IsReady());
    ConnectAndLoad(w);
    // The greatest depth, in the first block, is written as asked.
    w.driver.TypeInto("MaxDepthEdit", QStringLiteral("9"));
    w.modal.answers.push_back(QMessageBox::Yes);
    Edit(w);
    const QByteArray before = w.emulator->Image();

    const qsizetype earlier = w.driver.StatusHistory().size();
    QTest::mouseClick(w.driver.Button("StoreButton"), Qt::LeftButton);
    QVERIFY(WaitPainted(w, kStoring, earlier));
    const QByteArray intended = PlanBytes(CurrentSettings);  // as the store gathered it
    QWidget* cancel = w.driver.Find<QWidget>("CancelButton");
    QVERIFY(cancel->isVisible());
    // Once the first write of the first block is kept, the fourth and fifth are still to go.
    QVERIFY(QTest::qWaitFor(
        [&] { return PlanBytes(w.emulator->Image()).left(32) == intended.left(32); }, 30000));
    if (byKey) {
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QTest::keyClick(w.form.get(), Qt::Key_Escape);
    } else {
        QTest::mouseClick(cancel, Qt::LeftButton);
    }
    QVERIFY(w.driver.WaitIdle());

    QVERIFY(!cancel->isVisible());
    QCOMPARE(w.modal.messages.size(), 2);  // the question, then the failure
    QCOMPARE(w.modal.messages[1].caption, QStringLiteral("Store Failed"));
    const QString told = w.modal.messages[1].text;
    QVERIFY2(told.startsWith(QStringLiteral("The store was canceled.")), qPrintable(told));
    QVERIFY2(told.contains(QStringLiteral("may now hold part of the new settings")),
             qPrintable(told));
    const QString backup = told.section(QLatin1Char('\n'), 2, 2);
    QVERIFY2(QFileInfo(backup).isFile(), qPrintable(told));
    QVERIFY(w.form->IsChanged());
    const QByteArray held = w.emulator->Image();
    QVERIFY2(IsPrefix(PlanBytes(held), PlanBytes(before), intended),
             qPrintable(PlanBytes(held).toHex(' ')));

    // A second Store finishes the job.
    w.modal.messages.clear();
    w.driver.Click("StoreButton");
    QVERIFY2(w.driver.Status().startsWith(QStringLiteral("Store Completed.")),
             qPrintable(w.driver.Status()));
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(PlanBytes(w.emulator->Image()), intended);
    QVERIFY(!w.form->IsChanged());
}

void WorkerTest::cancelDuringALoadChangesNothing()
{
    ConnectedWindow w(QStringLiteral("loadcanceled"), {QStringLiteral("--pace")});
    QVERIFY(w.emulator->IsReady());
    ConnectAndLoad(w);
    const QStringList shown = w.driver.SettingsShown();
    const DEVICE_DATA settings = CurrentSettings;
    const QByteArray before = w.emulator->Image();

    QTest::mouseClick(w.driver.Button("LoadButton"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor(
        [&] {
            return !w.driver.ProgressHistory().isEmpty() && w.driver.ProgressHistory().back() > 0;
        },
        30000));
    QTest::mouseClick(w.driver.Find<QWidget>("CancelButton"), Qt::LeftButton);
    QVERIFY(w.driver.WaitIdle());

    QCOMPARE(w.driver.Status(),
             QStringLiteral("Load canceled: the dive computer holds its settings as before."));
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(w.driver.SettingsShown(), shown);
    QVERIFY(std::memcmp(&settings, &CurrentSettings, sizeof settings) == 0);
    QCOMPARE(w.emulator->Image(), before);
    QVERIFY(w.form->IsConnected());
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());
}

void WorkerTest::closingDuringAStoreWaitsForIt_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::newRow("close") << false;
    QTest::newRow("Exit button") << true;
}

void WorkerTest::closingDuringAStoreWaitsForIt()
{
    QFETCH(bool, byExit);
    ConnectedWindow w(QStringLiteral("closed"), {QStringLiteral("--pace")});
    QVERIFY(w.emulator->IsReady());
    ConnectAndLoad(w);
    Edit(w);
    const QByteArray intended = PlanBytes(CurrentSettings);

    const qsizetype earlier = w.driver.StatusHistory().size();
    QTest::mouseClick(w.driver.Button("StoreButton"), Qt::LeftButton);
    QVERIFY(WaitPainted(w, kStoring, earlier));
    if (byExit)
        QTest::mouseClick(w.driver.Button("ExitButton"), Qt::LeftButton);
    else
        w.form->close();
    QVERIFY(w.form->isVisible());
    QVERIFY(w.form->IsBusy());
    QCOMPARE(w.driver.Status(), QStringLiteral("Tidewell closes when the transfer has ended."));

    // The window stays as long as the store runs, then goes by itself.
    QElapsedTimer patience;
    patience.start();
    while (w.form->IsBusy() && patience.elapsed() < 60000) {
        QVERIFY(w.form->isVisible());
        QTest::qWait(20);
    }
    QVERIFY(!w.form->IsBusy());
    QTRY_VERIFY_WITH_TIMEOUT(!w.form->isVisible(), 60000);
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(PlanBytes(w.emulator->Image()), intended);
}

TIDEWELL_ISOLATED_MAIN(WorkerTest)
#include "WorkerTest.moc"
