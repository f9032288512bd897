// Store on the fake dive computer: a backup of what it held is on disk before the first
// write goes out, a store that breaks off says so and leaves a way back, a store the dive
// computer did not keep is caught by reading it back.
#include <QFileInfo>
#include <QtTest>

#include "ConnectedWindow.h"
#include "IsolatedMain.h"
#include "PlanBytes.h"
#include "persistence/SettingsBackups.h"
#include "persistence/SettingsFile.h"

namespace {

constexpr std::uint8_t kRead = 0x05, kWrite = 0x06, kWriteEnable = 0x07;

// Where in the plan bytes block `n` (from 1) lies.
std::pair<int, int> BlockSpan(int n)
{
    int start = 0;
    for (int i = 0; i < n - 1; ++i)
        start += DeviceData::TransferPlan[i].length;
    return {start, DeviceData::TransferPlan[n - 1].length};
}

int Count(const std::vector<SentFrame>& frames, std::size_t from, std::size_t to,
          std::uint8_t command)
{
    int n = 0;
    for (std::size_t i = from; i < to && i < frames.size(); ++i)
        n += frames[i].bytes[0] == command ? 1 : 0;
    return n;
}

std::size_t FirstOf(const std::vector<SentFrame>& frames, std::size_t from, std::uint8_t command)
{
    for (std::size_t i = from; i < frames.size(); ++i)
        if (frames[i].bytes[0] == command)
            return i;
    return frames.size();
}

// Changes in the first, fourth and fifth blocks: greatest depth, sample rate, units.
void Edit(ConnectedWindow& w)
{
    w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("9"));
    QTest::mouseClick(w.driver.Find<QWidget>("SampleRateBoxItem3"), Qt::LeftButton);
    QTest::mouseClick(w.driver.Find<QWidget>("UnitsItem0"), Qt::LeftButton);
    QCOMPARE(int(CurrentSettings.sampleRate), 60);
    QCOMPARE(int(CurrentSettings.units), 0);
}

}  // namespace

class StoreSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void backupBeforeTheFirstWrite_data();
    void backupBeforeTheFirstWrite();
    void backupThatCannotBeWrittenStopsTheStore();
    void storeBrokenOffThenStoredAgain_data();
    void storeBrokenOffThenStoredAgain();
    void storeNotKeptIsCaught_data();
    void storeNotKeptIsCaught();
};

void StoreSafetyTest::backupBeforeTheFirstWrite_data()
{
    QTest::addColumn<bool>("newConnection");
    QTest::addColumn<int>("readsFirst");
    // The backup comes from the load: only the dive computer's own values are read, to
    // know it is still the one loaded.
    QTest::newRow("after a load on this connection") << false << 1;
    // What the dive computer holds is read first: one load's six requests.
    QTest::newRow("on a new connection") << true << 6;
}

void StoreSafetyTest::backupBeforeTheFirstWrite()
{
    QFETCH(bool, newConnection);
    QFETCH(int, readsFirst);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    if (newConnection)
        w.device->Attach(*w.form);
    Edit(w);
    const QByteArray before = PlanBytes(w.device->Dive().memory);
    const std::size_t start = w.device->Frames().size();

    QStringList backupsAtFirstWrite;
    QByteArray backedUp;
    w.device->onFrame = [&](const fake::Bytes& frame) {
        if (frame[0] != kWriteEnable || !backupsAtFirstWrite.isEmpty())
            return;
        backupsAtFirstWrite = SettingsBackups().Of(CurrentSettings);
        if (!backupsAtFirstWrite.isEmpty())
            backedUp = PlanBytesOfFile(backupsAtFirstWrite.first(), w.form->Version());
    };
    w.driver.Click("StoreButton");
    w.device->onFrame = nullptr;

    QVERIFY(w.driver.Status().startsWith(QStringLiteral("Store Completed.")));
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(backupsAtFirstWrite.size(), 1);
    QCOMPARE(backedUp, before);
    const std::vector<SentFrame> frames = w.device->Frames();
    QCOMPARE(Count(frames, start, FirstOf(frames, start, kWriteEnable), kRead), readsFirst);
    QCOMPARE(PlanBytes(w.device->Dive().memory), PlanBytes(CurrentSettings));
}

void StoreSafetyTest::backupThatCannotBeWrittenStopsTheStore()
{
    // A file where the backups folder should be.
    QVERIFY(QDir().mkpath(QFileInfo(SettingsBackups::DefaultFolder()).path()));
    QFile(SettingsBackups::DefaultFolder()).open(QIODevice::WriteOnly);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    Edit(w);
    const auto memory = w.device->Dive().memory;
    const std::size_t start = w.device->Frames().size();

    w.driver.Click("StoreButton");

    QCOMPARE(w.driver.Status(), QStringLiteral("Store Failed"));
    QCOMPARE(w.modal.messages.size(), 1);
    QCOMPARE(w.modal.messages[0].caption, QStringLiteral("Store Failed"));
    const QString told = w.modal.messages[0].text;
    QVERIFY2(told.startsWith(QStringLiteral("Cannot write the backup ")), qPrintable(told));
    QVERIFY2(told.contains(QStringLiteral("Not a directory")), qPrintable(told));
    QVERIFY(told.endsWith(QStringLiteral("Nothing was written to the dive computer.")));
    const std::vector<SentFrame> frames = w.device->Frames();
    QCOMPARE(Count(frames, start, frames.size(), kWriteEnable), 0);
    QCOMPARE(Count(frames, start, frames.size(), kWrite), 0);
    QVERIFY(w.device->Dive().memory == memory);
    QVERIFY(w.form->IsChanged());
    QVERIFY(w.driver.Button("StoreButton")->isEnabled());
}

