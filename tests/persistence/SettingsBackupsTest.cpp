// Backups before a store: where they go, what they hold, which stay.
#include "persistence/SettingsBackups.h"

#include <cstring>
#include <stdexcept>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "persistence/SettingsFile.h"
#include "platform/VersionInformation.h"

namespace {

class SettingsBackupsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        info.SetFileName(L"settings_file_tests");
        ASSERT_TRUE(info.Read());
    }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        held.modelCode = 0x04;  // Pellan
        DeviceData::SetSerialNumber(held, 271828);
        held.diveTime = 605;
        held.sampleRate = 30;
    }

    static QDateTime At(int second)
    {
        return QDateTime(QDate(2026, 12, 10), QTime(14, 30, second), QTimeZone::utc());
    }

    // A backup of the name an earlier version gave, by local time.
    QString EarlierBackup(const QString& name) const
    {
        const QString path = backups.FolderOf(held) + QLatin1Char('/') + name;
        EXPECT_EQ(SaveSettingsFile(path, info, held), SaveOutcome::Saved);
        return path;
    }

    static VersionInformation info;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("backups"));
    SettingsBackups backups{folder};
    DEVICE_DATA held{};
};

VersionInformation SettingsBackupsTest::info;

TEST_F(SettingsBackupsTest, KeepsWhatTheDiveComputerHeldInItsOwnFolder)
{
    const QString path = backups.Save(held, info, At(12));

    EXPECT_EQ(path, folder + QStringLiteral("/Pellan-271828/2026-12-10-143012Z-1.kvx"));
    DEVICE_DATA read{};
    ASSERT_EQ(OpenSettingsFile(path, info, read), OpenOutcome::Opened);
    EXPECT_EQ(read.diveTime, 605);
    EXPECT_EQ(read.sampleRate, 30);
    EXPECT_EQ(DeviceData::SerialNumberOf(read), 271828u);

    // A model that no row names keeps its code, apart from other unknown models.
    held.modelCode = 0x55;
    EXPECT_EQ(QFileInfo(backups.Save(held, info, At(12))).dir().dirName(),
              QStringLiteral("Unknown85-271828"));
}

TEST_F(SettingsBackupsTest, TheNewestTwentyStayAndNothingIsReplaced)
{
    ASSERT_TRUE(QDir().mkpath(backups.FolderOf(held)));
    const QString foreign = backups.FolderOf(held) + QStringLiteral("/mine.kvx");
    QFile(foreign).open(QIODevice::WriteOnly);
    // Something of a backup's name that is no backup of ours: never replaced.
    const QString fifo = backups.FolderOf(held) + QStringLiteral("/2026-12-10-143000Z-1.kvx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    QStringList saved;
    for (int i = 0; i < SettingsBackups::Kept + 1; ++i)
        saved << backups.Save(held, info, At(i / 2));  // two in each second

    EXPECT_EQ(saved.first(), backups.FolderOf(held) + QStringLiteral("/2026-12-10-143000Z-2.kvx"));
    EXPECT_EQ(saved[1], backups.FolderOf(held) + QStringLiteral("/2026-12-10-143000Z-3.kvx"));
    EXPECT_EQ(backups.Of(held), saved.mid(1));
    EXPECT_FALSE(QFileInfo::exists(saved.first()));  // the oldest went
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(QFileInfo::exists(foreign));
}

// Twenty backups, some named by an earlier version in local time, then the clock goes
// back (travel, the end of summer time): the new backup sorts first by its stamp, yet it
// is the one that stays, and the one written first goes.
TEST_F(SettingsBackupsTest, AClockThatWentBackNeverTakesTheNewBackup)
{
    ASSERT_TRUE(QDir().mkpath(backups.FolderOf(held)));
    QStringList written;
    written << EarlierBackup(QStringLiteral("2026-12-10-153000.kvx"))
            << EarlierBackup(QStringLiteral("2026-12-10-153000-2.kvx"))
            << EarlierBackup(QStringLiteral("2026-12-10-153100.kvx"));
    for (int i = 0; written.size() < SettingsBackups::Kept; ++i)
        written << backups.Save(held, info, At(i));
    ASSERT_EQ(backups.Of(held), written);

    const QString newest = backups.Save(held, info, At(0).addSecs(-3600));

    EXPECT_EQ(newest, backups.FolderOf(held) + QStringLiteral("/2026-12-10-133000Z-18.kvx"));
    EXPECT_TRUE(QFileInfo::exists(newest));  // a box that names it names a file
    EXPECT_FALSE(QFileInfo::exists(written.first()));
    EXPECT_EQ(backups.Of(held), written.mid(1) << newest);

    // And the next one, written still earlier by the clock, takes the next oldest.
    const QString next = backups.Save(held, info, At(0).addSecs(-7200));
    EXPECT_TRUE(QFileInfo::exists(newest));
    EXPECT_TRUE(QFileInfo::exists(next));
    EXPECT_FALSE(QFileInfo::exists(written[1]));
    EXPECT_EQ(backups.Of(held), written.mid(2) << newest << next);
}

TEST_F(SettingsBackupsTest, AFolderThatCannotBeMadeSaysWhy)
{
    QFile(folder).open(QIODevice::WriteOnly);  // a file where the folder should be
    try {
        backups.Save(held, info, At(0));
        FAIL() << "saved under a file";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(QString::fromStdString(e.what()),
                  QStringLiteral("Cannot write the backup %1: Not a directory.")
                      .arg(backups.FolderOf(held)));
    }
    EXPECT_TRUE(QFileInfo(folder).isFile());
}

}  // namespace
