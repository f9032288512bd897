// Backups before a store: where they go, what they hold, which stay.
#include "persistence/SettingsBackups.h"

#include <cstring>
#include <stdexcept>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
        return QDateTime(QDate(2026, 12, 10), QTime(14, 30, second));
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

    EXPECT_EQ(path, folder + QStringLiteral("/Pellan-271828/2026-12-10-143012.kvx"));
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
    const QString fifo = backups.FolderOf(held) + QStringLiteral("/2026-12-10-143000.kvx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    QStringList saved;
    for (int i = 0; i < SettingsBackups::Kept + 1; ++i)
        saved << backups.Save(held, info, At(i / 2));  // two in each second

    EXPECT_TRUE(
        saved.contains(backups.FolderOf(held) + QStringLiteral("/2026-12-10-143000-2.kvx")));
    EXPECT_TRUE(
        saved.contains(backups.FolderOf(held) + QStringLiteral("/2026-12-10-143001-2.kvx")));
    EXPECT_EQ(backups.Of(held), saved.mid(1));
    EXPECT_FALSE(QFileInfo::exists(saved.first()));  // the oldest went
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(QFileInfo::exists(foreign));
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