void StoreSafetyTest::storeBrokenOffThenStoredAgain_data()
{
    QTest::addColumn<int>("block");
    for (int block = 1; block <= DeviceData::TransferBlockCount; ++block)
        QTest::addRow("at block %d", block) << block;
}

void StoreSafetyTest::storeBrokenOffThenStoredAgain()
{
    QFETCH(int, block);
    ConnectedWindow w;
    w.driver.Click("LoadButton");
    Edit(w);
    const QByteArray before = PlanBytes(w.device->Dive().memory);

    // The dive computer stops answering at the write enable of `block`.
    int enables = 0;
    w.device->onFrame = [&](const fake::Bytes& frame) {
        if (frame[0] == kWriteEnable && ++enables == block)
            w.device->Dive().Silence(w.device->Dive().Requests());
    };
    w.driver.Click("StoreButton");
    w.device->onFrame = nullptr;

    QCOMPARE(w.driver.Status(), QStringLiteral("Store Failed"));
    QCOMPARE(w.modal.messages.size(), 1);
    const QString told = w.modal.messages[0].text;
    QVERIFY2(told.contains(QStringLiteral("may now hold part of the new settings: Store again")),
             qPrintable(told));
    const QString backup = told.section(QLatin1Char('\n'), 2, 2);
    QCOMPARE(PlanBytesOfFile(backup, w.form->Version()), before);
    // The blocks before the one that failed hold the new settings, the rest the old.
    const QByteArray intended = PlanBytes(CurrentSettings);  // as Store gathered it
    const QByteArray held = PlanBytes(w.device->Dive().memory);
    const int split = BlockSpan(block).first;
    QCOMPARE(held.left(split), intended.left(split));
    QCOMPARE(held.mid(split), before.mid(split));
    QVERIFY(w.form->IsChanged());

    // Store again, the line sound: the job is finished and the way back still there.
    w.modal.messages.clear();
    w.driver.Click("StoreButton");
    QVERIFY(w.driver.Status().startsWith(QStringLiteral("Store Completed.")));
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(PlanBytes(w.device->Dive().memory), intended);
    QCOMPARE(w.device->Dive().memory[0x67], 0x09);  // 9 minutes
    QCOMPARE(w.device->Dive().memory[0x53], 60);
    QCOMPARE(w.device->Dive().memory[0x62], 0);  // Imperial
    QCOMPARE(PlanBytesOfFile(backup, w.form->Version()), before);
    QCOMPARE(SettingsBackups().Of(CurrentSettings).size(), 2);
}

void StoreSafetyTest::storeNotKeptIsCaught_data()
{
    QTest::addColumn<bool>("verify");
    QTest::newRow("read back") << true;
    QTest::newRow("not read back") << false;
}

void StoreSafetyTest::storeNotKeptIsCaught()
{
    QFETCH(bool, verify);
    ConnectedWindow w;
    w.driver.SetOption("VerifyAfterStore", verify);
    w.driver.Click("LoadButton");
    Edit(w);

    // The write of the block with the sample rate in it is acknowledged but not kept.
    bool first = true;
    w.device->onFrame = [&](const fake::Bytes& frame) {
        if (frame[0] == kWrite && frame[2] == 0x4A && first) {
            first = false;
            w.device->Dive().KeepNoWrite(w.device->Dive().Requests());
        }
    };
    w.driver.Click("StoreButton");
    w.device->onFrame = nullptr;

    if (!verify) {  // said plainly: nobody checked
        QVERIFY2(w.driver.Status().startsWith(QStringLiteral("Store Completed, not checked.")),
                 qPrintable(w.driver.Status()));
        return;
    }
    QCOMPARE(w.driver.Status(), QStringLiteral("Store Failed at address 0x0053"));
    QCOMPARE(w.modal.messages.size(), 1);
    QVERIFY2(w.modal.messages[0].text.startsWith(
                 QStringLiteral("The dive computer did not keep Sample Rate (address 0x0053).")),
             qPrintable(w.modal.messages[0].text));
    QVERIFY(w.form->IsChanged());

    w.modal.messages.clear();
    w.driver.Click("StoreButton");
    QVERIFY(w.driver.Status().startsWith(QStringLiteral("Store Completed.")));
    QCOMPARE(PlanBytes(w.device->Dive().memory), PlanBytes(CurrentSettings));
}

TIDEWELL_ISOLATED_MAIN(StoreSafetyTest)
#include "StoreSafetyTest.moc"
